#include "output/text_file.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#include <chrono>
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

TEST(TextFileTest, StaleTemporaryFilesGoOnlyWhenOldAndTheirProcessIsGone) {
  // Above any Linux process id, and odd, which no Windows one is.
  const std::string gone = "4194305";
  ASSERT_FALSE(processExists(4194305ul));
  ASSERT_TRUE(processExists(currentProcessId()));
  const std::string own = std::to_string(currentProcessId());
  struct Case {
    std::string name;
    int minutesOld;
    bool removed;
  };
  const Case cases[] = {
      {"ItemListJillHard.txt.tmp" + gone + "-3", 120, true},
      {"ItemListJillHard.txt.tmp" + own + "-3", 120, false},       // its process runs
      {"ItemListJillHard.txt.tmp" + gone + "-4", 50, false},       // may be a live run elsewhere
      {"CheatSheetJillHard.txt.tmp" + gone + "-3", 120, false},    // not a file this write replaces
      {"ItemListJillHard.txt.tmp" + gone + "-", 120, false},       // not a temporary file's name
      {"ItemListJillHard.txt.tmp" + gone + "-3x", 120, false},
      {"ItemListJillHard.txt.tmp-3", 120, false},
  };
  TempFolder folder;
  const auto now = fs::file_time_type::clock::now();
  for (const Case& c : cases) {
    std::ofstream(folder.path / c.name) << "left by a killed run";
    fs::last_write_time(folder.path / c.name, now - std::chrono::minutes(c.minutesOld));
  }
  std::string error;
  ASSERT_TRUE(writeFileAtomically((folder.path / "ItemListJillHard.txt").string(), "1\r\n", error)) << error;
  for (const Case& c : cases) EXPECT_EQ(fs::exists(folder.path / c.name), !c.removed) << c.name;
}

TEST(TextFileTest, OutputPathJoinsTheOutputFolder) {
  OutputSettings output;
  EXPECT_EQ(outputPath(output, "a.txt"), "a.txt");
  output.directory = "runs";
  EXPECT_EQ(outputPath(output, "a.txt"), "runs/a.txt");
  output.directory = "runs/";
  EXPECT_EQ(outputPath(output, "a.txt"), "runs/a.txt");
}

TEST(TextFileTest, WriteOutputFileReportsOneLineOnErrors) {
  TempFolder folder;
  OutputSettings output;
  std::ostringstream console, errors;
  Reporter reporter(console, errors);
  std::ofstream(folder.path / "plain-file") << "not a folder";
  output.directory = (folder.path / "plain-file").string();
  EXPECT_FALSE(writeOutputFile(output, reporter, "ItemListJillHard.txt", "1\r\n"));
  EXPECT_EQ(errors.str(),
            "mansion-randomizer: cannot write " + output.directory + "/ItemListJillHard.txt: Not a directory\n");
}

}  // namespace
