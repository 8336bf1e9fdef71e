// Runs the built program as a player would, with its input piped in, in a
// fresh folder, and checks the console transcript, the exit status and the
// files it leaves.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/run.h"
#include "menu_pages.h"
#include "output/file_code.h"
#include "placement/search_kernel.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

struct Sandbox {
  TempFolder temp;
  const fs::path root = temp.path;
  const fs::path work = root / "work";

  Sandbox() {
    fs::create_directories(work);
    // Writable by an unprivileged user too, for the read-only folder test.
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(work, fs::perms::all);
  }
  ~Sandbox() { fs::permissions(work, fs::perms::owner_all, fs::perm_options::add); }

  // Runs the program in `work` with `input` on standard input. `prefix` is put
  // before the program, e.g. to drop privileges.
  Result run(const std::string& input, const std::string& arguments = "", const std::string& prefix = "") {
    std::ofstream(root / "input", std::ios::binary) << input;
    fs::permissions(root / "input", fs::perms::owner_all | fs::perms::others_read);
    const std::string command = "cd " + shellQuote(work.string()) + " && " + prefix + " " +
                                shellQuote(MANSION_EXE) + " " + arguments + " < " +
                                shellQuote((root / "input").string()) + " > " +
                                shellQuote((root / "out").string()) + " 2> " +
                                shellQuote((root / "err").string());
    Result result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(root / "out");
    result.err = readFile(root / "err");
    return result;
  }

  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(work)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST(EndToEndTest, JillNormalRunThroughTheMenu) {
  Sandbox sandbox;
  const int64_t before = std::time(nullptr);
  // Enemies on, the modifier page and back, enemies off: four screen clears,
  // none of which may leave escape codes in a piped transcript.
  const Result result = sandbox.run("6\n5\n7\n6\n2\n");
  const int64_t after = std::time(nullptr);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");

  std::string enemiesOn = kMainPage;
  enemiesOn.replace(enemiesOn.rfind("OFF"), 3, "ON");
  const std::string generating = kMainPage + enemiesOn + kModifierPage + enemiesOn + kMainPage +
                                 "Generating ItemList for Jill on Normal Difficulty...\n";
  ASSERT_EQ(result.out.substr(0, generating.size()), generating);
  // The seed line names the clock seed and the command that repeats the run.
  const size_t seedEnd = result.out.find('\n', generating.size());
  const std::string seedLine = result.out.substr(generating.size(), seedEnd - generating.size());
  const int64_t seed = std::atoll(seedLine.c_str() + std::string("Seed ").size());
  EXPECT_GE(seed, before);
  EXPECT_LE(seed, after);
  EXPECT_EQ(seedLine, "Seed " + std::to_string(seed) + "; the same files again: mansion-randomizer --seed " +
                          std::to_string(seed) + " --character jill --difficulty normal");
  const std::string head = result.out.substr(0, seedEnd + 1) +
                           "Valid sequence generated!\n"
                           "Number of times the items were randomized before finding a valid sequence:";
  ASSERT_EQ(result.out.substr(0, head.size()), head);
  const size_t countEnd = result.out.find('\n', head.size());
  const std::string count = result.out.substr(head.size(), countEnd - head.size());
  ASSERT_FALSE(count.empty());
  EXPECT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << count;
  EXPECT_NE(count[0], '0');
  EXPECT_EQ(result.out.substr(countEnd + 1),
            "Writing to ItemListJillNormal.txt\n"
            "ItemList created!\n" +
                fileCodeLine(readFile(sandbox.work / "ItemListJillNormal.txt")) +
                "\n"
                "Now writing CheatSheetJillNormal.txt\n"
                "Completed! Launch the game first, then on the main menu launch Brackwater.exe\n"
                "Press Enter to continue . . .\n");
  EXPECT_EQ(result.out.find('\x1b'), std::string::npos);  // no escape codes in a piped run

  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"CheatSheetJillNormal.txt", "ItemListJillNormal.txt"}));
  // The seed shown gives the same files.
  const Files again = programRun(RunOptions(), static_cast<uint32_t>(seed));
  EXPECT_EQ(readFile(sandbox.work / "ItemListJillNormal.txt"), again.itemList);
  EXPECT_EQ(readFile(sandbox.work / "CheatSheetJillNormal.txt"), again.cheatSheet);
}

