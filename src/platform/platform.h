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

// Moves the file `from` over `to`, replacing `to` in one step if it exists
// and the user may write it (a read-only `to` is kept and is a failure).
// On failure returns false and sets `reason` to the system's explanation.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

// Creates the file `path`, which must not exist yet, and opens it for binary
// writing; nullptr with errno set when it exists or cannot be made. An
// existing file is never opened, let alone truncated.
std::FILE* createNewFile(const std::string& path);

// Process id, used to give temporary files names no other process uses.
unsigned long currentProcessId();
