#include "output/cheat_sheet.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "state/generation_state.h"
#include "catalogue/slot_catalogue.h"
#include "catalogue/pins.h"
#include "catalogue/rooms.h"
#include "output/enemy_output.h"

namespace fs = std::filesystem;

namespace {

struct Setting {
  bool chris;
  bool hard;
};
constexpr Setting kSettings[] = {{true, false}, {true, true}, {false, false}, {false, true}};

std::string describe(Setting setting) {
  return std::string(setting.chris ? "Chris" : "Jill") + (setting.hard ? " Hard" : " Normal");
}

// Slots pinned in Hard, written out independently of the production table.
const std::set<int32_t> kHardPinned = {4,   5,   7,   21,  27,  40,  49,  55,  64,  65,  68,  69,  72,
                                       80,  84,  93,  95,  98,  108, 109, 110, 113, 119, 126, 132, 134,
                                       138, 141, 144, 152, 155, 158, 160, 162, 170, 172, 173};
const std::set<int32_t> kJillMoved = {0, 37, 75, 76, 85, 94};

GenerationState makeState(Setting setting, unsigned shuffleSeed = 0) {
  GenerationState state;
  state.options.character = setting.chris;
  state.options.hardDifficulty = setting.hard;
  buildSlotCatalogue(state);
  state.placement.resize(kSlotCount);
  std::iota(state.placement.begin(), state.placement.end(), 0);
  if (shuffleSeed != 0) {
    std::mt19937 rng(shuffleSeed);
    std::shuffle(state.placement.begin(), state.placement.end(), rng);
  }
  return state;
}

// Gives every catalogue entry the name "E<index>", so each item line tells
// which slot it belongs to and which entry it shows.
void makeNamesUnique(GenerationState& state) {
  for (std::size_t k = 0; k < state.slotNames.size(); ++k) state.slotNames[k] = "E" + std::to_string(k);
}

// Splits on CR LF; fails the test on a bare LF or CR or a missing final line end.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end with CR LF";
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF in \"" << line << "\"";
  }
  return lines;
}

std::string itemLine(const GenerationState& state, int32_t slot) {
  return "\t" + state.slotNames[slot] + " is replaced with " + state.slotNames[state.placement[slot]];
}

bool isItemLine(const std::string& line) { return !line.empty() && line[0] == '\t'; }

// Lines after the version and credit lines.
std::vector<std::string> bodyLines(const GenerationState& state) {
  std::vector<std::string> lines = splitLines(formatCheatSheet(state));
  EXPECT_GE(lines.size(), 2u);
  lines.erase(lines.begin(), lines.begin() + std::min<std::size_t>(2, lines.size()));
  return lines;
}

std::vector<std::string> headings(const std::vector<std::string>& body) {
  std::vector<std::string> result;
  std::copy_if(body.begin(), body.end(), std::back_inserter(result),
               [](const std::string& line) { return !isItemLine(line); });
  return result;
}

// Index of the only line equal to `text`.
std::size_t indexOf(const std::vector<std::string>& lines, const std::string& text) {
  const auto first = std::find(lines.begin(), lines.end(), text);
  EXPECT_NE(first, lines.end()) << "no line \"" << text << "\"";
  EXPECT_EQ(std::count(lines.begin(), lines.end(), text), 1) << "\"" << text << "\" twice";
  return static_cast<std::size_t>(first - lines.begin());
}

std::vector<std::string> without(std::vector<std::string> lines, const std::set<std::string>& removed) {
  lines.erase(std::remove_if(lines.begin(), lines.end(), [&](const std::string& l) { return removed.count(l) > 0; }),
              lines.end());
  return lines;
}

// --- Content -----------------------------------------------------------------

TEST(CheatSheetFormatTest, FileNamesNameCharacterAndDifficulty) {
  RunOptions options;
  options.character = true;
  EXPECT_EQ(cheatSheetFileName(options), "CheatSheetChrisNormal.txt");
  options.hardDifficulty = true;
  EXPECT_EQ(cheatSheetFileName(options), "CheatSheetChrisHard.txt");
  options.character = false;
  EXPECT_EQ(cheatSheetFileName(options), "CheatSheetJillHard.txt");
  options.hardDifficulty = false;
  EXPECT_EQ(cheatSheetFileName(options), "CheatSheetJillNormal.txt");
}

