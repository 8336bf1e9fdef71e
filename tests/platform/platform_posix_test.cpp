// How replacing an output file behaves on POSIX systems, where rename()
// alone would neither respect a read-only file nor disturb an open reader.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/platform.h"
#include "output/text_file.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Runs replaceFile as an unprivileged user, since root may write any file:
// 0 replaced, 1 refused with "Permission denied", 2 refused for another reason.
int replaceAsUnprivilegedUser(const std::string& from, const std::string& to) {
  const auto attempt = [&] {
    std::string reason;
    if (replaceFile(from, to, reason)) return 0;
    return reason == std::strerror(EACCES) ? 1 : 2;
  };
  if (geteuid() != 0) return attempt();
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    _exit(attempt());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 4;
}

TEST(PlatformPosixTest, ReplaceFileKeepsAFileThePlayerMadeReadOnly) {
  TempFolder folder;
  fs::permissions(folder.path, fs::perms::all);  // the folder itself allows the rename
  const fs::path target = folder.path / "ItemListJillHard.txt";
  const fs::path fresh = folder.path / "fresh";
  for (bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly ? "read-only" : "writable");
    std::ofstream(target, std::ios::binary | std::ios::trunc) << "earlier\r\n";
    std::ofstream(fresh, std::ios::binary) << "new\r\n";
    fs::permissions(fresh, fs::perms::all);
    fs::permissions(target, readOnly ? fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read
                                     : fs::perms::all);
    const int outcome = replaceAsUnprivilegedUser(fresh.string(), target.string());
    EXPECT_EQ(outcome, readOnly ? 1 : 0);
    EXPECT_EQ(readFile(target), readOnly ? "earlier\r\n" : "new\r\n");
    fs::remove(fresh);
    fs::permissions(target, fs::perms::owner_all);
  }
}

TEST(PlatformPosixTest, AReaderOfTheEarlierFileStillReadsItWhole) {
  // A trainer or editor that opened the item list before the run must see the
  // old list to its end, never a truncated or half-new one.
  TempFolder folder;
  const std::string target = (folder.path / "ItemListJillHard.txt").string();
  std::string earlier;
  for (int slot = 0; slot < 20000; ++slot) earlier += std::to_string(slot) + "\r\n";
  std::ofstream(target, std::ios::binary) << earlier;
  std::ifstream held(target, std::ios::binary);
  std::string start(10, '\0');
  held.read(&start[0], 10);

  std::string error;
  ASSERT_TRUE(writeFileAtomically(target, "7\r\n", error)) << error;
  const std::string rest((std::istreambuf_iterator<char>(held)), std::istreambuf_iterator<char>());
  EXPECT_EQ(start + rest, earlier);
  EXPECT_EQ(readFile(target), "7\r\n");
}

// Creates the temporary files as the program does, then interrupts the
// write of the cheat sheet, the second file, after its first bytes with this
// signal.
int interruptSignal = 0;
std::FILE* createThenInterrupt(const std::string& path) {
  std::FILE* file = createNewFile(path);
  if (file && path.find("CheatSheet") != std::string::npos) {
    std::fputs("half a", file);
    std::fflush(file);
    std::raise(interruptSignal);
  }
  return file;
}

TEST(PlatformPosixTest, InterruptedWriteLeavesNoTemporaryFileAndEndsTheProgram) {
  for (int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(strsignal(signal));
    interruptSignal = signal;
    TempFolder folder;
    const std::string target = (folder.path / "ItemListJillHard.txt").string();
    std::ofstream(target, std::ios::binary) << "earlier\r\n";
    std::string error;
    EXPECT_EXIT(
        {
          writeFilesTogether({{target, "new\r\n"}, {(folder.path / "CheatSheetJillHard.txt").string(), "new"}},
                             error, createThenInterrupt);
          std::exit(0);  // reached only if the interrupt did not end the program
        },
        testing::KilledBySignal(signal), "");
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"ItemListJillHard.txt"}));
    EXPECT_EQ(readFile(target), "earlier\r\n");
  }
}

// Whether another open of `folder` could take its rename lock at once.
bool folderLockIsFree(const fs::path& folder) {
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool free = descriptor >= 0 && flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  if (descriptor >= 0) close(descriptor);
  return free;
}

fs::path lockedFolder;
bool heldWhileWriting = false;

std::FILE* createAndLookAtTheLock(const std::string& path) {
  heldWhileWriting = !folderLockIsFree(lockedFolder);
  return createNewFile(path);
}

// Two runs writing the same names into one folder take turns, so the folder
// never holds parts of both runs' sets.
TEST(PlatformPosixTest, ARunHoldsItsFolderWhileItPutsItsFilesInPlace) {
  TempFolder folder;
  FolderLock lock = lockFolderForRenames(folder.path.string());
  EXPECT_FALSE(folderLockIsFree(folder.path));
  unlockFolder(lock);
  EXPECT_TRUE(folderLockIsFree(folder.path));

  std::ostringstream console, errors;
  Reporter reporter(console, errors);
  OutputSettings settings;
  settings.directory = folder.path.string();
  settings.createFile = createAndLookAtTheLock;
  lockedFolder = folder.path;
  ASSERT_TRUE(writeOutputFiles(settings, reporter, {{"ItemListJillHard.txt", "new\r\n"}})) << errors.str();
  EXPECT_TRUE(heldWhileWriting);
  EXPECT_TRUE(folderLockIsFree(folder.path));
}

}  // namespace