TEST(EndToEndTest, EndOfInputAtTheMenuWritesNothing) {
  Sandbox sandbox;
  for (const char* input : {"", "5\n1\n", "9\nabc"}) {
    // Not even the output folder is made before a run is chosen.
    const Result result = sandbox.run(input, "--output-dir made");
    EXPECT_EQ(result.status, kExitEndOfInput) << input;
    EXPECT_EQ(result.err, "mansion-randomizer: the input ended before a run was chosen\n") << input;
    EXPECT_TRUE(sandbox.files().empty()) << input;
    EXPECT_EQ(result.out.find("Generating"), std::string::npos);
  }
}

TEST(EndToEndTest, UnwritableFolderClaimsNothingAndKeepsTheEarlierFile) {
  // Root ignores folder permissions, so run the program as nobody then.
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("command -v setpriv > /dev/null 2>&1") != 0) GTEST_SKIP() << "setpriv is missing";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  }
  Sandbox sandbox;
  std::ofstream(sandbox.work / "ItemListJillHard.txt", std::ios::binary) << "earlier\r\n";
  fs::permissions(sandbox.work, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
  const Result result = sandbox.run("4\n", "", prefix);
  EXPECT_EQ(result.status, kExitWriteFailed);
  EXPECT_EQ(result.err, "mansion-randomizer: cannot write ItemListJillHard.txt: Permission denied\n");
  EXPECT_NE(result.out.find("Writing to ItemListJillHard.txt\n"), std::string::npos);
  EXPECT_EQ(result.out.find("ItemList created!"), std::string::npos);
  EXPECT_EQ(result.out.find("Completed!"), std::string::npos);
  EXPECT_EQ(result.out.find("Now writing"), std::string::npos);
  // The key wait still comes, so a console window stays open to be read.
  EXPECT_NE(result.out.find("Press Enter to continue . . ."), std::string::npos);
  EXPECT_EQ(readFile(sandbox.work / "ItemListJillHard.txt"), "earlier\r\n");
  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"ItemListJillHard.txt"}));
}

TEST(EndToEndTest, ReadOnlyItemListIsKept) {
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("command -v setpriv > /dev/null 2>&1") != 0) GTEST_SKIP() << "setpriv is missing";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  }
  Sandbox sandbox;  // the folder itself is writable by everyone
  const fs::path itemList = sandbox.work / "ItemListJillHard.txt";
  std::ofstream(itemList, std::ios::binary) << "earlier\r\n";
  fs::permissions(itemList, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const Result result = sandbox.run("", "--character jill --difficulty hard --seed 3", prefix);
  EXPECT_EQ(result.status, kExitWriteFailed);
  EXPECT_EQ(result.err, "mansion-randomizer: cannot write ItemListJillHard.txt: Permission denied\n");
  EXPECT_EQ(result.out.find("ItemList created!"), std::string::npos);
  EXPECT_EQ(result.out.find("Completed!"), std::string::npos);
  EXPECT_EQ(readFile(itemList), "earlier\r\n");
  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"ItemListJillHard.txt"}));
}

TEST(EndToEndTest, FileSizeLimitStopsTheCheatSheetAndKeepsTheEarlierPair) {
  // A real failing write: the item list (under 1 KiB) fits below the limit,
  // the cheat sheet (about 9 KiB) does not. Ignoring SIGXFSZ turns the signal
  // into an EFBIG from write(). dash counts 512-byte blocks, bash 1 KiB ones.
  Sandbox sandbox;
  for (const char* name : {"CheatSheetJillNormal.txt", "ItemListJillNormal.txt"}) {
    std::ofstream(sandbox.work / name, std::ios::binary) << "earlier\r\n";
  }
  const Result result = sandbox.run("", "--character jill --difficulty normal --seed 3",
                                    "ulimit -f 4 && trap '' XFSZ &&");
  EXPECT_EQ(result.status, kExitWriteFailed);
  EXPECT_EQ(result.err, "mansion-randomizer: cannot write CheatSheetJillNormal.txt: File too large\n");
  for (const char* claim : {"ItemList created!", "Now writing", "Completed!"}) {
    EXPECT_EQ(result.out.find(claim), std::string::npos) << claim;
  }
  EXPECT_EQ(readFile(sandbox.work / "CheatSheetJillNormal.txt"), "earlier\r\n");
  EXPECT_EQ(readFile(sandbox.work / "ItemListJillNormal.txt"), "earlier\r\n");
  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"CheatSheetJillNormal.txt", "ItemListJillNormal.txt"}));
}

