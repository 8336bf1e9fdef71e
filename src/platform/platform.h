#pragma once

// The few things the program does differently on Windows and elsewhere. The
// build picks platform-win32.cpp or platform-posix.cpp.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// True when standard output is an interactive console rather than a pipe or file.
bool stdoutIsTerminal();

// Clears the console window when standard output is a terminal; writes
// nothing at all otherwise, so a transcript of a piped run stays clean text.
void clearConsole();

// Prints a prompt and waits for one key (Windows) or one line (elsewhere);
// returns at once when standard input has ended.
void waitForKey();

// Whether replaceFile may put a file at `to`: it is absent, or a file the
// user may write (a read-only file or a folder there is kept). On refusal
// returns false and sets `reason` to the system's explanation.
bool canReplace(const std::string& to, std::string& reason);

// Moves the file `from` over `to`, replacing `to` in one step if canReplace
// allows it. On failure returns false and sets `reason` to the system's
// explanation.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

// One rename of replaceFiles: the finished temporary file `from` goes over `to`.
struct FileMove {
  std::string from;
  std::string to;
};

// Renames each `from` over its `to` with replaceFile, in order and without a
// pause between them, then makes the renames durable and forgets the marked
// temporary files (see markTemporaryFile). Interrupts wait until all are
// done. Where the system can (POSIX), a child process makes the renames, so
// that killing the program meanwhile cannot stop them half way; only a power
// cut can. Stops at the first failure: sets `failed` to its index and
// `reason`, removes the files not moved and returns false.
bool replaceFiles(const std::vector<FileMove>& moves, std::size_t& failed, std::string& reason);
// A lock on one folder's renames, held from lockFolderForRenames until
// unlockFolder; `handle` is the system's, -1 when no lock is held.
struct FolderLock {
  std::intptr_t handle = -1;
};

// Waits until no other run of the program on this machine puts files in place
// in `folder` (empty: the current folder), then holds that lock, so that two
// runs' sets never mix. The rename helper process holds it too, until its
// renames end. A folder that cannot be opened, or a file system without
// locks, gives a lock that holds nothing: writing goes on as without one.
FolderLock lockFolderForRenames(const std::string& folder);

// Frees the lock of lockFolderForRenames (for the helper process too, once it
// has ended); a lock that holds nothing is left as it is.
void unlockFolder(FolderLock& lock);

// Creates the file `path`, which must not exist yet, and opens it for binary
// writing; nullptr with errno set when it exists or cannot be made. An
// existing file is never opened, let alone truncated. The file may be removed
// while it is open, which an interrupt does (see markTemporaryFile).
std::FILE* createNewFile(const std::string& path);

// Opens `path` for binary reading if it is a regular file, without ever
// waiting: a FIFO, device or folder is refused before it is opened for
// reading, and a file swapped for one meanwhile is refused too. Otherwise
// nullptr, with `reason` "not a regular file" or the system's explanation.
std::FILE* openRegularFile(const std::string& path, std::string& reason);

// Flushes `file` from the C library's buffer and the system's cache to the
// disk, so that it survives a power cut. On failure returns false and sets
// `reason` to the system's explanation.
bool flushToDisk(std::FILE* file, std::string& reason);

// Adds `path` to the temporary files (at most kMaxMarkedFiles) the writer is
// about to create and fill: an interrupt (Ctrl+C, closing the console, a
// request to end the program) removes them all before the program ends the
// way it would have anyway. The first call installs the handlers; interrupts
// still end the program at once. False, with nothing marked and `reason`
// set, when the list is full or the handlers cannot be installed.
bool markTemporaryFile(const std::string& path, std::string& reason);
constexpr int kMaxMarkedFiles = 8;

// Forgets every marked temporary file once they are renamed or removed;
// keeps errno.
void unmarkTemporaryFiles();

// Process id, used to give temporary files names no other process uses.
unsigned long currentProcessId();

// Fills `buffer` with `size` bytes from the system's secure random source,
// which nobody can predict or repeat (unlike the clock or std::random_device,
// which some C libraries make deterministic). On failure returns false and
// sets `reason` to the system's explanation.
bool secureRandomBytes(void* buffer, std::size_t size, std::string& reason);

// Whether a process with this id runs on this machine (or may: one the
// system will not tell about counts as running).
bool processExists(unsigned long processId);
