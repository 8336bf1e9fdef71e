#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/marked_files.h"
#include "platform/platform.h"

// The secure random source: getrandom on Linux (and in Emscripten, which has
// it too), arc4random_buf where the C library has it (macOS and the BSDs),
// else the /dev/urandom device.
#if defined(__linux__) || defined(__EMSCRIPTEN__)
#include <sys/random.h>
#define MANSION_RANDOM_GETRANDOM 1
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__) || \
    defined(__DragonFly__)
#define MANSION_RANDOM_ARC4RANDOM 1
#endif

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
    // Should the earlier action not come back, raising the signal again
    // would only return here: end as the signal's default would.
    if (kInterrupts[i] == signalNumber && sigaction(signalNumber, &earlierActions[i], nullptr) != 0) {
      _exit(128 + signalNumber);
    }
  }
  raise(signalNumber);
  errno = savedErrno;
}

// Catches the interrupts once; the outcome, and the system's reason when it
// failed, stays for every later call.
bool installInterruptHandlers(std::string& reason) {
  static bool tried = false;
  static std::string failure;
  if (!tried) {
    tried = true;
    struct sigaction action {};
    action.sa_handler = removeMarkedFileAndEnd;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kInterrupts) sigaddset(&action.sa_mask, signalNumber);
    for (int i = 0; i < 3 && failure.empty(); ++i) {
      if (sigaction(kInterrupts[i], nullptr, &earlierActions[i]) != 0) {
        failure = std::string("cannot read the action of signal ") + std::to_string(kInterrupts[i]) + ": " +
                  std::strerror(errno);
      } else if (earlierActions[i].sa_handler != SIG_IGN && sigaction(kInterrupts[i], &action, nullptr) != 0) {
        // A program started with the signal ignored (nohup, a background
        // job) keeps ignoring it.
        failure = std::string("cannot catch signal ") + std::to_string(kInterrupts[i]) + ": " + std::strerror(errno);
      }
    }
  }
  reason = failure;
  return failure.empty();
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
  const int blocked = pthread_sigmask(SIG_BLOCK, &interrupts, &earlierMask);
  if (blocked != 0) {
    // Renames that Ctrl+C could stop half way are not begun.
    reason = std::string("cannot hold interrupts during the renames: ") + std::strerror(blocked);
    failed = 0;
    for (const FileMove& move : moves) unlink(move.from.c_str());
    unmarkTemporaryFiles();
    return false;
  }
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
  // The files are in place whatever happens here; should interrupts stay
  // held, the run can only finish without them, so it says so and goes on.
  const int restored = pthread_sigmask(SIG_SETMASK, &earlierMask, nullptr);
  if (restored != 0) {
    std::cerr << "mansion-randomizer: cannot let interrupts through again after the renames: "
              << std::strerror(restored) << std::endl;
  }
  return moved;
}

FolderLock lockFolderForRenames(const std::string& folder) {
  FolderLock lock;
  // A folder that cannot be opened gets no lock; writing into it then says
  // what is wrong with it.
  const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return lock;
  // flock rather than fcntl: the rename child inherits the lock with the
  // descriptor, so killing the program cannot free it before the renames end.
  int locked = 0;
  while ((locked = flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked != 0) {
    // A file system without locks (some network folders): the renames go on
    // unserialised, as they always did there.
    close(descriptor);
    return lock;
  }
  lock.handle = descriptor;
  return lock;
}

void unlockFolder(FolderLock& lock) {
  // Closing frees the lock; there is nothing to report if it fails.
  if (lock.handle >= 0) close(static_cast<int>(lock.handle));
  lock.handle = -1;
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

bool markTemporaryFile(const std::string& path, std::string& reason) {
  if (!installInterruptHandlers(reason)) return false;
  if (addMarkedFile(path)) return true;
  reason = "too many files at once";
  return false;
}

void unmarkTemporaryFiles() { clearMarkedFiles(); }

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }

#if defined(MANSION_RANDOM_GETRANDOM)
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
#elif defined(MANSION_RANDOM_ARC4RANDOM)
bool secureRandomBytes(void* buffer, std::size_t size, std::string&) {
  // The C library's generator, seeded by the kernel; it cannot fail.
  arc4random_buf(buffer, size);
  return true;
}
#else
bool secureRandomBytes(void* buffer, std::size_t size, std::string& reason) {
  const int device = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (device < 0) {
    reason = std::string("cannot open /dev/urandom: ") + std::strerror(errno);
    return false;
  }
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    const ssize_t got = read(device, bytes, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      // A device that ends gives no more randomness.
      reason = std::string("cannot read /dev/urandom: ") + std::strerror(got == 0 ? EIO : errno);
      break;
    }
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  if (close(device) != 0 && size == 0) {
    reason = std::string("cannot close /dev/urandom: ") + std::strerror(errno);
    return false;
  }
  return size == 0;
}
#endif

bool processExists(unsigned long processId) {
  const auto id = static_cast<pid_t>(processId);
  // 0 and negative ids name process groups, not one process.
  if (id <= 0 || static_cast<unsigned long>(id) != processId) return false;
  return kill(id, 0) == 0 || errno != ESRCH;
}