TEST(CommandLineEndToEndTest, OptionsReplaceTheMenuAndTheKeyWait) {
  Sandbox sandbox;
  const Result result = sandbox.run("", "--character jill --difficulty normal --seed 42");
  ASSERT_EQ(result.status, kExitSuccess) << result.err;
  EXPECT_EQ(result.err, "");
  const std::string head =
      "Generating ItemList for Jill on Normal Difficulty...\n"
      "Seed 42; the same files again: mansion-randomizer --seed 42 --character jill --difficulty normal\n"
      "Valid sequence generated!\n"
      "Number of times the items were randomized before finding a valid sequence:";
  ASSERT_EQ(result.out.substr(0, head.size()), head);
  const size_t countEnd = result.out.find('\n', head.size());
  EXPECT_EQ(result.out.substr(countEnd + 1),
            "Writing to ItemListJillNormal.txt\n"
            "ItemList created!\n"
            "File code: jasmine velvet trout planet horse\n"
            "Now writing CheatSheetJillNormal.txt\n"
            "Completed! Launch the game first, then on the main menu launch Brackwater.exe\n");
  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"CheatSheetJillNormal.txt", "ItemListJillNormal.txt"}));
}

TEST(CommandLineEndToEndTest, SameSeedThroughTheMenuAndTheOptionsGivesTheSameFiles) {
  // Enemies on, modifiers 1, 3 and 6 chosen on the modifier page.
  Sandbox menu, options;
  const Result viaMenu = menu.run("6\n5\n1\n3\n6\n7\n4\n", "--seed 2024");
  const Result viaOptions = options.run("", "--seed 2024 --character jill --difficulty hard --enemies "
                                            "--modifier 1,3 --modifier=6");
  ASSERT_EQ(viaMenu.status, kExitSuccess) << viaMenu.err;
  ASSERT_EQ(viaOptions.status, kExitSuccess) << viaOptions.err;
  for (const char* name : {"ItemListJillHard.txt", "CheatSheetJillHard.txt"}) {
    const std::string fromMenu = readFile(menu.work / name);
    EXPECT_FALSE(fromMenu.empty());
    EXPECT_EQ(fromMenu, readFile(options.work / name)) << name;
  }
  for (const char* line : {"Randomizing Enemies...\nDone!\n", "Swapping out Health items with Junk\n"
                                                                 "Swapping out Ink Ribbons with Junk\n"
                                                                 "Writing to ItemListJillHard.txt\n"}) {
    EXPECT_NE(viaMenu.out.find(line), std::string::npos) << line;
    EXPECT_NE(viaOptions.out.find(line), std::string::npos) << line;
  }
  // The item list carries the enemy block and the armed capsule.
  const std::string itemList = readFile(options.work / "ItemListJillHard.txt");
  EXPECT_NE(itemList.find("\r\nENEMYRANDODATA\r\n"), std::string::npos);
  EXPECT_NE(itemList.find("\r\n180\r\n"), std::string::npos);
}

TEST(CommandLineEndToEndTest, SeedsReproduceAndDiffer) {
  Sandbox first, second, third;
  const std::string options = "--character jill --difficulty normal --output-dir out/run";
  ASSERT_EQ(first.run("", options + " --seed 7").status, kExitSuccess);
  ASSERT_EQ(second.run("", options + " --seed 7").status, kExitSuccess);
  ASSERT_EQ(third.run("", options + " --seed 8").status, kExitSuccess);
  const fs::path itemList = fs::path("out") / "run" / "ItemListJillNormal.txt";
  const fs::path cheatSheet = fs::path("out") / "run" / "CheatSheetJillNormal.txt";
  EXPECT_EQ(readFile(first.work / itemList), readFile(second.work / itemList));
  EXPECT_EQ(readFile(first.work / cheatSheet), readFile(second.work / cheatSheet));
  EXPECT_NE(readFile(first.work / itemList), readFile(third.work / itemList));
  EXPECT_EQ(first.files(), (std::vector<std::string>{"out"}));
}

