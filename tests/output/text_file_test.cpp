#include "output/text_file.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

TEST(TextFileTest, WritesExactBytesAndReplacesAnEarlierFile) {
  TempFolder folder;
  const std::string target = (folder.path / "out.txt").string();
  std::string error;
  ASSERT_TRUE(writeFileAtomically(target, "first\r\nfile\r\n", error)) << error;
  EXPECT_EQ(readFile(target), "first\r\nfile\r\n");
  ASSERT_TRUE(writeFileAtomically(target, "2\r\n", error)) << error;
  EXPECT_EQ(readFile(target), "2\r\n");
  EXPECT_EQ(folder.entries().size(), 1u);  // no temporary file left behind
}

TEST(TextFileTest, MissingFolderIsReportedWithTheSystemReason) {
  TempFolder folder;
  const std::string target = (folder.path / "missing" / "out.txt").string();
  std::string error;
  EXPECT_FALSE(writeFileAtomically(target, "x", error));
  EXPECT_EQ(error, "cannot write " + target + ": No such file or directory");
  EXPECT_EQ(folder.entries().size(), 0u);
}

TEST(TextFileTest, FailedReplaceKeepsTheTargetAndRemovesTheTemporaryFile) {
  TempFolder folder;
  // A folder stands where the file should go, so the final rename fails.
  fs::create_directories(folder.path / "out.txt" / "inside");
  const std::string target = (folder.path / "out.txt").string();
  std::string error;
  EXPECT_FALSE(writeFileAtomically(target, "x", error));
  EXPECT_EQ(error.rfind("cannot write " + target + ": ", 0), 0u) << error;
  EXPECT_TRUE(fs::is_directory(folder.path / "out.txt" / "inside"));
  EXPECT_EQ(folder.entries().size(), 1u);
}

TEST(TextFileTest, OutputPathJoinsTheOutputFolder) {
  GenerationState state;
  EXPECT_EQ(outputPath(state, "a.txt"), "a.txt");
  state.outputDirectory = "runs";
  EXPECT_EQ(outputPath(state, "a.txt"), "runs/a.txt");
  state.outputDirectory = "runs/";
  EXPECT_EQ(outputPath(state, "a.txt"), "runs/a.txt");
}

TEST(TextFileTest, WriteOutputFileReportsOneLineOnErrors) {
  TempFolder folder;
  GenerationState state;
  std::ostringstream errors;
  state.errors = &errors;
  std::ofstream(folder.path / "plain-file") << "not a folder";
  state.outputDirectory = (folder.path / "plain-file").string();
  EXPECT_FALSE(writeOutputFile(state, "ItemListJillHard.txt", "1\r\n"));
  EXPECT_EQ(errors.str(),
            "mansion-randomizer: cannot write " + state.outputDirectory + "/ItemListJillHard.txt: Not a directory\n");
}

}  // namespace
