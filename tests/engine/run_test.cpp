// Whole runs of the program against a literal run on the C library's
// generator: enemies, shuffle and validation, modifiers, in the order the run
// draws them. Any stray, missing or reordered draw changes the files.
#include "engine/run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/command_line.h"
#include "catalogue/slot_catalogue.h"
#include "enemies/enemy_room_table.h"
#include "enemies/reference_enemy_assignment.h"
#include "modifiers/reference_item_modifiers.h"
#include "output/cheat_sheet.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "output/text_file.h"
#include "placement/constraint_tables.h"
#include "placement/generation.h"
#include "placement/reference_placement.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace {

Files literalRun(const RunOptions& options, uint32_t seed) {
  GenerationState state;
  std::ostringstream console;
  state.options = options;
  ReferenceRandom random(seed);
  const auto nextRaw = [&random] { return random.next(); };
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  if (options.enemyRandomizer) {
    buildEnemyRoomTable(state);
    referenceAssign(state.enemyRoomTable, nextRaw);
  }
  referenceGeneratePlacement(state, random, console, kTestAttemptLimit);
  state.placement = referenceModifiers(state.slotNames, state.placement, options, nextRaw,
                                       referenceKeyItems(state.lockTable, state.unlockTable));
  return {formatItemList(state), formatCheatSheet(state), console.str(), random.next(), ""};
}

// The program's run on one and on several threads against the literal run.
void expectSameRun(const RunOptions& options, uint32_t seed) {
  const Files expected = literalRun(options, seed);
  for (int threads : {1, 2, 4}) {
    const Files actual = programRun(options, seed, threads);
    EXPECT_EQ(actual.itemList, expected.itemList) << "seed " << seed << ", threads " << threads;
    EXPECT_EQ(actual.cheatSheet, expected.cheatSheet) << "seed " << seed << ", threads " << threads;
    EXPECT_EQ(actual.nextDraw, expected.nextDraw) << "seed " << seed << ", threads " << threads;
    // The acceptance lines, attempt count included, stand in the transcript.
    EXPECT_NE(actual.console.find(expected.console), std::string::npos) << actual.console;
  }
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
  // A literal Chris run takes seconds even optimised; these seeds need tens
  // of thousands of attempts, most need a million.
  if (kSlowBuild) GTEST_SKIP() << "too slow without optimisation";
  RunOptions options;
  options.character = true;
  options.enemyRandomizer = true;
  options.ammoToJunk = true;
  expectSameRun(options, 20261228u);
  options.hardDifficulty = true;
  options.enemyRandomizer = false;
  options.armedFuelCapsule = true;
  expectSameRun(options, 424250u);
}

TEST(RunTest, EnemyDrawsComeFirstAndShiftThePlacement) {
  RunOptions off;
  RunOptions on;
  on.enemyRandomizer = true;
  const Files withoutEnemies = programRun(off, 99u);
  const Files withEnemies = programRun(on, 99u);
  EXPECT_NE(withoutEnemies.itemList.substr(0, 600), withEnemies.itemList.substr(0, 600));
}

// The spoiler file says what the cheat sheet says: each item line under its
// heading is a slot of that room, each enemy line a room of that enemy.
// Finds each block as the writer lays it out.
void expectSpoilerMatchesCheatSheet(const std::string& spoiler, const std::string& cheatSheet, const std::string& code) {
  EXPECT_NE(spoiler.find("\n  \"fileCode\": \"" + code + "\",\n"), std::string::npos);
  std::istringstream lines(cheatSheet);
  std::string line, room;
  int itemLines = 0;
  while (std::getline(lines, line)) {
    line.pop_back();  // the CR
    const size_t replaced = line.find(" is replaced with ");
    const size_t colon = line.find(':');
    if (replaced != std::string::npos) {
      ++itemLines;
      EXPECT_NE(spoiler.find("\"room\": \"" + room + "\",\n      \"original\": \"" + line.substr(1, replaced - 1) +
                             "\",\n      \"item\": \"" + line.substr(replaced + 18) + "\",\n"),
                std::string::npos)
          << line << " under " << room;
    } else if (colon != std::string::npos && line.rfind("Room names", 0) != 0) {
      const size_t at = spoiler.find("\"room\": \"" + line.substr(0, colon) + "\",\n      \"enemy\": ");
      EXPECT_TRUE(at != std::string::npos &&
                  spoiler.find("\"name\"", at) == spoiler.find("\"name\": \"" + line.substr(colon + 1) + "\"\n", at))
          << line;
    } else {
      room = line;
    }
  }
  EXPECT_GE(itemLines, 141);
}

