#include <windows.h>
#include <bcrypt.h>
#include <conio.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/platform.h"

namespace {

// The temporary file an interrupt removes. The console runs its control
// handler on a thread of its own while the writer goes on, so each new name
// goes into the buffer that was not published last and is then published in
// one atomic store.
std::string markedNames[2];
int nextMarkedName = 0;
std::atomic<const char*> markedPath{nullptr};

BOOL WINAPI removeMarkedFile(DWORD) {
  // The writer's handle allows the removal (see createNewFile); the name goes
  // at once or when the ending process closes the handle.
  if (const char* path = markedPath.load()) DeleteFileA(path);
  return FALSE;  // the next handler, at last the system's, ends the program
}

int errnoFor(DWORD code) {
  switch (code) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return EINVAL;
    default:
      return EACCES;
  }
}

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
  // CREATE_NEW makes the create exclusive, which the C library's "x" is not
  // here. Sharing the removal lets Ctrl+C delete the file while the writer
  // still holds it open.
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = errnoFor(GetLastError());
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    errno = EMFILE;
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "wb");
  if (!file) _close(descriptor);
  return file;
}

bool flushToDisk(std::FILE* file, std::string& reason) {
  if (std::fflush(file) != 0) {
    reason = std::strerror(errno ? errno : EIO);
    return false;
  }
  if (FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) return true;
  reason = systemMessage(GetLastError());
  return false;
}

void markTemporaryFile(const std::string& path) {
  static const bool installed = SetConsoleCtrlHandler(removeMarkedFile, TRUE) != 0;
  static_cast<void>(installed);
  markedPath.store(nullptr);
  markedNames[nextMarkedName] = path;
  markedPath.store(markedNames[nextMarkedName].c_str());
  nextMarkedName ^= 1;
}

void unmarkTemporaryFile() { markedPath.store(nullptr); }

unsigned long currentProcessId() { return static_cast<unsigned long>(GetCurrentProcessId()); }

bool secureRandomBytes(void* buffer, std::size_t size, std::string& reason) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    const ULONG chunk = size > 0x10000000u ? 0x10000000u : static_cast<ULONG>(size);
    const NTSTATUS status = BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!BCRYPT_SUCCESS(status)) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
      reason = std::string("BCryptGenRandom failed with status ") + code;
      return false;
    }
    bytes += chunk;
    size -= chunk;
  }
  return true;
}
