#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/platform.h"

namespace {

// The temporary file an interrupt removes. A handler reads the name while the
// program may be changing it, so each new name goes into the buffer that was
// not published last and is then published in one atomic store.
std::string markedNames[2];
int nextMarkedName = 0;
std::atomic<const char*> markedPath{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free, "the signal handler may only read lock-free atomics");

// Ctrl+C, kill's default signal and a closed terminal.
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction earlierActions[3];

void removeMarkedFileAndEnd(int signalNumber) {
  const int savedErrno = errno;
  if (const char* path = markedPath.load()) unlink(path);
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

// Makes a finished rename survive a power cut. Best effort: the new file has
// already replaced the earlier one, so there is nothing left to report to.
void syncFolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
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

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  // rename() asks only the folder for permission, so on its own it would
  // replace a file the player made read-only. Refuse as Windows does, and as
  // opening the file for writing would.
  if (access(to.c_str(), W_OK) != 0 && errno != ENOENT) {
    reason = std::strerror(errno);
    return false;
  }
  if (std::rename(from.c_str(), to.c_str()) == 0) {
    syncFolderOf(to);
    return true;
  }
  reason = std::strerror(errno);
  return false;
}

std::FILE* createNewFile(const std::string& path) { return std::fopen(path.c_str(), "wbx"); }

bool flushToDisk(std::FILE* file, std::string& reason) {
  errno = 0;
  if (std::fflush(file) == 0 && fsync(fileno(file)) == 0) return true;
  reason = std::strerror(errno ? errno : EIO);
  return false;
}

void markTemporaryFile(const std::string& path) {
  installInterruptHandlers();
  markedPath.store(nullptr);
  markedNames[nextMarkedName] = path;
  markedPath.store(markedNames[nextMarkedName].c_str());
  nextMarkedName ^= 1;
}

void unmarkTemporaryFile() { markedPath.store(nullptr); }

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
