#include "placement/constraint_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

GenerationState built(bool chris) {
  GenerationState state;
  state.options.character = chris;
  buildConstraintTables(state);
  return state;
}

size_t valueCount(const std::map<int32_t, std::vector<int32_t>>& table) {
  size_t count = 0;
  for (const auto& entry : table) count += entry.second.size();
  return count;
}

TEST(ConstraintTablesTest, SizesForBothCharacters) {
  const GenerationState jill = built(false);
  EXPECT_EQ(jill.lockTable.size(), 43u);
  EXPECT_EQ(valueCount(jill.lockTable), 104u);
  EXPECT_EQ(jill.unlockTable.size(), 34u);
  EXPECT_EQ(valueCount(jill.unlockTable), 116u);
  const GenerationState chris = built(true);
  EXPECT_EQ(chris.lockTable.size(), 47u);
  EXPECT_EQ(valueCount(chris.lockTable), 118u);
  EXPECT_EQ(chris.unlockTable.size(), 34u);
  EXPECT_EQ(valueCount(chris.unlockTable), 138u);
}

TEST(ConstraintTablesTest, NoListHoldsAValueTwice) {
  for (bool chris : {true, false}) {
    const GenerationState state = built(chris);
    for (const auto* table : {&state.lockTable, &state.unlockTable}) {
      for (const auto& entry : *table) {
        EXPECT_EQ(std::set<int32_t>(entry.second.begin(), entry.second.end()).size(), entry.second.size())
            << "key " << entry.first;
      }
    }
  }
}

TEST(ConstraintTablesTest, NamedLookups) {
  GenerationState jill = built(false);
  GenerationState chris = built(true);
  EXPECT_TRUE(jill.lockTable[9].empty());
  EXPECT_EQ(chris.lockTable[9], (std::vector<int32_t>{11, 12, 36}));
  EXPECT_TRUE(chris.lockTable[0].empty());
  EXPECT_EQ(jill.lockTable[0], (std::vector<int32_t>{38}));
  EXPECT_TRUE(jill.unlockTable[2].empty());
  EXPECT_TRUE(chris.unlockTable[2].empty());
  EXPECT_EQ(chris.unlockTable[33], (std::vector<int32_t>{102, 34, 129, 66, 47, 61, 24}));
  EXPECT_EQ(jill.unlockTable[33], (std::vector<int32_t>{102, 34, 129, 66, 47}));
  EXPECT_EQ(jill.unlockTable[13], (std::vector<int32_t>{100, 48, 89, 90, 91}));
  EXPECT_EQ(chris.unlockTable[13], (std::vector<int32_t>{100, 48, 89, 90, 91, 9, 32, 37, 85, 94}));
  EXPECT_EQ(chris.unlockTable[37], (std::vector<int32_t>{100, 11}));
  EXPECT_EQ(chris.unlockTable[27], (std::vector<int32_t>{100, 102, 107, 154, 148, 142, 48}));

  std::vector<int32_t> item100;
  for (int z = 7; z <= 32; ++z) item100.push_back(z);
  item100.insert(item100.end(), {36, 37, 38});
  EXPECT_EQ(chris.lockTable[100], item100);
  EXPECT_EQ(jill.lockTable[100].size(), 29u);
  EXPECT_EQ(jill.lockTable[107], (std::vector<int32_t>{22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}));
  EXPECT_EQ(jill.lockTable[48], (std::vector<int32_t>{3, 4, 9, 12, 13, 14, 15, 16, 17}));
}

TEST(ConstraintTablesTest, TablesAreNotInverses) {
  GenerationState state = built(true);
  EXPECT_EQ(state.lockTable[92], (std::vector<int32_t>{20, 21}));
  const auto& zone21 = state.unlockTable[21];
  EXPECT_EQ(std::count(zone21.begin(), zone21.end(), 92), 0);
  EXPECT_EQ(state.unlockTable[8], (std::vector<int32_t>{150}));
  EXPECT_EQ(state.lockTable.count(11), 0u);
}

}  // namespace
