#include "output/text_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "platform/platform.h"
#include "state/generation_state.h"

std::string outputPath(const OutputSettings& settings, const std::string& fileName) {
  const std::string& folder = settings.directory;
  if (folder.empty()) return fileName;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + fileName;
  return folder + "/" + fileName;
}

namespace {

std::string errnoReason(int code) { return code ? std::strerror(code) : "unknown error"; }

// The process id in `name` when it is `prefix` + "PID-N" with decimal PID
// and N, else 0 (no process has id 0).
unsigned long temporaryFileProcess(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
  unsigned long long id = 0;
  std::size_t k = prefix.size();
  for (; k < name.size() && name[k] >= '0' && name[k] <= '9' && id <= 0xffffffffull; ++k) {
    id = id * 10 + static_cast<unsigned>(name[k] - '0');
  }
  if (k == prefix.size() || k == name.size() || name[k] != '-' || id > 0xffffffffull) return 0;
  if (++k == name.size()) return 0;
  for (; k < name.size(); ++k) {
    if (name[k] < '0' || name[k] > '9') return 0;
  }
  return static_cast<unsigned long>(id);
}

void removeAll(const std::vector<FileMove>& pending) {
  for (const FileMove& file : pending) std::remove(file.from.c_str());
  unmarkTemporaryFiles();
}

// Writes `contents` to a new temporary file beside `path` and flushes it to
// the disk. Once the file exists it is added to `pending`, the temporary
// files an interrupt or a failure removes.
bool writeTemporary(const std::string& path, const std::string& contents, FileCreator create,
                    std::vector<FileMove>& pending, std::string& reason) {
  // The temporary file sits beside the target so the final rename never
  // crosses file systems.
  static unsigned counter = 0;
  std::string temporary;
  std::FILE* file = nullptr;
  for (int tries = 0; tries < 100 && !file; ++tries) {
    temporary = path + ".tmp" + std::to_string(currentProcessId()) + "-" + std::to_string(++counter);
    // Marked before it exists, so that Ctrl+C at any moment of its short
    // life leaves nothing behind.
    unmarkTemporaryFiles();
    bool markedAll = markTemporaryFile(temporary, reason);
    for (std::size_t k = 0; markedAll && k < pending.size(); ++k) {
      markedAll = markTemporaryFile(pending[k].from, reason);
    }
    if (!markedAll) return false;
    errno = 0;
    file = create(temporary);
    if (!file && errno != EEXIST) break;
  }
  if (!file) {
    reason = errnoReason(errno);
    return false;
  }
  pending.push_back({temporary, path});

  errno = 0;
  bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  reason = written ? "" : errnoReason(errno);
  // On the disk before any rename: a power cut just after the run then finds
  // the earlier files or the whole new ones, never an empty one.
  if (written) written = flushToDisk(file, reason);
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) reason = errnoReason(errno);
  return written && closed;
}

}  // namespace

void removeStaleTemporaryFiles(const std::string& path) {
  const std::filesystem::path target(path);
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  const std::string prefix = target.filename().string() + ".tmp";
  std::error_code failure;
  std::filesystem::directory_iterator entries(folder, failure);
  if (failure) return;  // writing the files reports what is wrong with the folder
  const auto now = std::filesystem::file_time_type::clock::now();
  for (const std::filesystem::directory_entry& entry : entries) {
    const unsigned long process = temporaryFileProcess(entry.path().filename().string(), prefix);
    if (process == 0 || !entry.is_regular_file(failure)) continue;
    const auto written = std::filesystem::last_write_time(entry.path(), failure);
    if (failure) continue;
    const long long age = std::chrono::duration_cast<std::chrono::seconds>(now - written).count();
    // The age first: a folder shared with other machines holds files of
    // processes this machine cannot see, and a live run's file is young.
    if (age <= kStaleTemporarySeconds || processExists(process)) continue;
    std::filesystem::remove(entry.path(), failure);
  }
}

bool writeFilesTogether(const std::vector<OutputFile>& files, std::string& error, FileCreator create) {
  for (const OutputFile& file : files) removeStaleTemporaryFiles(file.name);
  std::vector<FileMove> pending;
  std::string reason;
  for (const OutputFile& file : files) {
    // Checked before anything is written, so that a read-only file cannot
    // stop the renames half way.
    if (!canReplace(file.name, reason) || !writeTemporary(file.name, file.contents, create, pending, reason)) {
      removeAll(pending);
      error = "cannot write " + printable(file.name) + ": " + reason;
      return false;
    }
  }

  std::size_t failed = 0;
  if (replaceFiles(pending, failed, reason)) return true;
  // Only a change to the folder since canReplace gets here.
  error = "cannot write " + printable(pending[failed].to) + ": " + reason;
  return false;
}

bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error,
                         FileCreator create) {
  return writeFilesTogether({{path, contents}}, error, create);
}

bool writeOutputFiles(const OutputSettings& settings, Reporter& reporter, const std::vector<OutputFile>& namedFiles) {
  std::vector<OutputFile> files;
  for (const OutputFile& file : namedFiles) files.push_back({outputPath(settings, file.name), file.contents});
  std::string error;
  const FileCreator create = settings.createFile ? settings.createFile : createNewFile;
  // Another run writing the same names into this folder waits, so the
  // folder ends with one run's whole set, never parts of two.
  FolderLock lock = lockFolderForRenames(settings.directory);
  const bool written = writeFilesTogether(files, error, create);
  unlockFolder(lock);
  if (written) return true;
  reportError(reporter, kMessagePrefix + error);
  return false;
}

bool writeOutputFile(const OutputSettings& settings, Reporter& reporter, const std::string& fileName,
                     const std::string& contents) {
  return writeOutputFiles(settings, reporter, {{fileName, contents}});
}

bool readRegularFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason) {
  std::FILE* file = openRegularFile(path, reason);
  if (!file) return false;
  bytes.resize(limit + 1);
  errno = 0;
  bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file));
  const bool failed = std::ferror(file) != 0;
  const int code = errno;
  std::fclose(file);
  if (failed) reason = code ? std::strerror(code) : "unknown error";
  return !failed;
}