// Every build of the search's inner loops that MANSION_KERNEL names gives the
// same console lines and files as the one the program picks, on one thread
// and on two (modifier 1's draws come after the search, so the generator's
// end position counts too); an empty value is the program's pick. A build
// this processor or program lacks, or a name of none, is refused before
// anything is written.
TEST(CommandLineEndToEndTest, EveryNamedKernelGivesTheSameFiles) {
  const std::string options = "--character chris --difficulty hard --enemies --modifier 1,6 --seed 10";
  Sandbox usual;
  const Result expected = usual.run("", options);
  ASSERT_EQ(expected.status, kExitSuccess) << expected.err;
  int ran = 0;
  for (const char* name : {"plain", "portable", "avx2", "avx512", "", "avx1024", "AVX2"}) {
    const char* lacking = "";
    const bool runs = *name == '\0' || searchKernelNamed(name, lacking) != nullptr;
    for (const char* threads : {"1", "2"}) {
      Sandbox sandbox;
      const Result result =
          sandbox.run("", options + " --threads " + threads, std::string("MANSION_KERNEL=") + name);
      const std::string what = std::string(name) + ", threads " + threads;
      if (!runs) {
        EXPECT_EQ(result.status, kExitBadArguments) << what;
        EXPECT_EQ(result.err, std::string("mansion-randomizer: cannot use the search kernel MANSION_KERNEL=") + name +
                                  ": " + lacking + "\n");
        EXPECT_EQ(result.out, "") << what;
        EXPECT_TRUE(sandbox.files().empty()) << what;
        continue;
      }
      ASSERT_EQ(result.status, kExitSuccess) << what << ": " << result.err;
      EXPECT_EQ(result.out, expected.out) << what;
      for (const char* file : {"ItemListChrisHard.txt", "CheatSheetChrisHard.txt"}) {
        EXPECT_EQ(readFile(sandbox.work / file), readFile(usual.work / file)) << what << ", " << file;
      }
      ++ran;
    }
  }
  // The portable build runs everywhere, and the empty name.
  EXPECT_GE(ran, 4);
}

TEST(CommandLineEndToEndTest, BadArgumentsExitWithStatus2AndWriteNothing) {
  Sandbox sandbox;
  for (const char* arguments :
       {"--bogus", "--seed", "--seed 4294967296", "--seed -5", "--modifier 7 --character chris --difficulty hard",
        "--character bob --difficulty hard", "--character chris --difficulty extreme", "--character chris",
        "--enemies --output-dir made", "--check", "--race --character jill --difficulty normal --seed 5",
        "--race --character jill --difficulty normal --key-route",
        "--race --character jill --difficulty normal --spoiler-json", "--race --check ItemListJillNormal.txt",
        "--race --output-dir made"}) {
    const Result result = sandbox.run("2\n", arguments);
    EXPECT_EQ(result.status, kExitBadArguments) << arguments;
    EXPECT_EQ(result.out, "") << arguments;
    const size_t firstLine = result.err.find('\n');
    ASSERT_NE(firstLine, std::string::npos) << arguments;
    EXPECT_EQ(result.err.rfind("mansion-randomizer: ", 0), 0u) << result.err;
    EXPECT_EQ(result.err.substr(firstLine + 1), "Try 'mansion-randomizer --help' for more information.\n");
    EXPECT_TRUE(sandbox.files().empty()) << arguments;
  }
}

TEST(CommandLineEndToEndTest, RaceRunsKeepTheSeedSecretAndWriteTheItemListAlone) {
  // Two races started together differ: their seeds come from the secure
  // random source, not from the clock second.
  Sandbox first, second;
  const std::string race = "--race --character jill --difficulty normal --enemies";
  const Result one = first.run("", race);
  ASSERT_EQ(second.run("", race).status, kExitSuccess);
  ASSERT_EQ(one.status, kExitSuccess) << one.err;
  const std::string itemList = readFile(first.work / "ItemListJillNormal.txt");
  EXPECT_NE(itemList, readFile(second.work / "ItemListJillNormal.txt"));
  EXPECT_EQ(first.files(), (std::vector<std::string>{"ItemListJillNormal.txt"}));
  EXPECT_EQ(one.out.find("Seed"), std::string::npos) << one.out;
  const size_t written = one.out.find("Writing to");
  EXPECT_EQ(one.out.substr(0, one.out.find('\n') + 1), "Generating ItemList for Jill on Normal Difficulty...\n");
  EXPECT_EQ(one.out.substr(written), "Writing to ItemListJillNormal.txt\nItemList created!\n" + fileCodeLine(itemList) +
                                         "\nCompleted! Launch the game first, then on the main menu launch "
                                         "Brackwater.exe\n");
  // The racer's check shows the organiser's code first.
  const Result check = first.run("", "--check ItemListJillNormal.txt");
  EXPECT_EQ(check.out.substr(0, check.out.find('\n')), "ItemListJillNormal.txt: file code " + fileCode(itemList));
}

