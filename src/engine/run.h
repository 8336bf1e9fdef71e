#pragma once

#include <cstdint>
#include <string>

#include "engine/plando.h"
#include "output/text_file.h"
#include "placement/candidate_search.h"
#include "placement/generation.h"
#include "placement/parallel_search.h"
#include "state/generation_state.h"
#include "state/reporter.h"

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
// --seed 5 --character jill --difficulty hard --enemies --modifier 1,6", and
// for a plando run " --plando FILE" after it (quoted where a shell would
// split it).
std::string reproducingCommand(const RunOptions& options, uint32_t seed, const Plando& plando = {});

// The first console line of every run: the seed and reproducingCommand.
std::string seedLine(const RunOptions& options, uint32_t seed, const Plando& plando = {});

// The generator's seed when none is given: the low 32 bits of the current
// time in seconds.
uint32_t clockSeed();

// How the engine carries out a run, beside the run's own record: the search,
// the files and which of them, and whether it is a race.
struct RunSettings {
  SearchSettings search;
  OutputSettings output;
  // Also write KeyRoute<Character><Difficulty>.txt after the cheat sheet.
  bool writeKeyRoute = false;
  // Also write Spoiler<Character><Difficulty>.json, for tools, last.
  bool writeSpoilerJson = false;
  // A race: the seed is shown nowhere and only the item list is written, so
  // nobody can make the run's cheat sheet.
  bool raceMode = false;
  // The player's plando, named in the seed line and the spoiler file; its
  // exchanges are search.fixedItems (usePlando sets both).
  Plando plando;
};

// Makes `plando` the run's: its lines for the seed line and the spoiler file,
// its exchanges for the search.
void usePlando(RunSettings& settings, const Plando& plando);

// Makes `directory` (created when missing) the folder the files go to; an
// empty name keeps the current folder. Reports a failure on reporter.errors.
bool prepareOutputDirectory(OutputSettings& output, Reporter& reporter, const std::string& directory);

// Everything of a run before the search for a placement: seeds the generator,
// builds the catalogue and tables and assigns the enemies (which prints).
void prepareGeneration(GenerationState& state, Reporter& reporter, uint32_t seed);

// Whether a front end has printed generatingLine itself (the menu does).
enum class GeneratingLine { print, alreadyShown };

// Begins the run of `seed` for state.options: prints generatingLine (unless
// shown already) and, outside a race, seedLine, then prepareGeneration.
void beginRun(GenerationState& state, const RunSettings& settings, Reporter& reporter, uint32_t seed,
              GeneratingLine generating);

// Searches a begun run for its placement on settings.search.threads threads;
// false, with nothing printed, when the attempt limit was reached.
bool searchRun(GenerationState& state, const RunSettings& settings, Reporter& reporter);

// A search of a begun run carried out elsewhere in tasks of blocks (the web
// page's workers), with the same blocks as searchRun's threads.
struct TaskSearch {
  SearchTables tables;
  BlockLedger ledger;
  ProgressLine progress;
};

// Starts the task search of a begun run.
TaskSearch startTaskSearch(const GenerationState& state, const RunSettings& settings, const Reporter& reporter);

// The tables a searcher of tasks needs for the run of `seed` and `options`
// (its kernel and plando exchanges from `search`), built as beginRun builds
// them, printing nothing.
SearchTables taskSearcherTables(const RunOptions& options, uint32_t seed, const SearchSettings& search);

// Enters what came of a task (`passing`: its passing candidate, if any, taken
// over) and updates the progress line.
void recordTaskSearch(TaskSearch& search, const GenerationState& state, Reporter& reporter,
                      const TaskOutcome& outcome, Placement& passing);

// Once every task handed out has its result entered: accepts the earliest
// passing candidate (searching on this thread when the tables do not fit the
// task search); false when none passed.
bool endTaskSearch(TaskSearch& search, GenerationState& state, const RunSettings& settings, Reporter& reporter);

// The rest of a run of `seed` once its search has ended, `found` telling
// whether it accepted a placement: reports a search that found nothing, or
// applies the modifiers and writes the files (the key route and spoiler file
// as settings say; the item list alone in a race) and prints their lines and
// the file code. Returns kExitSuccess, kExitWriteFailed after reporting a
// file that could not be written (then no completion message is printed), or
// kExitNoPlacement (nothing written).
int finishRun(GenerationState& state, const RunSettings& settings, Reporter& reporter, uint32_t seed, bool found);

// The generation of a run without its files or its first lines: prepares it,
// finds a placement and applies the modifiers. Returns false after reporting
// a generation that reached search.attemptLimit.
bool generateRun(GenerationState& state, const SearchSettings& search, Reporter& reporter, uint32_t seed);

// The one run for state.options: beginRun, searchRun and finishRun, with
// finishRun's exit status.
int runGeneration(GenerationState& state, const RunSettings& settings, Reporter& reporter, uint32_t seed,
                  GeneratingLine generating);

// Reads plando file `path` for `options`, refuses its bad lines and proves
// that some run keeps it, reporting on the reporter's errors. kExitSuccess
// with `plando` filled; kExitCheckUnreadable (unreadable), kExitBadArguments
// (refused lines) or kExitPlandoImpossible otherwise.
int loadPlando(const RunOptions& options, Reporter& reporter, const std::string& path, Plando& plando);

// Reads plando text `bytes` (named `name`, as in the seed line) as loadPlando
// reads a file's contents, with the same messages and statuses.
int readPlando(const RunOptions& options, Reporter& reporter, const std::string& name, const std::string& bytes,
               Plando& plando);
