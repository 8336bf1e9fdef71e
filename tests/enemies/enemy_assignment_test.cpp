#include "enemies/enemy_assignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "enemies/enemy_room_table.h"
#include "enemies/reference_enemy_assignment.h"

namespace {

EnemyRoomTable loadedTable() {
  GenerationState state;
  buildEnemyRoomTable(state);
  return state.enemyRoomTable;
}

// Seeds the driver takes from the clock look like the last ones.
const std::vector<uint32_t> kSampleSeeds = [] {
  std::vector<uint32_t> seeds;
  for (uint32_t s = 0; s < 200; ++s) seeds.push_back(s);
  for (uint32_t s = 0; s < 50; ++s) seeds.push_back(1733600000u + 7919u * s);
  seeds.push_back(0x7FFFFFFFu);
  seeds.push_back(0xFFFFFFFFu);
  return seeds;
}();

TEST(AssignEnemies, EachOnceOnlyCodeGoesToOneRoomAndTheRestKeepTheirOwnCodes) {
  const EnemyRoomTable loaded = loadedTable();
  CRandom random(20240607);
  GenerationState state;  // reloaded each run: loading replaces the assigned codes
  for (int run = 0; run < 1000; ++run) {
    buildEnemyRoomTable(state);
    EnemyRoomTable& table = state.enemyRoomTable;
    assignEnemies(table, random);
    ASSERT_EQ(table.size(), loaded.size());
    std::map<EnemyCode, int> onceOnlyCount;
    for (const auto& [room, codes] : table) {
      SCOPED_TRACE(room);
      ASSERT_EQ(codes.size(), 1u);
      // Also keeps 3, 7 and 10 out of rooms that do not allow them.
      EXPECT_TRUE(allows(loaded.at(room), codes[0]));
      if (codes[0] == 3 || codes[0] == 7 || codes[0] == 10) ++onceOnlyCount[codes[0]];
    }
    EXPECT_EQ(onceOnlyCount, (std::map<EnemyCode, int>{{3, 1}, {7, 1}, {10, 1}}));
    EXPECT_EQ(table.at("Small Library"), std::vector<EnemyCode>{1});
  }
}

TEST(AssignEnemies, ChosenRoomsAndOrdinaryCodesAreSpreadEvenly) {
  const EnemyRoomTable loaded = loadedTable();
  std::vector<std::string> rooms;
  std::map<EnemyCode, std::vector<size_t>> allowing;  // room positions per once-only code
  for (const auto& [room, codes] : loaded) {
    for (EnemyCode code : {3, 7, 10})
      if (allows(codes, code)) allowing[code].push_back(rooms.size());
    rooms.push_back(room);
  }
  // Exact chance of each room for each once-only code, from all valid triples.
  std::map<EnemyCode, std::vector<double>> share;
  for (EnemyCode code : {3, 7, 10}) share[code].assign(rooms.size(), 0);
  double triples = 0;
  for (size_t a : allowing[3])
    for (size_t b : allowing[7])
      for (size_t c : allowing[10])
        if (a != b && a != c && b != c) {
          ++share[3][a], ++share[7][b], ++share[10][c];
          ++triples;
        }

  const int runs = 4000;
  std::map<EnemyCode, std::vector<int>> chosen;
  for (EnemyCode code : {3, 7, 10}) chosen[code].assign(rooms.size(), 0);
  std::map<EnemyCode, int> labStairway;
  CRandom random(77);
  GenerationState state;
  for (int run = 0; run < runs; ++run) {
    buildEnemyRoomTable(state);
    EnemyRoomTable& table = state.enemyRoomTable;
    assignEnemies(table, random);
    size_t position = 0;
    for (const auto& entry : table) {
      const EnemyCode code = entry.second[0];
      if (code == 3 || code == 7 || code == 10) ++chosen[code][position];
      ++position;
    }
    ++labStairway[table.at("Laboratory Stairway")[0]];
  }
  for (EnemyCode code : {3, 7, 10}) {
    for (size_t room = 0; room < rooms.size(); ++room) {
      const double expected = runs * share[code][room] / triples;
      EXPECT_NEAR(chosen[code][room], expected, 6 * std::sqrt(expected) + 5) << rooms[room] << " for code " << code;
    }
  }
  // 5, 6 and 9 are its ordinary codes; it is a chosen room only now and then.
  for (EnemyCode code : {5, 6, 9}) EXPECT_NEAR(labStairway[code], runs / 3.0, 250) << code;
}

TEST(AssignEnemies, MatchesTheReferenceDrawForDraw) {
  const EnemyRoomTable loaded = loadedTable();
  for (uint32_t seed : kSampleSeeds) {
    SCOPED_TRACE(seed);
    CRandom program(seed);
    CRandom reference(seed);
    EnemyRoomTable actual = loaded;
    EnemyRoomTable expected = loaded;
    assignEnemies(actual, program);
    referenceAssign(expected, [&] { return reference.next(); });
    EXPECT_EQ(actual, expected);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(program.next(), reference.next());
  }
}

TEST(AssignEnemies, MatchesTheCLibraryGenerator) {
#ifdef __GLIBC__
  const EnemyRoomTable loaded = loadedTable();
  for (uint32_t seed : kSampleSeeds) {
    SCOPED_TRACE(seed);
    std::srand(seed);
    EnemyRoomTable expected = loaded;
    referenceAssign(expected, [] { return std::rand(); });
    CRandom program(seed);
    EnemyRoomTable actual = loaded;
    assignEnemies(actual, program);
    EXPECT_EQ(actual, expected);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(program.next(), std::rand());
  }
#else
  GTEST_SKIP() << "only glibc's rand() defines the sequence";
#endif
}

// Raw values a seed yields, to predict the draws without any assignment code.
std::vector<uint32_t> rawValues(uint32_t seed, int count) {
  CRandom random(seed);
  std::vector<uint32_t> values;
  for (int i = 0; i < count; ++i) values.push_back(static_cast<uint32_t>(random.next()));
  return values;
}

void expectPosition(CRandom& used, uint32_t seed, int draws) {
  CRandom expected(seed);
  for (int i = 0; i < draws; ++i) expected.next();
  EXPECT_EQ(used.next(), expected.next()) << "after " << draws << " draws";
}

TEST(AssignEnemies, RedrawsAllThreeIndicesWhenTwoRoomsClash) {
  // "Twin" is the only yawn room, so every try that puts the tyrants there too
  // must be discarded whole, three draws at a time.
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    EnemyRoomTable table = {{"Single", {1, 3}}, {"Twin", {1, 3, 7}}, {"Witch", {2, 10}}};
    const std::vector<uint32_t> raw = rawValues(seed, 300);
    int tries = 1;
    while (raw[3 * (tries - 1)] % 2 != 0) ++tries;  // index 0 of the tyrant list is "Single"
    CRandom random(seed);
    assignEnemies(table, random);
    EXPECT_EQ(table, (EnemyRoomTable{{"Single", {3}}, {"Twin", {7}}, {"Witch", {10}}}));
    expectPosition(random, seed, 3 * tries);
  }
}