TEST(CheatSheetFormatTest, StartsAsInTheChrisNormalExample) {
  GenerationState state = makeState({true, false});
  state.placement[0] = 3;
  state.placement[1] = 0;
  state.placement[3] = 1;
  const std::vector<std::string> lines = splitLines(formatCheatSheet(state));
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Version 0.85");
  EXPECT_EQ(lines[1], "Room names are taken from https://example.org/mansion-room-maps");
  EXPECT_EQ(lines[2], "MAIN HALL");
  EXPECT_EQ(lines[3], "\tJill's Handgun is replaced with Shield Key");
  EXPECT_EQ(lines[4], "DINING ROOM");
  EXPECT_EQ(lines[5], "\tInk Ribbon is replaced with Jill's Handgun");
  EXPECT_EQ(lines[6], "\tBlue Gemstone is replaced with Blue Gemstone");
}

TEST(CheatSheetFormatTest, VersionLineComesFromTheState) {
  GenerationState state = makeState({false, true});
  state.version = "Version 9.9";
  EXPECT_EQ(splitLines(formatCheatSheet(state)).at(0), "Version 9.9");
}

TEST(CheatSheetFormatTest, EveryLineEndsInCrLfAndNoLfStandsAlone) {
  for (const Setting setting : kSettings) {
    GenerationState state = makeState(setting, 8u);
    state.options.enemyRandomizer = true;
    state.enemyRoomTable = {{"Some Room", {2}}, {"Other Room", {6}}};
    const std::string text = formatCheatSheet(state);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << describe(setting);
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (text[k] == '\n') {
        ASSERT_TRUE(k > 0 && text[k - 1] == '\r') << describe(setting) << " bare LF at byte " << k;
      }
      if (text[k] == '\r') {
        ASSERT_TRUE(k + 1 < text.size() && text[k + 1] == '\n') << describe(setting) << " bare CR at byte " << k;
      }
    }
  }
}

TEST(CheatSheetFormatTest, LineCountsPerCharacterAndDifficulty) {
  const std::size_t expectedItemLines[] = {180, 141, 179, 143};
  const std::size_t expectedHeadings[] = {87, 79, 86, 79};
  for (std::size_t k = 0; k < std::size(kSettings); ++k) {
    const GenerationState state = makeState(kSettings[k], 21u);
    const std::vector<std::string> body = bodyLines(state);
    const auto items = static_cast<std::size_t>(std::count_if(body.begin(), body.end(), isItemLine));
    EXPECT_EQ(items, expectedItemLines[k]) << describe(kSettings[k]);
    EXPECT_EQ(headings(body).size(), expectedHeadings[k]) << describe(kSettings[k]);
  }
}

TEST(CheatSheetFormatTest, EachListedSlotHasOneLineShowingItsPlacedEntry) {
  for (const Setting setting : kSettings) {
    GenerationState state = makeState(setting, 1234u);
    makeNamesUnique(state);
    std::set<int32_t> expected;
    for (int32_t s = 0; s < kSlotCount; ++s) {
      if (setting.hard && kHardPinned.count(s)) continue;
      if (setting.chris && setting.hard && (s == 75 || s == 76)) continue;
      if (!setting.chris && !setting.hard && s == 39) continue;
      expected.insert(s);
    }

    std::vector<int32_t> order;
    for (const std::string& line : bodyLines(state)) {
      if (!isItemLine(line)) continue;
      int slot = -1;
      int entry = -1;
      char tail = 0;
      ASSERT_EQ(std::sscanf(line.c_str(), "\tE%d is replaced with E%d%c", &slot, &entry, &tail), 2) << line;
      ASSERT_TRUE(slot >= 0 && slot < kSlotCount) << line;
      EXPECT_EQ(entry, state.placement[slot]) << line;
      order.push_back(slot);
    }
    EXPECT_EQ(std::set<int32_t>(order.begin(), order.end()), expected) << describe(setting);
    EXPECT_EQ(order.size(), expected.size()) << describe(setting) << ": a slot is listed twice";
    // Apart from Jill's moved slots the lines follow the catalogue order.
    std::vector<int32_t> rest;
    std::copy_if(order.begin(), order.end(), std::back_inserter(rest),
                 [&](int32_t s) { return setting.chris || !kJillMoved.count(s); });
    EXPECT_TRUE(std::is_sorted(rest.begin(), rest.end())) << describe(setting);
  }
}

