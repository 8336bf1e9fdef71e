#include "catalogue/pins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(PinsTest, PinnedSlotSets) {
  RunOptions chrisNormal;
  chrisNormal.character = true;
  EXPECT_EQ(pinnedSlotOrder(chrisNormal), (std::vector<SlotIndex>{90, 91, 114, 48, 123, 147}));
  RunOptions jillNormal;
  EXPECT_EQ(pinnedSlotOrder(jillNormal), (std::vector<SlotIndex>{90, 91, 114, 48, 123, 147, 26, 27, 39}));
  RunOptions jillHard;
  jillHard.hardDifficulty = true;
  const std::vector<SlotIndex> jillHardOrder = pinnedSlotOrder(jillHard);
  EXPECT_EQ(std::count(jillHardOrder.begin(), jillHardOrder.end(), 27), 2);
  EXPECT_EQ(jillHardOrder.back(), 27);
  RunOptions chrisHard = jillHard;
  chrisHard.character = true;
  const std::vector<SlotIndex> chrisHardOrder = pinnedSlotOrder(chrisHard);
  EXPECT_EQ(std::vector<SlotIndex>(chrisHardOrder.end() - 2, chrisHardOrder.end()),
            (std::vector<SlotIndex>{75, 76}));
}
