#include "output/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "platform/platform.h"

std::string outputPath(const GenerationState& state, const std::string& fileName) {
  if (state.outputDirectory.empty()) return fileName;
  const char last = state.outputDirectory.back();
  if (last == '/' || last == '\\') return state.outputDirectory + fileName;
  return state.outputDirectory + "/" + fileName;
}

namespace {

std::string errnoReason(int code) { return code ? std::strerror(code) : "unknown error"; }

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error,
                         FileCreator create) {
  // The temporary file sits beside the target so the final rename never
  // crosses file systems.
  static unsigned counter = 0;
  std::string temporary;
  std::FILE* file = nullptr;
  for (int tries = 0; tries < 100 && !file; ++tries) {
    temporary = path + ".tmp" + std::to_string(currentProcessId()) + "-" + std::to_string(++counter);
    errno = 0;
    file = create(temporary);
    if (!file && errno != EEXIST) break;
  }
  if (!file) {
    error = "cannot write " + path + ": " + errnoReason(errno);
    return false;
  }

  errno = 0;
  bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  int writeErrno = errno;
  written = std::fflush(file) == 0 && written;
  if (!written && !writeErrno) writeErrno = errno;
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) writeErrno = errno;
  if (!written || !closed) {
    std::remove(temporary.c_str());
    error = "cannot write " + path + ": " + errnoReason(writeErrno);
    return false;
  }

  std::string reason;
  if (!replaceFile(temporary, path, reason)) {
    std::remove(temporary.c_str());
    error = "cannot write " + path + ": " + reason;
    return false;
  }
  return true;
}

bool writeOutputFile(GenerationState& state, const std::string& fileName, const std::string& contents) {
  std::string error;
  const FileCreator create = state.createFile ? state.createFile : createNewFile;
  if (writeFileAtomically(outputPath(state, fileName), contents, error, create)) return true;
  *state.errors << error << '\n' << std::flush;
  return false;
}
