#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/platform.h"

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
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

std::FILE* createNewFile(const std::string& path) { return std::fopen(path.c_str(), "wbx"); }

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }
