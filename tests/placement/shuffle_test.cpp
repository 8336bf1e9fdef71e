#include "catalogue/pins.h"
#include "placement/shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

namespace {

struct Setting {
  bool chris;
  bool hard;
  size_t pinnedCount;
};

constexpr Setting kSettings[] = {{true, false, 6}, {true, true, 45}, {false, false, 9}, {false, true, 44}};

bool isPermutation(const Placement& placement) {
  Placement sorted = placement;
  std::sort(sorted.begin(), sorted.end());
  Placement identity(kSlotCount);
  std::iota(identity.begin(), identity.end(), 0);
  return sorted == identity;
}

TEST(ShuffleTest, PermutationWithEverySettingsPinsInPlace) {
  for (const Setting& setting : kSettings) {
    GenerationState state;
    state.options.character = setting.chris;
    state.options.hardDifficulty = setting.hard;
    state.random.reseed(99);
    const std::vector<SlotIndex> order = pinnedSlotOrder(state.options);
    const std::set<SlotIndex> pinned(order.begin(), order.end());
    EXPECT_EQ(pinned.size(), setting.pinnedCount);
    for (int attempt = 1; attempt <= 200; ++attempt) {
      shufflePlacement(state);
      ASSERT_TRUE(isPermutation(state.placement));
      for (SlotIndex k : pinned) ASSERT_EQ(state.placement[k], k);
      ASSERT_EQ(state.attemptCount, attempt);
    }
  }
}

TEST(ShuffleTest, EveryAttemptDrawsExactly180Numbers) {
  for (const Setting& setting : kSettings) {
    GenerationState state;
    state.options.character = setting.chris;
    state.options.hardDifficulty = setting.hard;
    state.random.reseed(5);
    CRandom expected(5);
    for (int attempt = 0; attempt < 3; ++attempt) {
      shufflePlacement(state);
      for (int i = 0; i < 180; ++i) expected.next();
      ASSERT_EQ(state.random.next(), expected.next());
    }
  }
}

TEST(ShuffleTest, DrawsPickFromTheShrinkingPoolInOrder) {
  // Chris on Normal pins only slots that the draws below never touch, so the
  // unpinned part of the placement shows the pool order directly.
  GenerationState state;
  state.options.character = true;
  state.random.reseed(31337);
  CRandom draws(31337);
  std::vector<int32_t> pool(kSlotCount);
  std::iota(pool.begin(), pool.end(), 0);
  Placement expected;
  while (!pool.empty()) {
    const uint32_t i = draws.below(static_cast<uint32_t>(pool.size()));
    expected.push_back(pool[i]);
    pool.erase(pool.begin() + i);
  }
  for (SlotIndex k : {90, 91, 114, 48, 123, 147}) pinSlot(expected, k);
  shufflePlacement(state);
  EXPECT_EQ(state.placement, expected);
}

// The search places items without running the pins: an unpinned slot ends up
// with the first unpinned item met when following "slot s drew item t, slot t
// drew ..." from it, whatever order the pins run in.
TEST(PinSlotTest, TheOrderOfThePinsDoesNotMatter) {
  RunOptions chrisHard;
  chrisHard.character = true;
  chrisHard.hardDifficulty = true;
  const std::vector<SlotIndex> order = pinnedSlotOrder(chrisHard);
  std::vector<bool> pinned(kSlotCount, false);
  for (SlotIndex k : order) pinned[k] = true;
  CRandom random(31);
  for (int trial = 0; trial < 2000; ++trial) {
    Placement drawn(kSlotCount);
    std::iota(drawn.begin(), drawn.end(), 0);
    for (uint32_t i = kSlotCount - 1; i > 0; --i) std::swap(drawn[i], drawn[random.below(i + 1)]);
    Placement inOrder = drawn;
    for (SlotIndex k : order) pinSlot(inOrder, k);
    std::vector<SlotIndex> shuffledOrder = order;
    for (size_t i = shuffledOrder.size() - 1; i > 0; --i) {
      std::swap(shuffledOrder[i], shuffledOrder[random.below(static_cast<uint32_t>(i + 1))]);
    }
    Placement otherOrder = drawn;
    for (SlotIndex k : shuffledOrder) pinSlot(otherOrder, k);
    ASSERT_EQ(inOrder, otherOrder);
    for (SlotIndex s = 0; s < kSlotCount; ++s) {
      if (pinned[s]) continue;
      int32_t item = drawn[s];
      while (pinned[item]) item = drawn[item];
      ASSERT_EQ(inOrder[s], item) << "slot " << s;
    }
  }
}

TEST(PinSlotTest, MovesTheDisplacedItemToTheSlotThatHeldThePinnedItem) {
  Placement placement(kSlotCount);
  std::iota(placement.begin(), placement.end(), 0);
  std::swap(placement[3], placement[90]);  // item 90 in slot 3, item 3 in slot 90
  std::swap(placement[90], placement[12]);  // item 12 now in slot 90, item 3 in slot 12
  pinSlot(placement, 90);
  EXPECT_EQ(placement[90], 90);
  EXPECT_EQ(placement[3], 12);
  EXPECT_EQ(placement[12], 3);
}

TEST(PinSlotTest, ItemAlreadyInItsSlotIsANoOp) {
  Placement placement(kSlotCount);
  std::iota(placement.begin(), placement.end(), 0);
  std::swap(placement[5], placement[6]);
  const Placement before = placement;
  pinSlot(placement, 100);
  EXPECT_EQ(placement, before);
}

}  // namespace
