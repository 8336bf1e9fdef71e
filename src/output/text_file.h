#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "state/reporter.h"
#include "platform/platform.h"

// Line end of both output files on every platform: the trainer reads the bytes
// a Windows text-mode stream would have written.
constexpr const char* kLineEnd = "\r\n";

// Start of every failure message on standard error, so a script running many
// programs can tell whose message it is.
constexpr const char* kMessagePrefix = "mansion-randomizer: ";

// Temporary files of a killed run older than this are removed by the next run
// that writes the same file, if their process is gone too.
constexpr long long kStaleTemporarySeconds = 60 * 60;

// Creates the file `path`, which must not exist yet, and opens it for binary
// writing; nullptr with errno set on failure.
using FileCreator = std::FILE* (*)(const std::string& path);

// Where a run's files go and how they are made.
struct OutputSettings {
  // Folder the files are written to; empty means the current folder.
  std::string directory;
  // How the temporary files are created; nullptr is the usual way. Tests put
  // a failing disk behind it.
  FileCreator createFile = nullptr;
};

// Path of an output file: `fileName` inside settings.directory (or the
// current folder when that is empty).
std::string outputPath(const OutputSettings& settings, const std::string& fileName);

// One file of a run: where it goes and its bytes.
struct OutputFile {
  std::string name;  // a path for writeFilesTogether, a file name for writeOutputFiles
  std::string contents;
};

// Replaces the files together, as far as a file system allows: each goes to
// a temporary file `PATH.tmpPID-N` beside it, made by `create` and flushed to
// the disk; only when all are written are they renamed over their paths by
// replaceFiles. A failure before the renames leaves every earlier file as it
// was and no temporary file; Ctrl+C while the temporary files are written
// removes them. First removes the stale
// temporary files of these paths (see kStaleTemporarySeconds). On failure
// `error` reads "cannot write PATH: REASON".
bool writeFilesTogether(const std::vector<OutputFile>& files, std::string& error, FileCreator create = createNewFile);

// writeFilesTogether for one file.
bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error,
                         FileCreator create = createNewFile);

// Removes the temporary files `PATH.tmpPID-N` that a killed run left beside
// `path`: those over kStaleTemporarySeconds old whose process no longer runs.
// A live run's file, even of another machine sharing the folder, is younger.
void removeStaleTemporaryFiles(const std::string& path);

// Writes the named files (each inside settings.directory) together with
// writeFilesTogether through settings.createFile; a failure is reported as one
// line on reporter.errors, "mansion-randomizer: cannot write NAME: REASON".
// Returns whether it worked.
bool writeOutputFiles(const OutputSettings& settings, Reporter& reporter, const std::vector<OutputFile>& namedFiles);

// writeOutputFiles for one file.
bool writeOutputFile(const OutputSettings& settings, Reporter& reporter, const std::string& fileName,
                     const std::string& contents);

// Reads at most `limit` + 1 bytes of the regular file `path` into `bytes`, so
// that a caller sees a file over its limit; false with the system's reason
// (or "not a regular file") in `reason`. Never waits on a pipe or device.
bool readRegularFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason);
