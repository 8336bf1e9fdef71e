// Plando files read, refused and proved, and plando runs made from them.
#include "engine/plando.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "catalogue/pins.h"
#include "catalogue/slot_catalogue.h"
#include "engine/run.h"
#include "output/key_route_file.h"
#include "output/spoiler_json.h"
#include "placement/constraint_tables.h"
#include "placement/key_route.h"
#include "placement/plando_proof.h"
#include "placement/validator.h"
#include "placement/search_kernel.h"

namespace {

RunOptions setting(bool chris, bool hard, int modifier = 0) {
  RunOptions options;
  options.character = chris;
  options.hardDifficulty = hard;
  if (modifier != 0) *modifierSwitch(options, modifier) = true;
  return options;
}

// generateRun of `seed` with the plando's exchanges, printing nowhere.
bool generatePlandoRun(GenerationState& state, uint32_t seed, const Plando& plando, SearchSettings search = {}) {
  std::ostringstream console;
  Reporter reporter(console, console);
  search.fixedItems = plandoFixes(plando);
  return generateRun(state, search, reporter, seed);
}

GenerationState tablesFor(const RunOptions& options) {
  GenerationState state;
  state.options = options;
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  return state;
}

// The lines parsePlando accepts, as "slot<-item", or its refusals.
std::string verdict(const RunOptions& options, const std::string& text) {
  const GenerationState state = tablesFor(options);
  Plando plando;
  std::vector<std::string> refusals;
  std::string out;
  if (!parsePlando(state, "p.txt", text, plando, refusals)) {
    for (const std::string& refusal : refusals) out += refusal + "\n";
    return out;
  }
  for (const PlandoLine& line : plando.lines) {
    out += std::to_string(line.fixed.slot) + "<-" + std::to_string(line.fixed.item) + " ";
  }
  return out;
}

// Every refusal names the file, the line and the reason, and every accepted
// form means the entry it should: shared names take the first free entry,
// numbered names exactly one, "(2)" the second slot of one name in a room.
TEST(PlandoTest, ReadsEveryFormAndRefusesEveryBadLine) {
  const RunOptions chrisNormal = setting(true, false);
  const RunOptions jillHard = setting(false, true);
  struct Case {
    const char* name;
    RunOptions options;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"forms, case, spaces, CR LF, ignored lines", chrisNormal,
       "\xEF\xBB\xBF# practice\r\nStep 1\r\n\tshield KEY  in dining room:   ink ribbon\r\n\r\nOut of reach\r\n"
       "Blue Gemstone in slot 100\n",
       "1<-3 100<-2 "},
      {"shared and numbered names", chrisNormal, "Old Key in slot 1\nOld Key in slot 2\nOld Key 5 in slot 3\n",
       "1<-9 2<-32 3<-94 "},
      {"second slot of one name", jillHard,
       "Ink Ribbon in WINDING UNDERGROUND PASSAGE: Green Herb (2)\nDagger in winding underground passage: green herb\n",
       "125<-1 124<-19 "},
      {"a pinned slot given its own item", jillHard,
       "Handgun Magazine in WEST WING OUTER STAIRWAY: Handgun Magazine\nHandgun Magazine in slot 1\n", "4<-4 1<-8 "},
      {"a spoiler file's key items", chrisNormal,
       "{\n  \"slots\": [\n    {\n      \"slot\": 7,\n      \"entry\": 3,\n      \"key\": true\n    },\n    {\n"
       "      \"slot\": 8,\n      \"entry\": 1,\n      \"key\": false\n    }\n  ]\n}\n",
       "7<-3 "},
      {"unknown item, room and slot", chrisNormal,
       "Shield Kye in DINING ROOM: Ink Ribbon\nShield Key in DINNG ROOM: Ink Ribbon\nShield Key in DINING ROOM: "
       "Ink Ribon\nShield Key\n",
       "p.txt line 1: unknown item \"shield kye\"; did you mean \"Shield Key\"?\n"
       "p.txt line 2: unknown room \"dinng room\"; did you mean \"DINING ROOM\" or \"LIVING ROOM\"?\n"
       "p.txt line 3: no slot \"ink ribon\" in dining room; did you mean \"Ink Ribbon\"?\n"
       "p.txt line 4: expected \"ITEM in ROOM: SLOT\" or \"ITEM in slot N\"\n"},
      {"fixed twice, two in one slot, no such slot", chrisNormal,
       "Shield Key in slot 1\nShield Key in slot 2\nBlue Gemstone in slot 1\nInk Ribbon in slot 180\n",
       "p.txt line 2: the Shield Key is fixed already on line 1\n"
       "p.txt line 3: DINING ROOM: Ink Ribbon is given an item already on line 1\n"
       "p.txt line 4: there is no slot 180: slots are 0 to 179\n"},
      {"pins, and the other character's item", jillHard,
       "Ink Ribbon in WEST WING OUTER STAIRWAY: Handgun Magazine\nBee Specimen in slot 1\nJill's Handgun in slot 2\n",
       "p.txt line 1: WEST WING OUTER STAIRWAY: Handgun Magazine keeps its own item in Jill's game on Hard\n"
       "p.txt line 2: the Bee Specimen stays in FISH TANK ROOM: Bee Specimen in Jill's game on Hard\n"
       "p.txt line 3: the Jill's Handgun is not in Jill's game on Hard\n"},
      {"a modifier's item", setting(true, false, 1), "Red Herb in slot 1\n",
       "p.txt line 1: modifier 1 turns the Red Herb into another item\n"},
      {"a long line", chrisNormal, "Shield Key in slot 1\n#" + std::string(200, 'x') + "\n",
       "p.txt line 2: the line is over 200 bytes\n"},
      {"a long file", chrisNormal, std::string(kPlandoFileLimit + 1, '\n'), "p.txt: the file is over 64 KiB\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(verdict(c.options, c.text), c.expected) << c.name;
}

// An impossible plando is reported by its smallest set of lines and the
// cause: an item in a zone it locks or that needs it, fixed keys locking each
// other in (a pinned key among them), too few slots open where keys can be
// reached, the lines that do not matter left out. A crowded plando that the
// quick greedy placement fails on but that has a passing placement is proven
// possible (expected text empty).
TEST(PlandoTest, ExplainsAnImpossiblePlandoByItsSmallestSetOfLines) {
  struct Case {
    const char* name;
    RunOptions options;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"a key behind its own lock", setting(true, false),
       "Ink Ribbon in slot 50\nBlue Gemstone in TIGER STATUE ROOM: Shotgun Shells\n",
       "p.txt: no run can keep these lines:\np.txt line 2: Blue Gemstone in TIGER STATUE ROOM: Shotgun Shells\n"
       "Blue Gemstone in TIGER STATUE ROOM: Shotgun Shells: the TIGER STATUE ROOM needs the Blue Gemstone\n"},
      {"a key in a room that needs it", setting(false, false), "Stone and Metal Object in slot 124\n",
       "p.txt: no run can keep these lines:\np.txt line 1: Stone and Metal Object in WINDING UNDERGROUND PASSAGE: "
       "Green Herb\nStone and Metal Object in WINDING UNDERGROUND PASSAGE: Green Herb: the WINDING UNDERGROUND "
       "PASSAGE needs the Stone and Metal Object\n"},
      {"a fixed key and a pinned one", setting(true, false), "Shield Key in slot 1\nOld Key 2 in BAR: Missing Music\n",
       "p.txt: no run can keep these lines:\np.txt line 2: Old Key 2 in BAR: Missing Music\n"
       "Old Key 2 and Dog Collar lock each other in: the BAR needs the Dog Collar; the OUTSIDE BALCONY needs the "
       "Old Key 2\n"},
      {"two fixed keys", setting(true, false),
       "Golden Arrow / Arrowhead in TIGER STATUE ROOM: Shotgun Shells\nInk Ribbon in slot 50\n"
       "Book of Curses / Sword Key in CRYPT: Book of Curses / Sword Key\n",
       "p.txt: no run can keep these lines:\n"
       "p.txt line 1: Golden Arrow / Arrowhead in TIGER STATUE ROOM: Shotgun Shells\n"
       "p.txt line 3: Book of Curses / Sword Key in CRYPT: Book of Curses / Sword Key\n"
       "Book of Curses / Sword Key and Golden Arrow / Arrowhead lock each other in: the CRYPT needs the Golden "
       "Arrow / Arrowhead; the TIGER STATUE ROOM needs the Book of Curses / Sword Key\n"},
      {"the first zone filled up, no slot left for the first key", setting(false, false),
       "Ink Ribbon 1 in DINING ROOM: Ink Ribbon\n"
       "Handgun Magazine 1 in DINING ROOM: Blue Gemstone\n"
       "Green Herb (Left) 1 in WEST WING OUTER STAIRWAY: Handgun Magazine\n"
       "Green Herb (Right) 1 in WEST WING OUTER STAIRWAY: Green Herb (Left)\n"
       "Battery Pack 1 in WEST WING OUTER STAIRWAY: Green Herb (Right)\n"
       "Handgun Magazine 2 in GRAVEYARD: Shotgun Shells\n"
       "Battery Pack 2 in ART ROOM: Dagger\n"
       "Battery Pack 3 in DINING ROOM 2F: Dagger\n"
       "Ink Ribbon 2 in MIRROR CORRIDOR: Green Herb\n"
       "Shotgun Shells 1 in MIRROR CORRIDOR: Golden Arrow / Arrowhead\n"
       "MO Disk 1 in MIRROR CORRIDOR: Handgun Magazine\n",
       "p.txt: no run can keep these lines:\n"
       "p.txt line 1: Ink Ribbon 1 in DINING ROOM: Ink Ribbon\n"
       "p.txt line 2: Handgun Magazine 1 in DINING ROOM: Blue Gemstone\n"
       "p.txt line 3: Green Herb (Left) 1 in WEST WING OUTER STAIRWAY: Handgun Magazine\n"
       "p.txt line 4: Green Herb (Right) 1 in WEST WING OUTER STAIRWAY: Green Herb (Left)\n"
       "p.txt line 5: Battery Pack 1 in WEST WING OUTER STAIRWAY: Green Herb (Right)\n"
       "p.txt line 6: Handgun Magazine 2 in GRAVEYARD: Shotgun Shells\n"
       "p.txt line 7: Battery Pack 2 in ART ROOM: Dagger\n"
       "p.txt line 8: Battery Pack 3 in DINING ROOM 2F: Dagger\n"
       "p.txt line 9: Ink Ribbon 2 in MIRROR CORRIDOR: Green Herb\n"
       "p.txt line 10: Shotgun Shells 1 in MIRROR CORRIDOR: Golden Arrow / Arrowhead\n"
       "p.txt line 11: MO Disk 1 in MIRROR CORRIDOR: Handgun Magazine\n"
       "too few free slots are left where the key items can be reached before the locks that need them\n"},
      {"possible though the greedy fails", setting(true, true),
       "Book of Curses / Sword Key in VISUAL DATA ROOM: MO Disk\nBlue Herb (Left) 1 in LISA'S ROOM: Blue Herb\n", ""},
  };
  for (const Case& c : cases) {
    const GenerationState state = tablesFor(c.options);
    Plando plando;
    std::vector<std::string> why;
    ASSERT_TRUE(parsePlando(state, "p.txt", c.text, plando, why)) << c.name;
    EXPECT_EQ(provePlando(state, plando, why), c.expected.empty()) << c.name;
    if (c.expected.empty()) {
      EXPECT_FALSE(provePlacementGreedily(state, plandoFixes(plando)).feasible) << c.name;
      const PlandoProof proof = provePlacement(state, plandoFixes(plando));
      GenerationState check = state;
      check.placement = proof.placement;
      EXPECT_TRUE(proof.decided && checkPlacement(check)) << c.name;
    }
    std::string out;
    for (const std::string& line : why) out += line + "\n";
    EXPECT_EQ(out, c.expected) << c.name;
  }
}

// A run's key route file and spoiler file, read back as plandos, give runs of
// other seeds whose key items lie where they did; the same plando run comes
// out alike at 1 and 2 threads and with every build of the search's loops.
TEST(PlandoTest, RoutesReadBackKeepTheirKeysOnEveryThreadCountAndKernel) {
  for (const RunOptions& options : {setting(true, false), setting(false, true)}) {
    GenerationState first;
    first.options = options;
    ASSERT_TRUE(generatePlandoRun(first, 11, Plando()));
    const std::vector<std::string> files = {formatKeyRoute(first, planKeyRoute(first)), formatSpoilerJson(first, 11)};
    for (const std::string& file : files) {
      Plando plando;
      std::vector<std::string> refusals;
      ASSERT_TRUE(parsePlando(tablesFor(options), "route", file, plando, refusals)) << refusals.front();
      std::vector<Placement> placements;
      for (int k = 0; k < searchKernelCount(); ++k) {
        for (int threads : {1, 2}) {
          GenerationState again;
          again.options = options;
          SearchSettings search;
          search.threads = threads;
          search.kernel = searchKernel(k).name;
          ASSERT_TRUE(generatePlandoRun(again, 12, plando, search));
          placements.push_back(again.placement);
        }
      }
      for (const Placement& placement : placements) EXPECT_EQ(placement, placements.front());
      for (const std::vector<KeyPickup>& step : planKeyRoute(first).steps) {
        for (const KeyPickup& pickup : step) {
          const auto slot = static_cast<std::size_t>(pickup.slot);
          // The very key, not a namesake: "Old Key 3" is read back as Old Key 3.
          EXPECT_EQ(placements.front()[slot], pickup.item) << first.slotNames[slot];
        }
      }
    }
  }
}

}  // namespace