TEST(CommandLineEndToEndTest, HelpAndVersion) {
  Sandbox sandbox;
  const Result help = sandbox.run("", "--help");
  EXPECT_EQ(help.status, kExitSuccess);
  EXPECT_EQ(help.out.rfind("Usage: mansion-randomizer", 0), 0u);
  const Result version = sandbox.run("", "--version");
  EXPECT_EQ(version.status, kExitSuccess);
  EXPECT_EQ(version.out, "mansion-randomizer Version 0.85\n");
  EXPECT_TRUE(sandbox.files().empty());
}

TEST(CommandLineEndToEndTest, OutputFolderThatCannotBeCreated) {
  Sandbox sandbox;
  std::ofstream(sandbox.work / "taken") << "a file, not a folder";
  const Result result = sandbox.run("", "--character jill --difficulty normal --output-dir taken/sub");
  EXPECT_EQ(result.status, kExitWriteFailed);
  EXPECT_EQ(result.err.rfind("mansion-randomizer: cannot create output folder taken/sub: ", 0), 0u) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"taken"}));
}

TEST(CommandLineEndToEndTest, KeyRouteAndCheckOfTheFilesTheSeedLineNames) {
  Sandbox sandbox;
  const std::string options = " --seed 42 --enemies --modifier 6";
  const Result run = sandbox.run("", "--character jill --difficulty hard --key-route" + options);
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1, run.out.find("Randomizing") - run.out.find('\n') - 1),
            "Seed 42; the same files again: mansion-randomizer --seed 42 --character jill --difficulty hard "
            "--enemies --modifier 6\n");
  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"CheatSheetJillHard.txt", "ItemListJillHard.txt",
                                                       "KeyRouteJillHard.txt"}));
  const std::string route = readFile(sandbox.work / "KeyRouteJillHard.txt");
  EXPECT_EQ(route.rfind("Step 1\r\n\t", 0), 0u) << route;

  // The check confirms the file, writes the route beside it on request and
  // leaves the file as it was.
  const fs::path itemList = sandbox.work / "ItemListJillHard.txt";
  const std::string bytes = readFile(itemList);
  fs::remove(sandbox.work / "KeyRouteJillHard.txt");
  const Result same = sandbox.run("", "--check ItemListJillHard.txt --key-route" + options);
  EXPECT_EQ(same.status, kExitSuccess) << same.err;
  EXPECT_EQ(same.out,
            "ItemListJillHard.txt: file code " + fileCode(bytes) +
                "\n"
                "ItemListJillHard.txt: Jill on Hard Difficulty, the run can be completed\n"
            "ItemListJillHard.txt is exactly the file of: mansion-randomizer --seed 42 --character jill "
            "--difficulty hard --enemies --modifier 6\n"
            "Key route written to KeyRouteJillHard.txt\n");
  EXPECT_EQ(readFile(sandbox.work / "KeyRouteJillHard.txt"), route);
  const Result other = sandbox.run("", "--check ItemListJillHard.txt --seed 43 --enemies --modifier 6");
  EXPECT_EQ(other.status, kExitCheckDiffers);
  EXPECT_NE(other.out.find("ItemListJillHard.txt is not the file of: mansion-randomizer --seed 43 "),
            std::string::npos);

  // An edited copy: the reason, by line, on standard error.
  std::ofstream(sandbox.work / "copy.txt", std::ios::binary) << bytes.substr(0, bytes.rfind('\n', bytes.size() - 2) + 1)
                                                             << "11\r\n";
  const Result edited = sandbox.run("", "--check copy.txt --character jill --difficulty hard");
  EXPECT_EQ(edited.status, kExitCheckUnreadable);
  EXPECT_EQ(edited.out, "");
  EXPECT_EQ(edited.err,
            "mansion-randomizer: cannot check copy.txt: line 234: expected an enemy code from 1 to 10 for X-Ray Room B, "
            "found '11'\n");
  const Result unnamed = sandbox.run("", "--check copy.txt");
  EXPECT_EQ(unnamed.status, kExitBadArguments);
  EXPECT_EQ(readFile(itemList), bytes);
  EXPECT_EQ(sandbox.files(), (std::vector<std::string>{"CheatSheetJillHard.txt", "ItemListJillHard.txt",
                                                       "KeyRouteJillHard.txt", "copy.txt"}));
}

