#pragma once

// The few things the program does differently on Windows and elsewhere. The
// build picks platform-win32.cpp or platform-posix.cpp.

#include <cstdio>
#include <string>

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
// allows it. Several renames then share one syncFolderOf, so the gap between
// them stays as short as the system allows. On failure returns false and sets
// `reason` to the system's explanation.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

// Makes finished renames into the folder of `path` survive a power cut. Best
// effort: the files are already in place, so there is nothing to report.
void syncFolderOf(const std::string& path);

// Creates the file `path`, which must not exist yet, and opens it for binary
// writing; nullptr with errno set when it exists or cannot be made. An
// existing file is never opened, let alone truncated. The file may be removed
// while it is open, which an interrupt does (see markTemporaryFile).
std::FILE* createNewFile(const std::string& path);

// Flushes `file` from the C library's buffer and the system's cache to the
// disk, so that it survives a power cut. On failure returns false and sets
// `reason` to the system's explanation.
bool flushToDisk(std::FILE* file, std::string& reason);

// Adds `path` to the temporary files (at most kMaxMarkedFiles) the writer is
// about to create and fill: an interrupt (Ctrl+C, closing the console, a
// request to end the program) removes them all before the program ends the
// way it would have anyway. The first call installs the handlers; interrupts
// still end the program at once. False, with nothing marked, when full.
bool markTemporaryFile(const std::string& path);
constexpr int kMaxMarkedFiles = 8;

// Forgets every marked temporary file once they are renamed or removed;
// keeps errno.
void unmarkTemporaryFiles();

// Holds interrupts back until releaseInterrupts, so that the renames of one
// run's files are not cut in two by Ctrl+C; a held interrupt then ends the
// program as usual. Calls do not nest.
void holdInterrupts();
void releaseInterrupts();

// Process id, used to give temporary files names no other process uses.
unsigned long currentProcessId();

// Whether a process with this id runs on this machine (or may: one the
// system will not tell about counts as running).
bool processExists(unsigned long processId);