TEST(CheatSheetFormatTest, OnlySlotsTheShufflePinsAreLeftOut) {
  // A slot may only vanish from the sheet if its item can never move.
  for (const Setting setting : kSettings) {
    GenerationState state = makeState(setting, 6u);
    makeNamesUnique(state);
    std::set<int32_t> listed(kJillMoved.begin(), kJillMoved.end());
    for (const std::string& line : bodyLines(state)) {
      int slot = -1;
      if (isItemLine(line) && std::sscanf(line.c_str(), "\tE%d", &slot) == 1) listed.insert(slot);
    }
    const std::vector<SlotIndex> pinned = pinnedSlotOrder(state.options);
    for (int32_t s = 0; s < kSlotCount; ++s) {
      if (listed.count(s)) continue;
      EXPECT_NE(std::find(pinned.begin(), pinned.end(), s), pinned.end())
          << describe(setting) << ": slot " << s << " is left out but not pinned";
    }
  }
}

TEST(CheatSheetFormatTest, HeadingsStandDirectlyBeforeTheirSlot) {
  GenerationState state = makeState({true, false}, 42u);
  makeNamesUnique(state);
  const std::vector<std::string> body = bodyLines(state);
  const std::pair<const char*, int32_t> samples[] = {
      {"MAIN HALL", 0}, {"BAR", 15},       {"ATTIC ENTRY", 75},   {"ATTIC", 76},        {"CRYPT", 100},
      {"ROOM 001", 137}, {"PLANT 42 ROOM", 150}, {"X-RAY ROOM A", 167}, {"POWER MAZE B", 179},
  };
  for (const auto& [heading, slot] : samples) {
    const std::size_t at = indexOf(body, heading);
    ASSERT_LT(at + 1, body.size());
    EXPECT_EQ(body[at + 1], itemLine(state, slot)) << heading;
  }
}

