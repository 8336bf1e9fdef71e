#include "enemies/enemy_room_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

EnemyRoomTable loadedTable() {
  GenerationState state;
  buildEnemyRoomTable(state);
  return state.enemyRoomTable;
}

bool allows(const std::vector<EnemyCode>& codes, EnemyCode code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// Position of a room in key order, which is its line in both output blocks.
long position(const EnemyRoomTable& table, const std::string& room) {
  const auto it = table.find(room);
  EXPECT_NE(it, table.end()) << room;
  return std::distance(table.begin(), it);
}

TEST(EnemyRoomTable, HoldsEveryRoomInKeyOrder) {
  const EnemyRoomTable table = loadedTable();
  ASSERT_EQ(table.size(), static_cast<size_t>(kEnemyRoomCount));
  EXPECT_EQ(kEnemyRoomCount, 53);
  EXPECT_EQ(table.begin()->first, "Aqua Ring Walkway");
  EXPECT_EQ(table.rbegin()->first, "X-Ray Room B");

  EXPECT_EQ(position(table, "Dining Room") + 1, position(table, "Dining Room 2F"));
  EXPECT_LT(position(table, "C Corridor"), position(table, "Concrete Passage 1"));
  EXPECT_LT(position(table, "L Corridor"), position(table, "Laboratory Stairway"));
  EXPECT_LT(position(table, "O Room"), position(table, "Outside Boiler"));
  EXPECT_LT(position(table, "Room 001"), position(table, "Room 001 Bathroom"));
  EXPECT_LT(position(table, "Room 001 Bathroom"), position(table, "Room 002"));
  // The trainer reads the codes by line, so these positions are fixed.
  EXPECT_EQ(position(table, "Main Hall"), 27);
  EXPECT_EQ(position(table, "Small Library"), 45);
  // Names with punctuation the trainer's room list spells this way.
  EXPECT_EQ(table.count("Jessica's Tomb"), 1u);
  EXPECT_EQ(table.count("Surgeon's Room / Morgue"), 1u);
  EXPECT_EQ(table.count("Tea Room / Northern Corridor"), 1u);
}

TEST(EnemyRoomTable, CandidateListsAreAscendingCodesWithAnOrdinaryOne) {
  for (const auto& [room, codes] : loadedTable()) {
    SCOPED_TRACE(room);
    ASSERT_FALSE(codes.empty());
    EXPECT_GE(codes.front(), 1);
    EXPECT_LE(codes.back(), 10);
    EXPECT_TRUE(std::adjacent_find(codes.begin(), codes.end(), std::greater_equal<EnemyCode>()) == codes.end());
    // Without an ordinary code the per-room redraw would never end.
    EXPECT_TRUE(std::any_of(codes.begin(), codes.end(), [](EnemyCode c) { return c != 3 && c != 7 && c != 10; }));
  }
}

TEST(EnemyRoomTable, OnceOnlyCodesFitThreeDistinctRooms) {
  const EnemyRoomTable table = loadedTable();
  std::vector<std::string> rooms3, rooms7, rooms10;
  for (const auto& [room, codes] : table) {
    if (allows(codes, 3)) rooms3.push_back(room);
    if (allows(codes, 7)) rooms7.push_back(room);
    if (allows(codes, 10)) rooms10.push_back(room);
  }
  EXPECT_EQ(rooms3.size(), 29u);
  EXPECT_EQ(rooms7.size(), 29u);
  EXPECT_EQ(rooms10.size(), 41u);

  bool distinctTripleExists = false;
  for (const auto& a : rooms3)
    for (const auto& b : rooms7)
      for (const auto& c : rooms10) distinctTripleExists |= a != b && a != c && b != c;
  EXPECT_TRUE(distinctTripleExists);
}

TEST(EnemyRoomTable, ListsKeepTheirCandidateOrder) {
  const EnemyRoomTable table = loadedTable();
  EXPECT_EQ(table.at("Dining Room 2F"), (std::vector<EnemyCode>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(table.at("Small Library"), (std::vector<EnemyCode>{1}));
  EXPECT_EQ(table.at("Laboratory Stairway"), (std::vector<EnemyCode>{3, 5, 6, 7, 9, 10}));
  EXPECT_EQ(table.at("Power Maze B"), (std::vector<EnemyCode>{2, 8, 9, 10}));
}

TEST(EnemyRoomTable, LoadingReplacesListsInsteadOfAppending) {
  const EnemyRoomTable fresh = loadedTable();
  GenerationState state;
  state.enemyRoomTable["Small Library"] = {3};
  state.enemyRoomTable["Attic"] = {1, 2};
  buildEnemyRoomTable(state);
  EXPECT_EQ(state.enemyRoomTable, fresh);
  buildEnemyRoomTable(state);
  EXPECT_EQ(state.enemyRoomTable, fresh);
}

}  // namespace