// Files the program wrote with these arguments plus --output-dir FOLDER, kept
// in tests/data/stored-runs. Unlike the literal run above they share no table
// with the program, so a changed catalogue row, lock, room or draw shows up
// here. Regenerate them only for a change meant to alter what the trainer reads.
TEST(RunTest, StoredRunsAreReproducedByteForByte) {
  // The directory, the arguments and the item list's file code.
  const char* const runs[][3] = {
      {"jill-normal-1", "--seed 1 --character jill --difficulty normal", "camel orchid hammer orchid shell"},
      {"jill-normal-0-enemies", "--seed 0 --character jill --difficulty normal --enemies",
       "castle umbrella moon fiddle piano"},
      {"jill-normal-1733600000-enemies-m1-m4-m6",
       "--seed 1733600000 --character jill --difficulty normal --enemies --modifier 1,4,6",
       "mule blade spruce timber otter"},
      {"jill-hard-5", "--seed 5 --character jill --difficulty hard", "fox straw ginger pony boat"},
      {"jill-hard-4294967295-m5", "--seed 4294967295 --character jill --difficulty hard --modifier 5",
       "peach cricket mirror daisy vanilla"},
      {"jill-hard-2024-enemies-m1-m2-m3-m4-m5-m6",
       "--seed 2024 --character jill --difficulty hard --enemies --modifier 1,2,3,4,5,6", "aspen quartz dingo daisy radish"},
      {"chris-normal-11", "--seed 11 --character chris --difficulty normal", "earth llama oak coral flute"},
      {"chris-normal-13-enemies-m2-m3", "--seed 13 --character chris --difficulty normal --enemies --modifier 2,3",
       "gull rabbit satchel rabbit cliff"},
      {"chris-hard-2", "--seed 2 --character chris --difficulty hard", "rose garden badger oak rabbit"},
      {"chris-hard-13-enemies-m5-m6", "--seed 13 --character chris --difficulty hard --enemies --modifier 5,6",
       "copper clover jade squid dove"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run[1]);
    std::istringstream words(run[1]);
    CommandLine commandLine;
    std::string error;
    ASSERT_TRUE(parseCommandLine({std::istream_iterator<std::string>(words), {}}, commandLine, error)) << error;
    const std::filesystem::path stored = std::filesystem::path(STORED_RUNS_DIR) / run[0];
    const Files actual = programRun(commandLine.options, commandLine.seed);
    const std::string itemList = readFile(stored / itemListFileName(commandLine.options));
    const std::string cheatSheet = readFile(stored / cheatSheetFileName(commandLine.options));
    EXPECT_EQ(actual.itemList, itemList);  // CR LF included
    EXPECT_EQ(actual.cheatSheet, cheatSheet);
    EXPECT_EQ(fileCode(itemList), run[2]);
    EXPECT_NE(actual.console.find(std::string("ItemList created!\nFile code: ") + run[2] + "\nNow writing"),
              std::string::npos)
        << actual.console;
    expectSpoilerMatchesCheatSheet(actual.spoiler, cheatSheet, run[2]);
  }
}

// A wrong zone in one catalogue row only changes runs whose search happens to
// try a key item in that slot: a few in a hundred. So Jill on Normal is also
// kept for 200 seeds, one line each: the seed, then the item list's numbers.
TEST(RunTest, StoredJillNormalSeedsAreReproduced) {
  std::istringstream lines(readFile(std::filesystem::path(STORED_RUNS_DIR) / "jill-normal-seeds-1000-1199.txt"));
  int runs = 0;
  for (std::string line; std::getline(lines, line); ++runs) {
    const size_t space = line.find(' ');
    const uint32_t seed = static_cast<uint32_t>(std::stoul(line.substr(0, space)));
    // The run's own steps without writing the files, which the runs above
    // already do: 200 flushes to the disk would cost seconds.
    GenerationState state;
    std::ostringstream console;
    Reporter reporter(console, std::cerr);
    SearchSettings search;
    search.attemptLimit = kTestAttemptLimit;
    state.random.reseed(seed);
    buildSlotCatalogue(state);
    buildConstraintTables(state);
    ASSERT_TRUE(generatePlacement(state, deriveSearchTables(state, ""), search, reporter));
    std::string numbers = formatItemList(state);
    for (size_t end; (end = numbers.find("\r\n")) != std::string::npos;) numbers.replace(end, 2, " ");
    numbers.pop_back();
    EXPECT_EQ(numbers, line.substr(space + 1)) << "seed " << seed;
    if (kSlowBuild && runs == 20) break;
  }
  EXPECT_GE(runs, 20);
}

// Creates the temporary file for real but hands back a stream on /dev/full,
// so every byte written to it fails as on a full disk.
std::FILE* createOnFullDisk(const std::string& path) {
  std::FILE* created = createNewFile(path);
  if (!created) return nullptr;
  std::fclose(created);
  return std::fopen("/dev/full", "wb");
}