TEST(CommandLineEndToEndTest, CheckRefusesWhatItCannotReadAndExplainsWhatDiffers) {
  Sandbox sandbox;
  ASSERT_EQ(sandbox.run("", "--character jill --difficulty hard --seed 42 --enemies --modifier 6").status,
            kExitSuccess);
  std::ofstream identity(sandbox.work / "ItemListChrisNormal.txt", std::ios::binary);
  for (int slot = 0; slot < kSlotCount; ++slot) identity << slot << "\r\n";
  identity.close();
  ASSERT_EQ(mkfifo((sandbox.work / "fifo").c_str(), 0644), 0);
  fs::create_directory(sandbox.work / "folder");
  const std::string notOf = "ItemListJillHard.txt is not the file of: mansion-randomizer --seed 42 ";
  // A Jill Hard list under a Jill Normal name, and under a name that would
  // retitle the terminal and print a fake file code line of its own.
  const std::string jillHard = readFile(sandbox.work / "ItemListJillHard.txt");
  fs::create_directory(sandbox.work / "other");
  std::ofstream(sandbox.work / "other" / "ItemListJillNormal.txt", std::ios::binary) << jillHard;
  const std::string hostile = "t\x1b]0;x\x07\nItemListJillHard.txt: file code fake";
  std::ofstream(sandbox.work / hostile, std::ios::binary) << jillHard;
  // The same run with another code for the Dark Corridor (line 192, any code
  // allowed), and with its enemy block (from line 181) cut off.
  std::string otherEnemy = jillHard;
  size_t at = 0;
  for (int line = 1; line < 192; ++line) at = otherEnemy.find('\n', at) + 1;
  otherEnemy.replace(at, otherEnemy.find('\r', at) - at, otherEnemy.compare(at, 2, "1\r") == 0 ? "2" : "1");
  std::ofstream(sandbox.work / "other" / "ItemListJillHard.txt", std::ios::binary) << otherEnemy;
  fs::create_directory(sandbox.work / "cut");
  std::ofstream(sandbox.work / "cut" / "ItemListJillHard.txt", std::ios::binary)
      << jillHard.substr(0, jillHard.find("ENEMYRANDODATA"));
  struct Case {
    std::string arguments;
    int status;
    std::string out;  // a part of standard output
    std::string err;  // all of standard error
  };
  const Case cases[] = {
      {"--check Missing.txt", kExitCheckUnreadable, "",
       "mansion-randomizer: cannot read Missing.txt: No such file or directory\n"},
      {"--check 'new\nline.txt'", kExitCheckUnreadable, "",
       "mansion-randomizer: cannot read new\\x0aline.txt: No such file or directory\n"},
      {"--check fifo", kExitCheckUnreadable, "", "mansion-randomizer: cannot read fifo: not a regular file\n"},
      {"--check folder --character jill --difficulty hard", kExitCheckUnreadable, "",
       "mansion-randomizer: cannot read folder: not a regular file\n"},
      {"--check ItemListJillHard.txt --seed $(printf '4\\033')", kExitBadArguments, "",
       "mansion-randomizer: invalid seed '4\\x1b': expected a whole number from 0 to 4294967295\n"
       "Try 'mansion-randomizer --help' for more information.\n"},
      {"--check ItemListJillHard.txt --seed 42 --modifier 6", kExitCheckDiffers,
       notOf + "--character jill --difficulty hard --modifier 6 (the first difference is on line 1)\n"
               "  Hint: the file has an enemy block, which only --enemies gives\n",
       ""},
      {"--check ItemListJillHard.txt --seed 42 --enemies", kExitCheckDiffers,
       "  Hint: the file holds the armed fuel capsule, which only --modifier 6 gives\n", ""},
      {"--check other/ItemListJillNormal.txt", kExitCheckIncomplete,
       "  Hint: the file looks like a run for Jill on Hard Difficulty, not Jill on Normal Difficulty\n", ""},
      {"--check " + shellQuote(hostile) + " --character jill --difficulty hard", kExitSuccess,
       "t\\x1b]0;x\\x07\\x0aItemListJillHard.txt: file code fake: file code " + fileCode(jillHard) + "\n", ""},
      {"--check other/ItemListJillHard.txt --seed 42 --enemies --modifier 6", kExitCheckDiffers,
       "--modifier 6 (the first difference is on line 192)\n", ""},
      {"--check cut/ItemListJillHard.txt --seed 42 --enemies --modifier 6", kExitCheckDiffers,
       "--modifier 6 (the first difference is on line 181)\n", ""},
      // Cannot be completed weighs more than differs.
      {"--check ItemListChrisNormal.txt --seed 1", kExitCheckIncomplete, " is not the file of: ", ""},
  };
  for (const Case& c : cases) {
    // The FIFO has a writer that never writes; the watchdog ends a check
    // that would wait for it.
    const Result result = sandbox.run("", c.arguments, "exec 3<>fifo && timeout 30");
    EXPECT_EQ(result.status, c.status) << c.arguments;
    EXPECT_NE(result.out.find(c.out), std::string::npos) << c.arguments << "\n" << result.out;
    EXPECT_EQ(result.err, c.err) << c.arguments;
  }
}

}  // namespace

