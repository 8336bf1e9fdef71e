// hold_file: keeps a file open the way another Windows program would (an
// editor, a virus scanner, the trainer reading its item list) while a command
// runs, so that a check can see what the randomizer does when it cannot
// replace that file.
//
//   hold_file [--share-read] FILE PROGRAM [ARGUMENT...]
//
// FILE is opened with no sharing at all, or with FILE_SHARE_READ only, and
// stays open until PROGRAM ends. The exit status is PROGRAM's; 125 means FILE
// could not be opened, 126 that PROGRAM could not be started.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Quotes one argument so that the C runtime of the started program splits the
// command line back into the same argument: backslashes only escape when a
// quote follows them.
std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') quoted.append(2 * backslashes + 1, '\\');
    else quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

// The child gets exactly this process's standard handles, so its output ends
// up where the check collects it, whatever Wine does with unmarked handles.
void inheritStandardHandle(DWORD which, HANDLE& target) {
  target = GetStdHandle(which);
  if (target && target != INVALID_HANDLE_VALUE) SetHandleInformation(target, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  DWORD shareMode = 0;
  if (argc > first && std::strcmp(argv[first], "--share-read") == 0) {
    shareMode = FILE_SHARE_READ;
    ++first;
  }
  if (argc - first < 2) {
    std::fprintf(stderr, "usage: hold_file [--share-read] FILE PROGRAM [ARGUMENT...]\n");
    return 125;
  }

  HANDLE held = CreateFileA(argv[first], GENERIC_READ, shareMode, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_file: cannot open %s (error %lu)\n", argv[first],
                 static_cast<unsigned long>(GetLastError()));
    return 125;
  }

  std::string commandLine;
  for (int i = first + 1; i < argc; ++i) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += quoteArgument(argv[i]);
  }

  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  inheritStandardHandle(STD_INPUT_HANDLE, startup.hStdInput);
  inheritStandardHandle(STD_OUTPUT_HANDLE, startup.hStdOutput);
  inheritStandardHandle(STD_ERROR_HANDLE, startup.hStdError);
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  // The held handle itself was made non-inheritable by CreateFile, so only
  // this process keeps FILE open.
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "hold_file: cannot start %s (error %lu)\n", argv[first + 1],
                 static_cast<unsigned long>(GetLastError()));
    CloseHandle(held);
    return 126;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 126;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(held);
  return static_cast<int>(status);
}
