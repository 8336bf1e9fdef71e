#pragma once

#include <cstdint>
#include <string>

#include "state/generation_state.h"

// Exit statuses of the program.
constexpr int kExitSuccess = 0;
constexpr int kExitWriteFailed = 1;    // an output file could not be written
constexpr int kExitBadArguments = 2;   // the command line could not be used
constexpr int kExitEndOfInput = 3;     // the input ended before a run was chosen
constexpr int kExitNoPlacement = 4;    // no valid placement within the attempt limit

// "Generating ItemList for Chris on Normal Difficulty..." and its siblings.
std::string generatingLine(const RunOptions& options);

// The generator's seed when none is given: the low 32 bits of the current
// time in seconds.
uint32_t clockSeed();

// Makes `directory` (created when missing) the folder the files go to; an
// empty name keeps the current folder. Reports a failure on state.errors.
bool prepareOutputDirectory(GenerationState& state, const std::string& directory);

// Carries out the one run for the options already set: seeds the generator,
// builds the catalogue and tables, generates and writes both files. Returns
// kExitSuccess, or kExitWriteFailed after reporting a file that could not be
// written (then no completion message is printed), or kExitNoPlacement after
// reporting a generation that reached state.attemptLimit (nothing written).
int runGeneration(GenerationState& state, uint32_t seed);
