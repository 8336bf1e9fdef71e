#include "output/enemy_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/enemy_words.h"
#include "enemies/enemy_assignment.h"
#include "enemies/enemy_room_table.h"

namespace {

// Splits text made of CR LF terminated lines; fails on any other line break
// or an unterminated last line.
std::vector<std::string> crlfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "unterminated line: " << text.substr(start);
      break;
    }
    lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
    start = end + 2;
  }
  return lines;
}

TEST(EnemyOutput, DataBlockAppendsCodesInKeyOrder) {
  const EnemyRoomTable table = {{"b", {10}}, {"a b", {1}}, {"a", {7}}, {"B", {3}}};
  std::ostringstream out;
  out << "179\r\n";
  writeEnemyDataBlock(out, table);
  EXPECT_EQ(out.str(), "179\r\nENEMYRANDODATA\r\n3\r\n7\r\n1\r\n10\r\n");
}

TEST(EnemyOutput, PositionsSectionSpellsEveryCodeWord) {
  EnemyRoomTable table;
  for (EnemyCode code = 1; code <= 10; ++code) table["Room " + std::string(1, static_cast<char>('@' + code))] = {code};
  std::ostringstream out;
  out << "last item\r\n";
  writeEnemyPositionsSection(out, table);
  EXPECT_EQ(out.str(),
            "last item\r\n\r\n\r\nENEMY RANDO POSITIONS\r\n\r\n"
            "Room A:HUNTERS\r\nRoom B:CHIMERAS\r\nRoom C:TYRANTS\r\nRoom D:DOGS\r\nRoom E:SHARKS\r\n"
            "Room F:ZOMBIES\r\nRoom G:YAWNS\r\nRoom H:SPIDERS\r\nRoom I:BEES\r\nRoom J:LISA\r\n");
  EXPECT_STREQ(enemyCodeWord(0), "");
  EXPECT_STREQ(enemyCodeWord(11), "");
}

TEST(EnemyOutput, BlocksOfAnAssignedRunAgreeLineByLine) {
  GenerationState state;
  buildEnemyRoomTable(state);
  CRandom random(1733600555u);
  assignEnemies(state.enemyRoomTable, random);

  std::ostringstream block;
  writeEnemyDataBlock(block, state.enemyRoomTable);
  const std::vector<std::string> codes = crlfLines(block.str());
  ASSERT_EQ(codes.size(), 1u + kEnemyRoomCount);
  EXPECT_EQ(codes[0], "ENEMYRANDODATA");
  EXPECT_EQ(codes[46], "1");  // Small Library
  for (const char* once : {"3", "7", "10"}) EXPECT_EQ(std::count(codes.begin(), codes.end(), once), 1) << once;

  std::ostringstream section;
  writeEnemyPositionsSection(section, state.enemyRoomTable);
  const std::vector<std::string> lines = crlfLines(section.str());
  ASSERT_EQ(lines.size(), 4u + kEnemyRoomCount);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "ENEMY RANDO POSITIONS");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4].rfind("Aqua Ring Walkway:", 0), 0u) << lines[4];
  EXPECT_EQ(lines.back().rfind("X-Ray Room B:", 0), 0u) << lines.back();
  EXPECT_EQ(lines[49], "Small Library:HUNTERS");
  for (int room = 1; room <= kEnemyRoomCount; ++room) {
    const std::string word = enemyCodeWord(std::stoi(codes[room]));
    ASSERT_FALSE(word.empty()) << codes[room];
    EXPECT_EQ(lines[3 + room].substr(lines[3 + room].find(':') + 1), word) << lines[3 + room];
  }
}

}  // namespace
