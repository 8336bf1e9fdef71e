// The page's play companion: a run read back from its item list, room by
// room, its key items and their route.
#include "engine/companion.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/key_items.h"
#include "catalogue/rooms.h"
#include "enemies/enemy_room_table.h"
#include "output/cheat_sheet.h"
#include "output/item_list.h"
#include "placement/key_route.h"
#include "support/generated_run.h"

namespace {

// The page's companion reads a run back from its item list: the same cheat
// sheet, every line in its room, every enemy room once (or under both
// headings of a shared name), and namesake key items told apart.
TEST(CompanionTest, ARunReadBackFromItsItemListShowsEveryLineAndEnemyRoom) {
  for (const bool chris : {false, true}) {
    RunOptions options = setting(chris, !chris);
    options.enemyRandomizer = true;
    const GenerationState made = generated(options, 3u);
    GenerationState state;
    state.options = setting(chris, !chris);
    std::string error;
    ASSERT_TRUE(openItemList(state, formatItemList(made), error)) << error;
    const std::string sheet = formatCheatSheet(state);
    EXPECT_EQ(sheet, formatCheatSheet(made));

    const CompanionRooms rooms = companionRooms(state);
    std::string itemLines;
    std::map<std::string, std::vector<std::string>> headingsOf;  // enemy room -> headings
    for (const CompanionRoom& room : rooms.rooms) {
      itemLines += room.heading + "\r\n";
      for (SlotIndex slot : room.slots) {
        itemLines += "\t" + state.slotNames[static_cast<size_t>(slot)] + " is replaced with " +
                     state.slotNames[static_cast<size_t>(state.placement[static_cast<size_t>(slot)])] + "\r\n";
      }
      for (const std::string& enemyRoom : room.enemyRooms) headingsOf[enemyRoom].push_back(room.heading);
    }
    EXPECT_NE(sheet.find(itemLines + "\r\n\r\nENEMY RANDO POSITIONS"), std::string::npos);
    for (const std::string& enemyRoom : rooms.enemyRoomsWithoutItems) headingsOf[enemyRoom].push_back("");
    EXPECT_EQ(headingsOf.size(), static_cast<size_t>(kEnemyRoomCount));
    EXPECT_EQ(headingsOf["Crypt / Graveyard"], (std::vector<std::string>{"GRAVEYARD", "CRYPT"}));
    // Jill's only main hall slot is listed in another room.
    EXPECT_EQ(headingsOf["Main Hall"], std::vector<std::string>{chris ? "MAIN HALL" : ""});
    EXPECT_EQ(headingsOf["Kitchen"], std::vector<std::string>{"KITCHEN"});

    // One name per key item; Chris's five Old Keys numbered in catalogue order.
    std::set<std::string> names;
    std::vector<std::string> oldKeys;
    for (SlotIndex key : keyItems(state)) {
      names.insert(keyItemName(state, key));
      if (state.slotNames[static_cast<size_t>(key)] == "Old Key") oldKeys.push_back(keyItemName(state, key));
    }
    EXPECT_EQ(names.size(), keyItems(state).size());
    const std::vector<std::string> numbered = {"Old Key 1", "Old Key 2", "Old Key 3", "Old Key 4", "Old Key 5"};
    EXPECT_EQ(oldKeys, chris ? numbered : std::vector<std::string>{});
    EXPECT_EQ(names.count("Dog Collar"), 1u);  // a name no other key item has stays plain
    EXPECT_EQ(slotsWithItemNamed(state, "old KEY").size(), chris ? 5u : 0u);
    EXPECT_EQ(slotsWithItemNamed(state, "old key 3").size(), chris ? 1u : 0u);
    EXPECT_TRUE(slotsWithItemNamed(state, "").empty());
    // A route arrow (opener, opened) runs from an earlier step to a later one.
    std::map<SlotIndex, size_t> stepOf;
    const KeyRoute route = planKeyRoute(state);
    for (size_t step = 0; step < route.steps.size(); ++step) {
      for (const KeyPickup& pickup : route.steps[step]) stepOf[pickup.item] = step;
    }
    const auto links = keyRouteLinks(state);
    EXPECT_FALSE(links.empty());
    for (const auto& [opener, opened] : links) {
      EXPECT_LT(stepOf.at(opener), stepOf.at(opened))
          << keyItemName(state, opener) << " opens " << keyItemName(state, opened);
    }
  }
  // Modifier 5 puts the gun into slots Hard keeps and the cheat sheet leaves
  // out; the companion finds them under their rooms all the same.
  RunOptions gun = setting(true, true);
  gun.allToSelfDefenseGun = true;
  const GenerationState withGun = generated(gun, 3u);
  std::set<SlotIndex> listed;
  for (const CheatSheetRoom& room : cheatSheetLayout(gun)) listed.insert(room.slots.begin(), room.slots.end());
  size_t unlisted = 0;
  for (SlotIndex slot : slotsWithItemNamed(withGun, "self defense GUN")) unlisted += listed.count(slot) == 0;
  EXPECT_GT(unlisted, 0u);
  GenerationState state;
  std::string error;
  EXPECT_FALSE(openItemList(state, "1\r\n2\r\n", error));
  EXPECT_EQ(error, "line 3: the file ends after 2 of 180 slot lines");
}

}  // namespace
