#include <windows.h>
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/platform.h"

namespace {

std::string systemMessage(DWORD code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string message = length ? std::string(buffer, length) : "error " + std::to_string(code);
  if (buffer) LocalFree(buffer);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

}  // namespace

bool stdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void clearConsole() {
  if (!stdoutIsTerminal()) return;
  std::cout << std::flush;
  HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) {
    std::cout << "\x1b[2J\x1b[H" << std::flush;  // a terminal that is not a console
    return;
  }
  DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
  COORD origin = {0, 0};
  DWORD written = 0;
  FillConsoleOutputCharacterA(console, ' ', cells, origin, &written);
  FillConsoleOutputAttribute(console, info.wAttributes, cells, origin, &written);
  SetConsoleCursorPosition(console, origin);
}

void waitForKey() {
  std::cout << "Press any key to continue . . ." << std::flush;
  if (_isatty(_fileno(stdin))) {
    _getch();
  } else {
    std::string line;
    std::getline(std::cin, line);
  }
  std::cout << '\n' << std::flush;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  // NTFS refuses to rename over a read-only file, but not every file system
  // behind a drive letter does (Wine's view of a Unix folder replaces it), so
  // the attribute is asked first and the player's read-only file is kept
  // wherever the folder lives.
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    reason = systemMessage(ERROR_ACCESS_DENIED);
    return false;
  }
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  reason = systemMessage(GetLastError());
  return false;
}

std::FILE* createNewFile(const std::string& path) {
  // The C library Windows programs share ignores fopen's "x" and would empty
  // an existing file, so the exclusive create goes through _open.
  const int descriptor = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  std::FILE* file = _fdopen(descriptor, "wb");
  if (!file) _close(descriptor);
  return file;
}

unsigned long currentProcessId() { return static_cast<unsigned long>(GetCurrentProcessId()); }
