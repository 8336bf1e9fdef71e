#pragma once

#include <string>

#include "state/generation_state.h"
#include "platform/platform.h"

// Line end of both output files on every platform: the trainer reads the bytes
// a Windows text-mode stream would have written.
constexpr const char* kLineEnd = "\r\n";

// Start of every failure message on standard error, so a script running many
// programs can tell whose message it is.
constexpr const char* kMessagePrefix = "mansion-randomizer: ";

// Path of an output file: `fileName` inside state.outputDirectory (or the
// current folder when that is empty).
std::string outputPath(const GenerationState& state, const std::string& fileName);

// Replaces the file at `path` by `contents` so that a reader sees either the
// old file or the whole new one: the bytes go to a temporary file in the same
// folder, made by `create`, which is flushed to the disk and closed before it
// is renamed over `path`; Ctrl+C meanwhile removes it. On failure nothing of
// the temporary file remains, an earlier file at `path` is left as it was,
// and `error` reads "cannot write NAME: REASON".
bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error,
                         FileCreator create = createNewFile);

// Writes `contents` to the output file `fileName` with writeFileAtomically
// through state.createFile; a failure is reported as one line on
// state.errors, "mansion-randomizer: cannot write NAME: REASON". Returns
// whether it worked.
bool writeOutputFile(GenerationState& state, const std::string& fileName, const std::string& contents);
