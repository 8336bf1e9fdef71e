// The key route: the order in which a player can collect the key items, and
// its file read beside the cheat sheet.
#include "placement/key_route.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/key_items.h"
#include "item_list_input_check.h"
#include "output/cheat_sheet.h"
#include "output/key_route_file.h"
#include "support/generated_run.h"

namespace {

TEST(KeyRouteTest, StepsAreReachableAndReadWithTheCheatSheet) {
  for (int which = 0; which < 4; ++which) {
    if (which >= 2 && kSlowBuild) break;
    const GenerationState state = generated(setting(which >= 2, which % 2 == 1), 7u);
    const KeyRoute route = planKeyRoute(state);
    EXPECT_EQ(keyRouteFault(state, route), "") << which;
    EXPECT_TRUE(route.outOfReach.empty());
    EXPECT_TRUE(route.missing.empty());
    ASSERT_GE(route.steps.size(), 2u);

    // Each route line names a room heading of the cheat sheet and, under it,
    // the line of the slot that gives the key item.
    std::map<std::string, std::set<std::string>> sheet;  // heading -> its item lines
    std::string heading;
    for (const std::string& line : linesOf(formatCheatSheet(state))) {
      if (line.empty() || line[0] != '\t') {
        heading = line;
      } else {
        sheet[heading].insert(line.substr(1));
      }
    }
    // The route names each key item by its numbered name, the sheet by its
    // display name.
    std::vector<SlotIndex> items;
    for (const auto& step : route.steps) {
      for (const KeyPickup& pickup : step) items.push_back(pickup.item);
    }
    size_t keys = 0;
    int step = 0;
    for (const std::string& line : linesOf(formatKeyRoute(state, route))) {
      if (line.rfind("Step ", 0) == 0) {
        EXPECT_EQ(line, "Step " + std::to_string(++step));
        continue;
      }
      ASSERT_EQ(line[0], '\t') << line;
      ASSERT_LT(keys, items.size()) << line;
      const std::string item = keyItemName(state, items[keys++]);
      ASSERT_EQ(line.rfind("\t" + item + " in ", 0), 0u) << line;
      const size_t in = item.size() + 1, colon = line.find(": ", in);
      ASSERT_NE(colon, std::string::npos) << line;
      const std::string room = line.substr(in + 4, colon - in - 4);
      EXPECT_EQ(sheet[room].count(line.substr(colon + 2) + " is replaced with " + state.slotNames[static_cast<size_t>(items[keys - 1])]), 1u) << line;
    }
    EXPECT_EQ(keys, keyItems(state).size());

    // Holding the keys of steps 1..k, a player can next pick up exactly step k+1's.
    std::vector<bool> held(kSlotCount + 1, false);
    for (const auto& step : route.steps) {
      const std::vector<KeyPickup> reachable = reachableKeys(state, held);
      ASSERT_EQ(reachable.size(), step.size());
      for (size_t k = 0; k < step.size(); ++k) EXPECT_EQ(reachable[k].item, step[k].item);
      for (const KeyPickup& pickup : step) held[static_cast<size_t>(pickup.item)] = true;
    }
    EXPECT_TRUE(reachableKeys(state, held).empty());
  }
}

}  // namespace