TEST(AssignEnemies, OtherRoomsDrawInKeyOrderUntilAnOrdinaryCode) {
  // Chosen rooms draw nothing; every other room draws in key order, and again
  // whenever it lands on a once-only code.
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    EnemyRoomTable table = {{"A", {1, 3}},       {"B", {2, 7}},  {"C", {3, 4, 5, 6}},
                            {"D", {4, 5, 6}},    {"E", {8, 10}}, {"F", {9, 10}}};
    const std::vector<uint32_t> raw = rawValues(seed, 300);
    size_t next = 0;
    auto pick = [&](std::vector<EnemyCode> codes) {
      EnemyCode code;
      do {
        code = codes[raw[next++] % codes.size()];
      } while (code == 3 || code == 7 || code == 10);
      return code;
    };
    // Tyrant list A, C; yawn list B; Lisa list E, F: the rooms never clash.
    const bool tyrantsInA = raw[next++] % 2 == 0;
    ++next;
    const bool lisaInE = raw[next++] % 2 == 0;
    EnemyRoomTable expected;
    expected["A"] = {tyrantsInA ? 3 : pick({1, 3})};
    expected["B"] = {7};
    expected["C"] = {tyrantsInA ? pick({3, 4, 5, 6}) : 3};
    expected["D"] = {pick({4, 5, 6})};
    expected["E"] = {lisaInE ? 10 : pick({8, 10})};
    expected["F"] = {lisaInE ? pick({9, 10}) : 10};

    CRandom random(seed);
    assignEnemies(table, random);
    EXPECT_EQ(table, expected);
    expectPosition(random, seed, static_cast<int>(next));
  }
}

TEST(RandomizeEnemies, PrintsProgressAndAssignsFromTheRunGenerator) {
  GenerationState state;
  std::ostringstream console;
  Reporter reporter(console, std::cerr);
  state.random.reseed(1733600123u);
  randomizeEnemies(state, reporter);
  EXPECT_EQ(console.str(), "Randomizing Enemies...\nDone!\n");

  EnemyRoomTable expected = loadedTable();
  CRandom random(1733600123u);
  assignEnemies(expected, random);
  EXPECT_EQ(state.enemyRoomTable, expected);
  EXPECT_EQ(state.random.next(), random.next());
}

}  // namespace
