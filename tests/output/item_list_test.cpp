#include "output/item_list.h"

#include <gtest/gtest.h>

#include "catalogue/key_items.h"
#include "catalogue/rooms.h"
#include "catalogue/slot_catalogue.h"
#include "output/file_code.h"
#include "output/sha256.h"
#include "output/json_writer.h"
#include "output/spoiler_json.h"
#include "placement/constraint_tables.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

namespace {

TEST(ItemListTest, FileNames) {
  RunOptions options;
  EXPECT_EQ(itemListFileName(options), "ItemListJillNormal.txt");
  options.hardDifficulty = true;
  EXPECT_EQ(itemListFileName(options), "ItemListJillHard.txt");
  options.character = true;
  EXPECT_EQ(itemListFileName(options), "ItemListChrisHard.txt");
  options.hardDifficulty = false;
  EXPECT_EQ(itemListFileName(options), "ItemListChrisNormal.txt");
}

TEST(ItemListTest, OneDecimalLinePerSlotWithCrLf) {
  GenerationState state;
  state.placement.resize(kSlotCount);
  std::iota(state.placement.rbegin(), state.placement.rend(), 0);
  state.placement[7] = 180;  // the armed capsule is written like any entry
  std::string expected;
  for (int s = 0; s < kSlotCount; ++s) expected += std::to_string(state.placement[s]) + "\r\n";
  EXPECT_EQ(formatItemList(state), expected);
  EXPECT_EQ(formatItemList(state).substr(0, 10), "179\r\n178\r\n");
}

TEST(ItemListTest, WriteFailureClaimsNothing) {
  TempFolder temp;
  const std::filesystem::path folder = temp.path;
  std::ofstream(folder / "file") << "x";

  GenerationState state;
  std::ostringstream console, errors;
  Reporter reporter(console, errors);
  OutputSettings output;
  state.placement.assign(kSlotCount, 0);
  output.directory = (folder / "file").string();
  EXPECT_FALSE(writeItemListFile(state, output, reporter));
  EXPECT_EQ(console.str(), "Writing to ItemListJillNormal.txt\n");
  EXPECT_EQ(errors.str(),
            "mansion-randomizer: cannot write " + output.directory + "/ItemListJillNormal.txt: Not a directory\n");

  output.directory = folder.string();
  console.str("");
  EXPECT_TRUE(writeItemListFile(state, output, reporter));
  EXPECT_EQ(console.str(), "Writing to ItemListJillNormal.txt\nItemList created!\nFile code: " +
                              fileCode(formatItemList(state)) + "\n");
}

// FIPS 180-4 examples and messages whose padding ends just before, on and
// just after a block boundary.
TEST(FileCodeTest, Sha256StandardVectors) {
  const std::pair<std::string, const char*> vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [message, digest] : vectors) EXPECT_EQ(sha256Hex(message), digest) << message.size() << " bytes";
}

TEST(FileCodeTest, EveryChangedByteGivesAnotherCodeButLineEndsDoNot) {
  GenerationState state;
  state.placement.resize(kSlotCount);
  std::iota(state.placement.begin(), state.placement.end(), 0);
  const std::string bytes = formatItemList(state);
  const std::string code = fileCode(bytes);
  EXPECT_EQ(fileCodeLine(bytes), "File code: " + code);
  for (size_t k = 0; k < bytes.size(); ++k) {
    std::string changed = bytes;
    changed[k] = static_cast<char>(changed[k] ^ 1);
    EXPECT_NE(fileCode(changed), code) << "byte " << k;
  }
  // A copy whose line ends a transfer changed is still the same file.
  std::string lf = bytes;
  for (size_t end; (end = lf.find("\r\n")) != std::string::npos;) lf.erase(end, 1);
  EXPECT_EQ(fileCode(lf), code);
  EXPECT_EQ(fileCode(lf.substr(0, lf.size() - 1)), code);
  EXPECT_NE(fileCode(bytes + "\r\n"), code);
}

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