struct FailingRun {
  TempFolder folder;
  GenerationState state;
  RunSettings settings;
  std::ostringstream console;
  std::ostringstream errors;
  Reporter reporter{console, errors};
  int status = -1;

  FailingRun(FileCreator create, int64_t attemptLimit = kAttemptLimit) {
    settings.output.directory = folder.path.string();
    settings.output.createFile = create;
    settings.search.attemptLimit = attemptLimit;
  }
  int runSeed(uint32_t seed) { return runGeneration(state, settings, reporter, seed, GeneratingLine::alreadyShown); }
  void keepEarlierFiles() {
    for (const std::string& name : {itemListFileName(state.options), cheatSheetFileName(state.options)}) {
      std::ofstream(folder.path / name, std::ios::binary) << "earlier " << name << "\r\n";
    }
  }
  std::string file(const std::string& name) const { return readFile(folder.path / name); }
};

TEST(RunFailureTest, FullDiskClaimsNothingAndKeepsBothEarlierFiles) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  FailingRun run(createOnFullDisk);
  run.keepEarlierFiles();
  EXPECT_EQ(run.runSeed(7u), kExitWriteFailed);
  EXPECT_EQ(run.errors.str(), "mansion-randomizer: cannot write " + run.folder.path.string() +
                                  "/ItemListJillNormal.txt: No space left on device\n");
  const std::string console = run.console.str();
  EXPECT_NE(console.find("Writing to ItemListJillNormal.txt\n"), std::string::npos);
  for (const char* claim : {"ItemList created!", "Now writing", "Completed!"}) {
    EXPECT_EQ(console.find(claim), std::string::npos) << claim;
  }
  EXPECT_EQ(run.file("ItemListJillNormal.txt"), "earlier ItemListJillNormal.txt\r\n");
  EXPECT_EQ(run.file("CheatSheetJillNormal.txt"), "earlier CheatSheetJillNormal.txt\r\n");
  EXPECT_EQ(run.folder.entries().size(), 2u);  // no temporary file left
}

TEST(RunFailureTest, DiskFullAfterTheItemListKeepsTheEarlierPair) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // The disk fills up at the cheat sheet, the key route or the spoiler file,
  // after the files before it are written.
  const struct {
    FileCreator create;
    const char* failing;
  } cases[] = {
      {[](const std::string& path) {
         return path.find("CheatSheet") == std::string::npos ? createNewFile(path) : createOnFullDisk(path);
       },
       "CheatSheetJillNormal.txt"},
      {[](const std::string& path) {
         return path.find("KeyRoute") == std::string::npos ? createNewFile(path) : createOnFullDisk(path);
       },
       "KeyRouteJillNormal.txt"},
      {[](const std::string& path) {
         return path.find("Spoiler") == std::string::npos ? createNewFile(path) : createOnFullDisk(path);
       },
       "SpoilerJillNormal.json"},
  };
  for (const auto& c : cases) {
    FailingRun run(c.create);
    run.settings.writeKeyRoute = true;
    run.settings.writeSpoilerJson = true;
    run.keepEarlierFiles();
    EXPECT_EQ(run.runSeed(7u), kExitWriteFailed);
    EXPECT_EQ(run.errors.str(), "mansion-randomizer: cannot write " + run.folder.path.string() + "/" + c.failing +
                                    ": No space left on device\n");
    EXPECT_EQ(run.console.str().find("ItemList created!"), std::string::npos);
    EXPECT_EQ(run.file("ItemListJillNormal.txt"), "earlier ItemListJillNormal.txt\r\n");
    EXPECT_EQ(run.file("CheatSheetJillNormal.txt"), "earlier CheatSheetJillNormal.txt\r\n");
    EXPECT_EQ(run.folder.entries().size(), 2u) << c.failing;  // no temporary file, no key route or spoiler
  }
}

TEST(RunFailureTest, AttemptLimitIsReportedAndNothingIsWritten) {
  FailingRun run(nullptr, 1000);
  run.state.options.character = true;
  run.state.options.hardDifficulty = true;
  EXPECT_EQ(run.runSeed(1u), kExitNoPlacement);
  EXPECT_EQ(run.errors.str(),
            "cannot generate ItemList for Chris on Hard Difficulty: no valid sequence found in 1000 attempts; "
            "nothing was written\n");
  EXPECT_EQ(run.console.str(),
            "Seed 1; the same files again: mansion-randomizer --seed 1 --character chris --difficulty hard\n");
  EXPECT_TRUE(run.folder.entries().empty());
}

}  // namespace
