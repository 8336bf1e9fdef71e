#pragma once

// The few things the program does differently on Windows and elsewhere. The
// build picks platform-win32.cpp or platform-posix.cpp.

#include <cstddef>
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

// Moves the file `from` over `to`, replacing `to` in one step if it exists
// and the user may write it (a read-only `to` is kept and is a failure), and
// makes the rename itself durable. On failure returns false and sets
// `reason` to the system's explanation.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

// Creates the file `path`, which must not exist yet, and opens it for binary
// writing; nullptr with errno set when it exists or cannot be made. An
// existing file is never opened, let alone truncated. The file may be removed
// while it is open, which an interrupt does (see markTemporaryFile).
std::FILE* createNewFile(const std::string& path);

// Flushes `file` from the C library's buffer and the system's cache to the
// disk, so that it survives a power cut. On failure returns false and sets
// `reason` to the system's explanation.
bool flushToDisk(std::FILE* file, std::string& reason);

// Names the temporary file the writer is about to create and fill: an
// interrupt (Ctrl+C, closing the console, a request to end the program)
// removes it before the program ends the way it would have anyway. The first
// call installs the handlers; interrupts still end the program at once.
void markTemporaryFile(const std::string& path);

// Forgets the marked temporary file once it is renamed or removed; keeps errno.
void unmarkTemporaryFile();

// Process id, used to give temporary files names no other process uses.
unsigned long currentProcessId();

// Fills `buffer` with `size` bytes from the system's secure random source,
// which nobody can predict or repeat (unlike the clock or std::random_device,
// which some C libraries make deterministic). On failure returns false and
// sets `reason` to the system's explanation.
bool secureRandomBytes(void* buffer, std::size_t size, std::string& reason);
