// The spoiler file for tools: its JSON strings and its layout.
#include "output/spoiler_json.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/key_items.h"
#include "catalogue/rooms.h"
#include "catalogue/slot_catalogue.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "output/json_writer.h"
#include "placement/constraint_tables.h"

namespace {

TEST(SpoilerJsonTest, StringsAreEscapedAndAlwaysValidUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"Jill's Handgun", "\"Jill's Handgun\""},
      {"Odd \"Name\" \\ here", "\"Odd \\\"Name\\\" \\\\ here\""},
      {"tab\tline\nret\r\b\f", "\"tab\\tline\\nret\\r\\b\\f\""},
      {std::string("nul\0\x1f\x7f", 6), "\"nul\\u0000\\u001f\x7f\""},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\""},
      // A stray byte, an overlong slash, a surrogate and a cut sequence.
      {"\xff|\xc0\xaf|\xed\xa0\x80|\xe2\x82", "\"\\ufffd|\\ufffd\\ufffd|\\ufffd\\ufffd\\ufffd|\\ufffd\\ufffd\""},
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(jsonString(text), json) << text;
}

TEST(SpoilerJsonTest, WriterEscapesNamesAndKeepsTheLayout) {
  GenerationState state;
  state.options.modifierMenuShown = true;
  state.options.ammoToJunk = state.options.armedFuelCapsule = true;
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  state.placement.resize(kSlotCount);
  std::iota(state.placement.begin(), state.placement.end(), 0);
  state.slotNames[5] = "Odd \"Name\" \\ here";
  // A key item moved into a slot of another room that held no key item: the
  // key flag and the route's room follow the item, not the slot's original.
  const std::vector<SlotIndex> keys = keyItems(state);
  const std::vector<const char*> rooms = cheatSheetRooms(state.options);
  const SlotIndex key = keys.front();
  SlotIndex plain = 0;
  while (plain == 5 || std::binary_search(keys.begin(), keys.end(), plain) ||
         rooms[static_cast<size_t>(plain)] == std::string(rooms[static_cast<size_t>(key)])) {
    ++plain;
  }
  std::swap(state.placement[static_cast<size_t>(key)], state.placement[static_cast<size_t>(plain)]);
  const std::string json = formatSpoilerJson(state, 4294967295u);
  const auto keyFlag = [&json](SlotIndex slot) {
    const size_t at = json.find("\"key\": ", json.find("      \"slot\": " + std::to_string(slot) + ",\n"));
    return json.substr(at, json.find('\n', at) - at);
  };
  EXPECT_EQ(keyFlag(plain), "\"key\": true");
  EXPECT_EQ(keyFlag(key), "\"key\": false");
  EXPECT_NE(json.find("\"item\": \"" + keyItemName(state, key) + "\",\n        \"room\": \"" +
                      rooms[static_cast<size_t>(plain)] + "\",\n        \"slot\": " + std::to_string(plain) + "\n"),
            std::string::npos);
  EXPECT_EQ(json.rfind("{\n  \"format\": 1,\n  \"program\": \"mansion-randomizer\",\n  \"version\": \"0.85\",\n"
                       "  \"seed\": 4294967295,\n  \"character\": \"jill\",\n  \"difficulty\": \"normal\",\n"
                       "  \"enemies\": false,\n  \"modifiers\": [\n    2,\n    6\n  ],\n  \"fileCode\": \"" +
                           fileCode(formatItemList(state)) + "\",\n  \"slots\": [\n    {\n      \"slot\": 0,\n",
                       0),
            0u)
      << json.substr(0, 400);
  EXPECT_NE(json.find("      \"original\": \"Odd \\\"Name\\\" \\\\ here\",\n      \"item\": \"Odd \\\"Name\\\" "
                      "\\\\ here\",\n      \"entry\": 5,\n"),
            std::string::npos);
  EXPECT_NE(json.find("\n  ],\n  \"enemyRooms\": [],\n  \"route\": [\n    [\n      {\n        \"item\": "),
            std::string::npos);
  EXPECT_EQ(json.find('\r'), std::string::npos);
  EXPECT_EQ(json.substr(json.size() - 8), "]\n  ]\n}\n");

  // Chris's Old Keys: plain in the slots, as the cheat sheet names them;
  // numbered in the route, as the key route file names them.
  GenerationState chris;
  chris.options.character = true;
  buildSlotCatalogue(chris);
  buildConstraintTables(chris);
  chris.placement.resize(kSlotCount);
  std::iota(chris.placement.begin(), chris.placement.end(), 0);
  const std::string chrisJson = formatSpoilerJson(chris, 1u);
  const size_t route = chrisJson.find("\n  \"route\": [");
  EXPECT_LT(chrisJson.find("\"item\": \"Old Key\",\n"), route);
  EXPECT_EQ(chrisJson.find("\"item\": \"Old Key\",\n", route), std::string::npos);
  for (const char* name : {"\"Old Key 2\"", "\"Old Key 5\""}) {
    EXPECT_NE(chrisJson.find(std::string("\"item\": ") + name + ",\n", route), std::string::npos) << name;
  }
}

}  // namespace
