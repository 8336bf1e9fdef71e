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
    // Marked before it exists, so that Ctrl+C at any moment of its short
    // life leaves nothing behind.
    markTemporaryFile(temporary);
    errno = 0;
    file = create(temporary);
    if (!file) {
      unmarkTemporaryFile();
      if (errno != EEXIST) break;
    }
  }
  if (!file) {
    error = "cannot write " + path + ": " + errnoReason(errno);
    return false;
  }

  errno = 0;
  bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  std::string reason = written ? "" : errnoReason(errno);
  // On the disk before the rename: a power cut just after the run then finds
  // the earlier file or the whole new one, never an empty one.
  if (written) written = flushToDisk(file, reason);
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) reason = errnoReason(errno);
  if (written && closed && replaceFile(temporary, path, reason)) {
    unmarkTemporaryFile();
    return true;
  }
  std::remove(temporary.c_str());
  unmarkTemporaryFile();
  error = "cannot write " + path + ": " + reason;
  return false;
}

bool writeOutputFile(GenerationState& state, const std::string& fileName, const std::string& contents) {
  std::string error;
  const FileCreator create = state.createFile ? state.createFile : createNewFile;
  if (writeFileAtomically(outputPath(state, fileName), contents, error, create)) return true;
  *state.errors << kMessagePrefix << error << '\n' << std::flush;
  return false;
}
