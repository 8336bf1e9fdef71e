#pragma once

#include <cstdint>
#include <string>

#include "engine/plando.h"
#include "state/generation_state.h"

// Exit statuses of the program.
constexpr int kExitSuccess = 0;
constexpr int kExitWriteFailed = 1;    // an output file could not be written
constexpr int kExitBadArguments = 2;   // the command line could not be used
constexpr int kExitEndOfInput = 3;     // the input ended before a run was chosen
constexpr int kExitNoPlacement = 4;    // no valid placement within the attempt limit
constexpr int kExitCheckUnreadable = 5;  // --check: the file cannot be read or is no item list
constexpr int kExitCheckIncomplete = 6;  // --check: the run the file describes cannot be completed
constexpr int kExitCheckDiffers = 7;     // --check: not the file --seed and the options give
constexpr int kExitNoSecureRandom = 8;   // --race: the system's secure random source failed
constexpr int kExitPlandoImpossible = 6;  // --plando: no run can keep the plando's lines

// "Generating ItemList for Chris on Normal Difficulty..." and its siblings.
std::string generatingLine(const RunOptions& options);

// The command that gives the same files again, e.g. "mansion-randomizer
// --seed 5 --character jill --difficulty hard --enemies --modifier 1,6".
std::string reproducingCommand(const RunOptions& options, uint32_t seed);

// reproducingCommand of a plando run: the same, then " --plando FILE".
std::string reproducingCommand(const RunOptions& options, uint32_t seed, const Plando& plando);

// The first console line of every run: the seed and reproducingCommand.
std::string seedLine(const RunOptions& options, uint32_t seed);

// The generator's seed when none is given: the low 32 bits of the current
// time in seconds.
uint32_t clockSeed();

// Makes `directory` (created when missing) the folder the files go to; an
// empty name keeps the current folder. Reports a failure on state.errors.
bool prepareOutputDirectory(GenerationState& state, const std::string& directory);

// Everything of a run before the search for a placement: seeds the generator,
// builds the catalogue and tables and assigns the enemies.
void prepareGeneration(GenerationState& state, uint32_t seed);

// The rest of a run of `seed` once its search has ended, `found` telling
// whether it accepted a placement: as runGeneration from there on, with its
// exit status. For front ends that search elsewhere (the web page's workers).
int finishGeneration(GenerationState& state, uint32_t seed, bool found, const Plando& plando = Plando());

// The generation of a run without its files: seeds the generator, builds the
// catalogue and tables, assigns the enemies, finds a placement and applies the
// modifiers. Returns false after reporting on state.errors a generation that
// reached state.attemptLimit.
bool generateRun(GenerationState& state, uint32_t seed, const Plando& plando = Plando());

// Carries out the one run for the options already set: prints seedLine, seeds
// the generator, builds the catalogue and tables, generates and writes both
// files (and the key route when state.writeKeyRoute is set, the spoiler file
// when state.writeSpoilerJson is). In state.raceMode it prints no seed line
// and writes the item list alone. Returns
// kExitSuccess, or kExitWriteFailed after reporting a file that could not be
// written (then no completion message is printed), or kExitNoPlacement after
// reporting a generation that reached state.attemptLimit (nothing written).
int runGeneration(GenerationState& state, uint32_t seed, const Plando& plando = Plando());

// Reads plando file `path` for state.options, refuses its bad lines and
// proves that some run keeps it, reporting on state.errors. kExitSuccess with
// `plando` filled; kExitCheckUnreadable (unreadable), kExitBadArguments
// (refused lines) or kExitPlandoImpossible otherwise.
int loadPlando(const GenerationState& state, const std::string& path, Plando& plando);