// The proof is sound: whenever it finds a placement for random plandos of a
// few lines, the search finds a run that keeps every line; whenever it finds
// none, it names lines and a cause.
TEST(PlandoTest, WhatTheProofAcceptsTheSearchCompletes) {
  const RunOptions options = setting(false, false);
  const GenerationState state = tablesFor(options);
  const std::vector<SlotIndex> pins = pinnedSlotOrder(options);
  const auto pinned = [&pins](int32_t index) { return std::find(pins.begin(), pins.end(), index) != pins.end(); };
  CRandom random(7);
  int feasible = 0;
  for (int trial = 0; trial < 40; ++trial) {
    Plando plando;
    plando.fileName = "random";
    std::vector<bool> slotUsed(kSlotCount), itemUsed(kSlotCount);
    while (plando.lines.size() < 3) {
      const auto slot = static_cast<SlotIndex>(random.below(kSlotCount));
      const auto item = static_cast<int32_t>(random.below(kSlotCount));
      if (pinned(slot) || pinned(item) || slotUsed[slot] || itemUsed[item]) continue;
      slotUsed[slot] = itemUsed[item] = true;
      plando.lines.push_back({0, {slot, item}, ""});
    }
    std::vector<std::string> why;
    if (!provePlando(state, plando, why)) {
      EXPECT_GE(why.size(), 3u) << trial;
      continue;
    }
    ++feasible;
    GenerationState run;
    run.options = options;
    SearchSettings search;
    search.attemptLimit = int64_t{1} << 23;
    ASSERT_TRUE(generatePlandoRun(run, static_cast<uint32_t>(trial), plando, search)) << trial;
    for (const PlandoLine& line : plando.lines) EXPECT_EQ(run.placement[line.fixed.slot], line.fixed.item) << trial;
  }
  EXPECT_GT(feasible, 20);
}

