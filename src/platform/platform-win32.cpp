#include <windows.h>
#include <bcrypt.h>
#include <conio.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/marked_files.h"
#include "platform/platform.h"

namespace {

// Set while one run's files are renamed; the handler waits for the renames.
std::atomic<bool> interruptsHeld{false};

// The console's handler runs on a thread of its own, so it could read the
// list of marked files while the writer changes it: both take this lock.
SRWLOCK markedFilesLock = SRWLOCK_INIT;

BOOL WINAPI removeMarkedFile(DWORD) {
  // A few renames take milliseconds; the system allows a closing console
  // seconds before it ends the program.
  for (int waited = 0; interruptsHeld.load() && waited < 2000; waited += 10) Sleep(10);
  // The writer's handle allows the removal (see createNewFile); each name
  // goes at once or when the ending process closes the handle.
  AcquireSRWLockExclusive(&markedFilesLock);
  if (const char* const* paths = markedFilePaths()) {
    for (; *paths; ++paths) DeleteFileA(*paths);
  }
  // Held on: the writer must not start another file while the program ends.
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

bool canReplace(const std::string& to, std::string& reason) {
  // NTFS refuses to rename over a read-only file, but not every file system
  // behind a drive letter does (Wine's view of a Unix folder replaces it), so
  // the attribute is asked first and the player's read-only file is kept
  // wherever the folder lives.
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return true;
    reason = systemMessage(code);
    return false;
  }
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
    reason = systemMessage(ERROR_ACCESS_DENIED);
    return false;
  }
  // MoveFileEx needs to delete the file it replaces, which a program holding
  // it open without sharing that (an editor, the trainer) forbids. Asked
  // before anything is written, so one such file cannot stop a run's renames
  // half way.
  const HANDLE probe = CreateFileA(to.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return true;
    reason = systemMessage(code);
    return false;
  }
  CloseHandle(probe);
  return true;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  if (!canReplace(to, reason)) return false;
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  reason = systemMessage(GetLastError());
  return false;
}

bool replaceFiles(const std::vector<FileMove>& moves, std::size_t& failed, std::string& reason) {
  // MOVEFILE_WRITE_THROUGH makes each rename durable. The console's control
  // handler waits while interruptsHeld is set.
  interruptsHeld.store(true);
  bool moved = true;
  for (std::size_t k = 0; k < moves.size(); ++k) {
    if (!moved) {
      DeleteFileA(moves[k].from.c_str());
    } else if (!replaceFile(moves[k].from, moves[k].to, reason)) {
      failed = k;
      moved = false;
      DeleteFileA(moves[k].from.c_str());
    }
  }
  unmarkTemporaryFiles();
  interruptsHeld.store(false);
  return moved;
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

std::FILE* openRegularFile(const std::string& path, std::string& reason) {
  // The C library's words for the common failures, as the POSIX build gives.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    reason = std::strerror(errnoFor(GetLastError()));
    return nullptr;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    reason = "not a regular file";
    return nullptr;
  }
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    reason = std::strerror(errnoFor(GetLastError()));
    return nullptr;
  }
  // A pipe or a console device opens like a file but may never end.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    reason = "not a regular file";
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    reason = std::strerror(EMFILE);
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "rb");
  if (!file) {
    reason = std::strerror(errno);
    _close(descriptor);
  }
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

bool markTemporaryFile(const std::string& path, std::string& reason) {
  static const DWORD installFailure = SetConsoleCtrlHandler(removeMarkedFile, TRUE) ? 0 : GetLastError();
  if (installFailure != 0) {
    reason = "cannot catch Ctrl+C: " + systemMessage(installFailure);
    return false;
  }
  AcquireSRWLockExclusive(&markedFilesLock);
  const bool added = addMarkedFile(path);
  ReleaseSRWLockExclusive(&markedFilesLock);
  if (!added) reason = "too many files at once";
  return added;
}

void unmarkTemporaryFiles() {
  // The lock's calls change neither errno nor the last error code.
  AcquireSRWLockExclusive(&markedFilesLock);
  clearMarkedFiles();
  ReleaseSRWLockExclusive(&markedFilesLock);
}

FolderLock lockFolderForRenames(const std::string& folder) {
  FolderLock lock;
  // A named mutex stands for the folder: a lock on the folder itself is not
  // possible here, and a lock file would be left in the player's folder. The
  // volume's serial number and the folder's index name it whatever path
  // leads to it.
  const HANDLE directory =
      CreateFileA(folder.empty() ? "." : folder.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  // A folder that cannot be opened gets no lock; writing into it then says
  // what is wrong with it.
  if (directory == INVALID_HANDLE_VALUE) return lock;
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(directory, &information) != 0;
  CloseHandle(directory);
  if (!known) return lock;
  char name[80];
  std::snprintf(name, sizeof name, "Global\\mansion-randomizer-renames-%08lx-%08lx%08lx",
                static_cast<unsigned long>(information.dwVolumeSerialNumber),
                static_cast<unsigned long>(information.nFileIndexHigh),
                static_cast<unsigned long>(information.nFileIndexLow));
  const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (!mutex) return lock;
  // WAIT_ABANDONED: a run holding it ended mid-way; its renames are over.
  const DWORD waited = WaitForSingleObject(mutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return lock;
  }
  lock.handle = reinterpret_cast<std::intptr_t>(mutex);
  return lock;
}

void unlockFolder(FolderLock& lock) {
  if (lock.handle == -1) return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(lock.handle);
  // Closing frees an owned mutex too, as abandoned; there is nothing to report.
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  lock.handle = -1;
}

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

bool processExists(unsigned long processId) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;  // denied: it runs
  DWORD exitCode = 0;
  const bool running = !GetExitCodeProcess(process, &exitCode) || exitCode == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}
