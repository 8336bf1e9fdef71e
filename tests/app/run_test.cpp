// Whole runs of the program against a literal run on the C library's
// generator: enemies, shuffle and validation, modifiers, in the order the run
// draws them. Any stray, missing or reordered draw changes the files.
#include "app/run.h"

#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/slot_catalogue.h"
#include "enemies/enemy_room_table.h"
#include "enemies/reference_enemy_assignment.h"
#include "modifiers/reference_item_modifiers.h"
#include "output/cheat_sheet.h"
#include "output/item_list.h"
#include "placement/constraint_tables.h"
#include "placement/reference_placement.h"
#include "program_run.h"
#include "support/temp_folder.h"

namespace {

Files literalRun(const RunOptions& options, uint32_t seed) {
  GenerationState state;
  std::ostringstream console;
  state.console = &console;
  state.options = options;
  ReferenceRandom random(seed);
  const auto nextRaw = [&random] { return random.next(); };
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  if (options.enemyRandomizer) {
    buildEnemyRoomTable(state);
    referenceAssign(state.enemyRoomTable, nextRaw);
  }
  referenceGeneratePlacement(state, random);
  state.placement = referenceModifiers(state.slotNames, state.placement, options, nextRaw);
  return {formatItemList(state), formatCheatSheet(state), console.str(), random.next()};
}

void expectSameRun(const RunOptions& options, uint32_t seed) {
  const Files expected = literalRun(options, seed);
  const Files actual = programRun(options, seed);
  EXPECT_EQ(actual.itemList, expected.itemList) << "seed " << seed;
  EXPECT_EQ(actual.cheatSheet, expected.cheatSheet) << "seed " << seed;
  EXPECT_EQ(actual.nextDraw, expected.nextDraw) << "seed " << seed;
  // The acceptance lines, attempt count included, stand in the transcript.
  EXPECT_NE(actual.console.find(expected.console), std::string::npos) << actual.console;
}

TEST(RunTest, JillRunsMatchTheLiteralRunForEveryOptionMix) {
  const uint32_t seeds[] = {0u, 1u, 1733600000u, 4294967295u};
  for (bool hard : {false, true}) {
    for (unsigned mix = 0; mix < 8; ++mix) {
      RunOptions options;
      options.hardDifficulty = hard;
      options.enemyRandomizer = (mix & 1u) != 0;
      options.healingToJunk = options.defenceToJunk = (mix & 2u) != 0;
      options.allToSelfDefenseGun = (mix & 4u) != 0;
      options.inkRibbonsToJunk = options.armedFuelCapsule = mix == 5;
      options.ammoToJunk = mix == 6;
      for (uint32_t seed : seeds) expectSameRun(options, seed + mix);
      if (kSlowBuild) break;
    }
  }
}

TEST(RunTest, ChrisRunsMatchTheLiteralRun) {
  // A literal Chris run takes seconds even optimised.
  if (kSlowBuild) GTEST_SKIP() << "too slow without optimisation";
  RunOptions options;
  options.character = true;
  options.enemyRandomizer = true;
  options.ammoToJunk = true;
  expectSameRun(options, 20261207u);
  options.hardDifficulty = true;
  options.enemyRandomizer = false;
  options.armedFuelCapsule = true;
  expectSameRun(options, 424242u);
}

TEST(RunTest, EnemyDrawsComeFirstAndShiftThePlacement) {
  RunOptions off;
  RunOptions on;
  on.enemyRandomizer = true;
  const Files withoutEnemies = programRun(off, 99u);
  const Files withEnemies = programRun(on, 99u);
  EXPECT_NE(withoutEnemies.itemList.substr(0, 600), withEnemies.itemList.substr(0, 600));
}

}  // namespace