// A plando run names its file in the seed line and lists its lines in the
// spoiler file, its item list is confirmed by --check with the same plando,
// and --race takes one; a refused or impossible plando writes nothing.
TEST(CommandLineEndToEndTest, PlandoRunsAreNamedConfirmedAndRefused) {
  Sandbox sandbox;
  std::ofstream(sandbox.work / "my plan.txt", std::ios::binary) << "Shield Key in slot 20\r\nOld Key 2 in slot 21\r\n";
  const std::string setting = " --character chris --difficulty normal";
  const Result run = sandbox.run("", "--seed 9 --spoiler-json --plando 'my plan.txt'" + setting);
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_NE(run.out.find("Seed 9; the same files again: mansion-randomizer --seed 9 --character chris --difficulty "
                         "normal --plando 'my plan.txt'\n"),
            std::string::npos)
      << run.out;
  const std::string spoiler = readFile(sandbox.work / "SpoilerChrisNormal.json");
  EXPECT_NE(spoiler.find("  \"plando\": [\n    \"Shield Key in L CORRIDOR: Dagger\",\n    \"Old Key 2 in L CORRIDOR: "
                         "Handgun Magazine\"\n  ]\n}\n"),
            std::string::npos)
      << spoiler;
  const Result check = sandbox.run("", "--check ItemListChrisNormal.txt --seed 9 --plando 'my plan.txt'");
  EXPECT_EQ(check.status, kExitSuccess) << check.err;
  const Result without = sandbox.run("", "--check ItemListChrisNormal.txt --seed 9");
  EXPECT_EQ(without.status, kExitCheckDiffers);
  const Result race = sandbox.run("", "--race --plando 'my plan.txt' --output-dir race" + setting);
  EXPECT_EQ(race.status, kExitSuccess) << race.err;

  std::ofstream(sandbox.work / "bad.txt", std::ios::binary) << "Shield Key in slot 20\nShield Key in slot 21\n";
  std::ofstream(sandbox.work / "locked.txt", std::ios::binary) << "Blue Gemstone in slot 13\n";
  const std::vector<std::string> before = sandbox.files();
  const Result bad = sandbox.run("", "--seed 9 --plando bad.txt --output-dir out" + setting);
  EXPECT_EQ(bad.status, kExitBadArguments);
  EXPECT_EQ(bad.err, "mansion-randomizer: bad.txt line 2: the Shield Key is fixed already on line 1\n");
  const Result locked = sandbox.run("", "--seed 9 --plando locked.txt --output-dir out" + setting);
  EXPECT_EQ(locked.status, kExitPlandoImpossible);
  EXPECT_NE(locked.err.find("the TIGER STATUE ROOM needs the Blue Gemstone\n"), std::string::npos) << locked.err;
  EXPECT_EQ(locked.out, "");
  EXPECT_EQ(sandbox.files(), before);
}