TEST(CheatSheetFormatTest, HeadingsAreUpperCaseAndDifferOnlyByTheModeRules) {
  std::vector<std::vector<std::string>> all;
  for (const Setting setting : kSettings) all.push_back(headings(bodyLines(makeState(setting))));
  const std::vector<std::string>& chrisNormal = all[0];
  for (const auto& list : all) {
    for (const std::string& heading : list) {
      EXPECT_FALSE(heading.empty());
      EXPECT_TRUE(std::none_of(heading.begin(), heading.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
          << heading;
    }
  }
  const std::set<std::string> notInHard = {"NORTHERN CORRIDOR", "DINING ROOM 2F",  "SLIDING TRAP ROOM",
                                           "MAIN GARDEN",       "ZIGZAG PATH",     "CONTROL ROOM",
                                           "AQUA RING EXIT"};
  std::set<std::string> chrisHardRemoved = notInHard;
  chrisHardRemoved.insert("ATTIC ENTRY");
  EXPECT_EQ(all[1], without(chrisNormal, chrisHardRemoved));

  std::vector<std::string> jillNormal = without(chrisNormal, {"MAIN HALL", "ATTIC ENTRY"});
  jillNormal.insert(std::find(jillNormal.begin(), jillNormal.end(), "PLANT 42 ROOM"), "RESIDENCE MEDICAL ROOM");
  EXPECT_EQ(all[2], jillNormal);
  EXPECT_EQ(all[3], without(jillNormal, notInHard));
}

TEST(CheatSheetFormatTest, JillHasNoMainHallAndStartsWithTheDiningRoom) {
  for (const bool hard : {false, true}) {
    const std::vector<std::string> body = bodyLines(makeState({false, hard}, 5u));
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body[0], "DINING ROOM");
    EXPECT_EQ(std::count(body.begin(), body.end(), "MAIN HALL"), 0);
  }
}

TEST(CheatSheetFormatTest, JillMovedLinesStandInTheirNewRooms) {
  for (const bool hard : {false, true}) {
    GenerationState state = makeState({false, hard}, 77u);
    makeNamesUnique(state);
    const std::vector<std::string> body = bodyLines(state);
    const std::size_t pillar = indexOf(body, "PILLAR ROOM");
    ASSERT_GE(pillar, 1u);
    EXPECT_EQ(body[pillar - 1], itemLine(state, 37));
    const std::size_t bedroom = indexOf(body, "BEDROOM");
    ASSERT_GE(bedroom, 1u);
    EXPECT_EQ(body[bedroom - 1], itemLine(state, 0));
    const std::size_t medical = indexOf(body, "RESIDENCE MEDICAL ROOM");
    ASSERT_LT(medical + 5, body.size());
    EXPECT_EQ(body[medical + 1], itemLine(state, 94));
    EXPECT_EQ(body[medical + 2], itemLine(state, 75));
    EXPECT_EQ(body[medical + 3], itemLine(state, 76));
    EXPECT_EQ(body[medical + 4], itemLine(state, 85));
    EXPECT_EQ(body[medical + 5], "PLANT 42 ROOM");
  }
}

TEST(CheatSheetFormatTest, AtticEntryOnlyForChrisOnNormalElseAtticStartsWithSlot77) {
  for (const Setting setting : kSettings) {
    GenerationState state = makeState(setting, 9u);
    makeNamesUnique(state);
    const std::vector<std::string> body = bodyLines(state);
    const bool chrisNormal = setting.chris && !setting.hard;
    EXPECT_EQ(std::count(body.begin(), body.end(), "ATTIC ENTRY"), chrisNormal ? 1 : 0) << describe(setting);
    const std::size_t attic = indexOf(body, "ATTIC");
    ASSERT_LT(attic + 1, body.size());
    // Slot 76 is pinned for Chris in Hard and moved for Jill; only Chris on
    // Normal lists it under its own attic.
    EXPECT_EQ(body[attic + 1], itemLine(state, chrisNormal ? 76 : 77)) << describe(setting);
    if (chrisNormal) {
      EXPECT_EQ(body[attic - 1], itemLine(state, 75));
    }
  }
}

TEST(CheatSheetFormatTest, JillHardKitchenIsEmpty) {
  const std::vector<std::string> body = bodyLines(makeState({false, true}, 3u));
  const std::size_t kitchen = indexOf(body, "KITCHEN");
  ASSERT_LT(kitchen + 1, body.size());
  EXPECT_EQ(body[kitchen + 1], "CONCRETE PASSAGE 2");
}

TEST(CheatSheetFormatTest, LastLineIsSlot179WithoutEnemies) {
  for (const Setting setting : kSettings) {
    GenerationState state = makeState(setting, 31u);
    makeNamesUnique(state);
    const std::vector<std::string> body = bodyLines(state);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body.back(), itemLine(state, 179)) << describe(setting);
  }
}

TEST(CheatSheetFormatTest, EnemySectionFollowsTheLastItemLine) {
  GenerationState state = makeState({false, false}, 31u);
  const std::string withoutEnemies = formatCheatSheet(state);
  state.options.enemyRandomizer = true;
  state.enemyRoomTable = {{"Some Room", {4}}};
  const std::string withEnemies = formatCheatSheet(state);
  ASSERT_EQ(withEnemies.compare(0, withoutEnemies.size(), withoutEnemies), 0);
  std::ostringstream section;
  writeEnemyPositionsSection(section, state.enemyRoomTable);
  EXPECT_EQ(withEnemies.substr(withoutEnemies.size()), section.str());
  EXPECT_EQ(withEnemies.compare(withoutEnemies.size(), 27, "\r\n\r\nENEMY RANDO POSITIONS\r\n"), 0);
}

