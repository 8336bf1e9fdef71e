// The check of item list files and the fuzzer's corpus, on
// files the program itself writes and on edited copies of them.
#include "engine/item_list_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "catalogue/slot_catalogue.h"
#include "enemies/enemy_room_table.h"
#include "engine/run.h"
#include "item_list_input_check.h"
#include "output/cheat_sheet.h"
#include "output/item_list.h"
#include "output/item_list_reader.h"
#include "placement/constraint_tables.h"
#include "placement/reference_placement.h"
#include "support/generated_run.h"

namespace {

// "line N: reason" for a malformed file, else the problems, one per line.
std::string verdict(const std::string& bytes, const RunOptions& options) {
  ItemListContents contents;
  ItemListFault fault;
  if (!readItemList(bytes, contents, fault)) return "line " + std::to_string(fault.line) + ": " + fault.reason;
  GenerationState state;
  state.options = options;
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  state.placement = contents.placement;
  std::string joined;
  for (const std::string& problem : completionProblems(state)) joined += problem + "\n";
  return joined;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

TEST(ItemListCheckTest, FilesTheProgramWritesPassForEverySettingAndOptionMix) {
  for (int mix = 0; mix < 6; ++mix) {
    for (int which = 0; which < 4; ++which) {
      const bool chris = which >= 2;
      // Chris runs take a long search; two mixes cover them.
      if (chris && (mix % 3 != 1 || kSlowBuild)) continue;
      RunOptions options = setting(chris, which % 2 == 1);
      options.enemyRandomizer = mix % 2 == 1;
      options.healingToJunk = options.inkRibbonsToJunk = options.armedFuelCapsule = mix == 1 || mix == 5;
      options.ammoToJunk = options.defenceToJunk = mix == 2 || mix == 5;
      options.allToSelfDefenseGun = mix >= 4;
      const std::string bytes = formatItemList(generated(options, 100u + static_cast<uint32_t>(mix)));
      // Modifier 5 keeps the key items on its lists (the Broken Shotgun,
      // Chris's Jill's Handgun), so its runs pass too.
      const std::string result = verdict(bytes, options);
      EXPECT_EQ(result, "") << "mix " << mix << ", setting " << which;
      std::string lf;
      for (char c : bytes) {
        if (c != '\r') lf += c;
      }
      EXPECT_EQ(verdict(lf, options), result) << "LF line ends, mix " << mix << ", setting " << which;
    }
  }
}

TEST(ItemListCheckTest, EditedFilesFailWithTheirMessage) {
  const RunOptions jillNormal = setting(false, false), jillHard = setting(false, true);
  RunOptions jillHardEnemies = jillHard;
  jillHardEnemies.enemyRandomizer = true;
  const GenerationState normal = generated(jillNormal, 1u);
  const std::vector<std::string> base = linesOf(formatItemList(normal));
  const std::vector<std::string> withEnemies = linesOf(formatItemList(generated(jillHardEnemies, 2u)));
  std::vector<std::string> identity;
  for (int s = 0; s < kSlotCount; ++s) identity.push_back(std::to_string(s));
  // A slot of zone 17, which the Shield Key (item 3) opens, that no pin holds.
  SlotIndex zone17 = -1;
  for (SlotIndex s = 0; s < kSlotCount && zone17 < 0; ++s) {
    if (normal.slotZones[s] == 17 && normal.placement[s] != s) zone17 = s;
  }
  ASSERT_GE(zone17, 0);
  const auto swapped = [](std::vector<std::string> lines, const std::string& a, size_t slot) {
    const size_t at = static_cast<size_t>(std::find(lines.begin(), lines.end(), a) - lines.begin());
    std::swap(lines[at], lines[slot]);
    return lines;
  };
  const auto replaced = [](std::vector<std::string> lines, size_t line, const std::string& text) {
    lines[line - 1] = text;
    return lines;
  };
  std::vector<std::string> cut = withEnemies;
  cut.resize(200);
  std::vector<std::string> longer = withEnemies;
  longer.push_back("");
  // Lines of the room with the tyrants and of another room that allows them:
  // the Attic, or the Art Room when the Attic has them.
  const size_t tyrants =
      static_cast<size_t>(std::find(withEnemies.begin() + 181, withEnemies.end(), "3") - withEnemies.begin()) + 1;
  const size_t otherTyrants = tyrants == 184 ? 183 : 184;
  // The tyrants' room given an ordinary code of its own list instead.
  EnemyRoomTable rooms;
  loadEnemyRoomTable(rooms);
  const std::vector<EnemyCode>& tyrantsRoom = std::next(rooms.begin(), static_cast<long>(tyrants) - 182)->second;
  const EnemyCode ordinary = *std::find_if(tyrantsRoom.begin(), tyrantsRoom.end(),
                                           [](EnemyCode code) { return code != 3 && code != 7 && code != 10; });

  struct Case {
    const char* what;
    RunOptions options;
    std::vector<std::string> lines;
    std::string expected;  // a substring of the verdict
  };
  const Case cases[] = {
      {"key behind its own lock", jillNormal, swapped(base, "3", static_cast<size_t>(zone17)),
       "Shield Key lies behind the lock it opens: in "},
      {"keys that lock each other in", setting(true, false), identity,
       "Dog Collar lies behind itself: reaching Dog Collar (OUTSIDE BALCONY: Dog Collar) needs Old Key, reaching "
       "Old Key (RESEARCHER'S BEDROOM: Old Key) needs Dog Collar\n"},
      {"pinned slot broken", jillHard, swapped(identity, "1", 4),
       "pinned slot 4 (WEST WING OUTER STAIRWAY: Handgun Magazine) must keep its own item but holds Ink Ribbon\n"},
      {"pinned slot holding a namesake", jillHard, swapped(identity, "8", 4),
       "pinned slot 4 (WEST WING OUTER STAIRWAY: Handgun Magazine) must keep its own item but holds the Handgun "
       "Magazine of slot 8\n"},
      {"slot lines cut off", jillNormal, std::vector<std::string>(base.begin(), base.end() - 1),
       "line 180: the file ends after 179 of 180 slot lines"},
      {"entry past the catalogue", jillNormal, replaced(base, 9, "181"),
       "line 9: expected a catalogue entry from 0 to 180, found '181'"},
      {"leading zero", jillNormal, replaced(base, 9, "07"),
       "line 9: expected a catalogue entry from 0 to 180, found '07'"},
      {"control bytes", jillNormal, replaced(base, 2, std::string("\x01\xff\\ 1234567890123456789012345", 28)),
       "line 2: expected a catalogue entry from 0 to 180, found '\\x01\\xff\\x5c 12345678901234567890...'"},
      {"not the enemy header", jillNormal,
       [&] {
         auto l = base;
         l.push_back("ENEMYRANDODATA ");
         return l;
       }(),
       "line 181: expected ENEMYRANDODATA or the end of the file, found 'ENEMYRANDODATA '"},
      {"enemy block cut off", jillHard, cut, "line 201: the enemy block ends after 19 of 53 rooms"},
      {"line after the enemy block", jillHard, longer, "line 235: the file goes on after the enemy block"},
      {"code a room does not allow", jillHard, replaced(withEnemies, 227, "2"),
       "line 227: Small Library does not allow enemy code 2 (CHIMERAS)"},
      {"no enemy code", jillHard, replaced(withEnemies, 182, "0"),
       "line 182: expected an enemy code from 1 to 10 for Aqua Ring Walkway, found '0'"},
      {"once-only code twice", jillHard, replaced(withEnemies, otherTyrants, "3"),
       "line " + std::to_string(std::max(tyrants, otherTyrants)) + ": enemy code 3 (TYRANTS) goes to one room only"},
      {"once-only code in no room", jillHard, replaced(withEnemies, tyrants, std::to_string(ordinary)),
       "line 234: no room has enemy code 3 (TYRANTS), which one room must have"},
  };
  for (const Case& c : cases) {
    const std::string result = verdict(joinLines(c.lines), c.options);
    EXPECT_NE(result.find(c.expected), std::string::npos) << c.what << ":\n" << result;
    // A key behind its own lock is one problem, not also a loop of one key.
    if (c.what == std::string("key behind its own lock")) {
      EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 1) << result;
    }
  }
  // A key removed: its own message.
  std::vector<std::string> removed = base;
  *std::find(removed.begin(), removed.end(), "11") = "137";
  EXPECT_EQ(verdict(joinLines(removed), jillNormal),
            "key item Broken Shotgun is missing, so zone 37 (LIVING ROOM) stays closed\n");
}

TEST(ItemListCheckTest, EveryCorpusInputKeepsTheFuzzersChecks) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(ITEM_LIST_CORPUS_DIR)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string input{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(checkItemListInput(reinterpret_cast<const uint8_t*>(input.data()), input.size()), "")
        << entry.path().filename();
    ++files;
  }
  EXPECT_GE(files, 20u) << ITEM_LIST_CORPUS_DIR;
}

}  // namespace