// The exact proof against the validator and the greedy on random crowded
// plandos (half of the lines fix key items) for every setting: it always
// decides, every placement it builds keeps the lines and passes, and it
// never calls impossible what the greedy placed.
TEST(PlandoTest, TheExactProofAgreesWithTheValidatorAndTheGreedy) {
  for (int setting = 0; setting < 4; ++setting) {
    const GenerationState state = tablesFor(::setting(setting & 1, setting & 2));
    std::vector<int32_t> keys;
    for (const auto& entry : state.unlockTable) keys.insert(keys.end(), entry.second.begin(), entry.second.end());
    std::vector<bool> pinned(kSlotCount);
    for (SlotIndex slot : pinnedSlotOrder(state.options)) pinned[static_cast<std::size_t>(slot)] = true;
    CRandom random(static_cast<uint32_t>(31 + setting));
    for (int trial = 0; trial < 60; ++trial) {
      FixedItems fixes;
      std::vector<bool> slotUsed(kSlotCount), itemUsed(kSlotCount);
      const auto lines = 1 + random.below(30);
      while (fixes.size() < lines) {
        const auto slot = static_cast<std::size_t>(random.below(kSlotCount));
        const auto item = static_cast<std::size_t>(random.below(2) ? keys[random.below(static_cast<uint32_t>(keys.size()))]
                                                                   : static_cast<int32_t>(random.below(kSlotCount)));
        if (pinned[slot] || pinned[item] || slotUsed[slot] || itemUsed[item]) continue;
        slotUsed[slot] = itemUsed[item] = true;
        fixes.push_back({static_cast<SlotIndex>(slot), static_cast<int32_t>(item)});
      }
      const PlandoProof proof = provePlacement(state, fixes);
      EXPECT_TRUE(proof.decided) << setting << " " << trial;
      EXPECT_FALSE(!proof.feasible && provePlacementGreedily(state, fixes).feasible) << setting << " " << trial;
      if (!proof.feasible) continue;
      GenerationState check = state;
      check.placement = proof.placement;
      EXPECT_TRUE(checkPlacement(check)) << setting << " " << trial;
      for (const FixedItem& fix : fixes) EXPECT_EQ(proof.placement[fix.slot], fix.item) << setting << " " << trial;
    }
  }
}
