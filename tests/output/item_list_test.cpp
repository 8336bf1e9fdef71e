#include "output/item_list.h"

#include <gtest/gtest.h>

#include "output/file_code.h"
#include "support/temp_folder.h"

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

}  // namespace