TEST(CheatSheetFormatTest, ModifiedEntriesShowTheirNamesAndOmissionsStayFixed) {
  GenerationState state = makeState({true, true});
  state.placement[10] = kExtraNameIndex;
  state.placement[11] = 137;
  state.placement[12] = 137;
  state.placement[4] = 167;  // pinned in Hard: left out although it changed
  const std::vector<std::string> body = bodyLines(state);
  EXPECT_EQ(std::count(body.begin(), body.end(), "\tFlash Grenade is replaced with Fuel Supply Capsule (ARMED)"), 1);
  EXPECT_EQ(std::count(body.begin(), body.end(), "\tBroken Shotgun is replaced with Self Defense Gun"), 1);
  EXPECT_EQ(std::count(body.begin(), body.end(), "\tInk Ribbon is replaced with Self Defense Gun"), 1);
  EXPECT_EQ(std::count(body.begin(), body.end(), "\tHandgun Magazine is replaced with X-Ray of CLARK"), 0);
  // Slots kept in place in every mode still get a line naming the same item twice.
  EXPECT_EQ(std::count(body.begin(), body.end(), "\tDog Collar is replaced with Dog Collar"), 1);
}

// --- Writing -----------------------------------------------------------------

class CheatSheetWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state = makeState({true, false}, 64u);
    output.directory = folder.string();
  }

  std::vector<std::string> folderEntries() const { return temp.entries(); }

  TempFolder temp;
  const fs::path folder = temp.path;
  GenerationState state;
  OutputSettings output;
  std::ostringstream console;
  std::ostringstream errors;
  Reporter reporter{console, errors};
};

TEST_F(CheatSheetWriteTest, ReplacesAnEarlierFileWithTheFormattedSheet) {
  state.options.character = false;
  state.options.hardDifficulty = true;
  state.slotNames.clear();
  state.slotZones.clear();
  buildSlotCatalogue(state);
  const fs::path target = folder / "CheatSheetJillHard.txt";
  std::ofstream(target, std::ios::binary) << std::string(100000, 'x');

  EXPECT_TRUE(writeCheatSheet(state, output, reporter));

  EXPECT_EQ(readFile(target), formatCheatSheet(state));
  EXPECT_EQ(console.str(), "Now writing CheatSheetJillHard.txt\n");
  EXPECT_EQ(errors.str(), "");
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"CheatSheetJillHard.txt"});
}

TEST_F(CheatSheetWriteTest, MissingFolderFailsWithOneErrorLine) {
  std::ofstream(folder / "plain_file") << "not a folder";
  for (const fs::path& bad : {folder / "no_such_folder", folder / "plain_file" / "sub"}) {
    console.str("");
    errors.str("");
    output.directory = bad.string();

    EXPECT_FALSE(writeCheatSheet(state, output, reporter)) << bad;

    EXPECT_EQ(console.str(), "Now writing CheatSheetChrisNormal.txt\n");
    const std::string error = errors.str();
    EXPECT_NE(error.find("CheatSheetChrisNormal.txt"), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_EQ(error.back(), '\n');
  }
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"plain_file"});
  EXPECT_EQ(readFile(folder / "plain_file"), "not a folder");
}

TEST_F(CheatSheetWriteTest, FailedReplaceKeepsWhatWasThereAndLeavesNoTemporaryFile) {
  // A folder in the sheet's place cannot be replaced by a file, even by root.
  const fs::path occupied = folder / "CheatSheetChrisNormal.txt";
  fs::create_directories(occupied);
  std::ofstream(occupied / "earlier.txt", std::ios::binary) << "earlier contents";

  EXPECT_FALSE(writeCheatSheet(state, output, reporter));

  EXPECT_EQ(console.str(), "Now writing CheatSheetChrisNormal.txt\n");
  const std::string error = errors.str();
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  EXPECT_NE(error.find("CheatSheetChrisNormal.txt"), std::string::npos) << error;
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"CheatSheetChrisNormal.txt"});
  EXPECT_TRUE(fs::is_directory(occupied));
  EXPECT_EQ(readFile(occupied / "earlier.txt"), "earlier contents");
}

}  // namespace
