#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/marked_files.h"
#include "platform/platform.h"

namespace {


// Ctrl+C, kill's default signal and a closed terminal.
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction earlierActions[3];

void removeMarkedFileAndEnd(int signalNumber) {
  const int savedErrno = errno;
  if (const char* const* paths = markedFilePaths()) {
    for (; *paths; ++paths) unlink(*paths);
  }
  // What the signal did before (ending the program, normally) happens once
  // this handler returns: the signal is blocked until then.
  for (int i = 0; i < 3; ++i) {
    if (kInterrupts[i] == signalNumber) sigaction(signalNumber, &earlierActions[i], nullptr);
  }
  raise(signalNumber);
  errno = savedErrno;
}

void installInterruptHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action {};
  action.sa_handler = removeMarkedFileAndEnd;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : kInterrupts) sigaddset(&action.sa_mask, signalNumber);
  for (int i = 0; i < 3; ++i) {
    sigaction(kInterrupts[i], nullptr, &earlierActions[i]);
    // A program started with the signal ignored (nohup, a background job)
    // keeps ignoring it.
    if (earlierActions[i].sa_handler == SIG_IGN) continue;
    sigaction(kInterrupts[i], &action, nullptr);
  }
}

}  // namespace

bool stdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void clearConsole() {
  if (!stdoutIsTerminal()) return;
  std::cout << "\x1b[2J\x1b[H" << std::flush;
}

void waitForKey() {
  std::cout << "Press Enter to continue . . ." << std::flush;
  std::string line;
  std::getline(std::cin, line);
  std::cout << '\n' << std::flush;
}

bool canReplace(const std::string& to, std::string& reason) {
  // rename() asks only the folder for permission, so on its own it would
  // replace a file the player made read-only. Refuse as Windows does, and as
  // opening the file for writing would.
  struct stat status {};
  if (stat(to.c_str(), &status) != 0) {
    if (errno == ENOENT) return true;
    reason = std::strerror(errno);
    return false;
  }
  if (S_ISDIR(status.st_mode)) {
    reason = std::strerror(EISDIR);
    return false;
  }
  if (access(to.c_str(), W_OK) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  return true;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  if (!canReplace(to, reason)) return false;
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

bool replaceFiles(const std::vector<FileMove>& moves, std::size_t& failed, std::string& reason) {
  // Held in the child too, which inherits the mask: Ctrl+C reaches the whole
  // process group.
  sigset_t interrupts, earlierMask;
  sigemptyset(&interrupts);
  for (int signalNumber : kInterrupts) sigaddset(&interrupts, signalNumber);
  pthread_sigmask(SIG_BLOCK, &interrupts, &earlierMask);
  // The child only makes system calls on names made beforehand; a file it
  // did not move (it failed, or was killed too) still exists, and is moved
  // here, or gives the reason it cannot be.
  const pid_t child = fork();
  if (child == 0) {
    for (const FileMove& move : moves) {
      if (std::rename(move.from.c_str(), move.to.c_str()) != 0) break;
    }
    _exit(0);
  }
  if (child > 0) {
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  bool moved = true;
  for (std::size_t k = 0; k < moves.size(); ++k) {
    if (!moved) {
      unlink(moves[k].from.c_str());
    } else if (access(moves[k].from.c_str(), F_OK) == 0 && !replaceFile(moves[k].from, moves[k].to, reason)) {
      failed = k;
      moved = false;
      unlink(moves[k].from.c_str());
    }
  }
  std::string lastFolder;
  for (const FileMove& move : moves) {
    const size_t slash = move.to.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : move.to.substr(0, slash);
    if (folder == lastFolder) continue;
    lastFolder = folder;
    // Best effort: the files are in place, so there is nothing to report.
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) continue;
    fsync(descriptor);
    close(descriptor);
  }
  unmarkTemporaryFiles();
  pthread_sigmask(SIG_SETMASK, &earlierMask, nullptr);
  return moved;
}

std::FILE* createNewFile(const std::string& path) { return std::fopen(path.c_str(), "wbx"); }

std::FILE* openRegularFile(const std::string& path, std::string& reason) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(status.st_mode)) {
    reason = "not a regular file";
    return nullptr;
  }
  // O_NONBLOCK: should a FIFO have taken the file's place since stat, open
  // returns at once instead of waiting for a writer.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(descriptor);
    reason = "not a regular file";
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "rb");
  if (!file) {
    reason = std::strerror(errno);
    close(descriptor);
  }
  return file;
}

bool flushToDisk(std::FILE* file, std::string& reason) {
  errno = 0;
  if (std::fflush(file) == 0 && fsync(fileno(file)) == 0) return true;
  reason = std::strerror(errno ? errno : EIO);
  return false;
}

bool markTemporaryFile(const std::string& path) {
  installInterruptHandlers();
  return addMarkedFile(path);
}

void unmarkTemporaryFiles() { clearMarkedFiles(); }

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }

bool secureRandomBytes(void* buffer, std::size_t size, std::string& reason) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    // Blocks only until the kernel's pool is first seeded, early at boot.
    const ssize_t got = getrandom(bytes, size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      reason = std::strerror(errno);
      return false;
    }
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool processExists(unsigned long processId) {
  const auto id = static_cast<pid_t>(processId);
  // 0 and negative ids name process groups, not one process.
  if (id <= 0 || static_cast<unsigned long>(id) != processId) return false;
  return kill(id, 0) == 0 || errno != ESRCH;
}
