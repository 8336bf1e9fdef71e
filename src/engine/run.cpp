#include "engine/run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <system_error>
#include <vector>

#include "catalogue/slot_catalogue.h"
#include "enemies/enemy_assignment.h"
#include "modifiers/item_modifiers.h"
#include "output/cheat_sheet.h"
#include "output/file_code.h"
#include "output/item_list.h"
#include "output/key_route_file.h"
#include "output/spoiler_json.h"
#include "output/text_file.h"
#include "placement/constraint_tables.h"
#include "placement/generation.h"
#include "placement/key_route.h"
#include "platform/platform.h"

std::string generatingLine(const RunOptions& options) {
  return std::string("Generating ItemList for ") + characterName(options) + " on " + difficultyName(options) +
         " Difficulty...";
}

namespace {

// A file name as a shell reads it back as one word: quoted where it would be
// split or misread.
std::string shellWord(const std::string& text) {
  if (text.find_first_of(" \t'\"$`\\&;|<>()*?") == std::string::npos) return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The search's tables for the run's kernel and plando exchanges.
SearchTables searchTables(const GenerationState& state, const SearchSettings& search) {
  return deriveSearchTables(state, search.kernel, search.fixedItems);
}

}  // namespace

std::string reproducingCommand(const RunOptions& options, uint32_t seed, const Plando& plando) {
  std::string command = "mansion-randomizer --seed " + std::to_string(seed) + " --character " +
                        (options.character ? "chris" : "jill") + " --difficulty " +
                        (options.hardDifficulty ? "hard" : "normal");
  if (options.enemyRandomizer) command += " --enemies";
  std::string list;
  for (int number = 1; number <= kModifierCount; ++number) {
    if (modifierOn(options, number)) list += (list.empty() ? "" : ",") + std::to_string(number);
  }
  if (!list.empty()) command += " --modifier " + list;
  if (!plando.fileName.empty()) command += " --plando " + shellWord(printable(plando.fileName));
  return command;
}

std::string seedLine(const RunOptions& options, uint32_t seed, const Plando& plando) {
  return "Seed " + std::to_string(seed) + "; the same files again: " + reproducingCommand(options, seed, plando);
}

uint32_t clockSeed() {
  return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)) & 0xffffffffu);
}

bool prepareOutputDirectory(OutputSettings& output, Reporter& reporter, const std::string& directory) {
  if (directory.empty()) return true;
  std::error_code failure;
  std::filesystem::create_directories(directory, failure);
  if (failure) {
    reportError(reporter, kMessagePrefix + ("cannot create output folder " + printable(directory)) + ": " +
                              failure.message());
    return false;
  }
  output.directory = directory;
  return true;
}

void prepareGeneration(GenerationState& state, Reporter& reporter, uint32_t seed) {
  state.random.reseed(seed);
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  // The enemy draws come first, so switching the randomizer on changes the
  // placement a seed gives.
  if (state.options.enemyRandomizer) randomizeEnemies(state, reporter);
}

void beginRun(GenerationState& state, const RunSettings& settings, Reporter& reporter, uint32_t seed,
              GeneratingLine generating) {
  if (generating == GeneratingLine::print) printLine(reporter, generatingLine(state.options));
  // Before the search, so a long run shows how to share it at once; a race
  // keeps its seed secret, since whoever knew it could make the cheat sheet.
  if (!settings.raceMode) printLine(reporter, seedLine(state.options, seed, settings.plando));
  prepareGeneration(state, reporter, seed);
}

bool searchRun(GenerationState& state, const RunSettings& settings, Reporter& reporter) {
  return generatePlacement(state, searchTables(state, settings.search), settings.search, reporter);
}

TaskSearch startTaskSearch(const GenerationState& state, const RunSettings& settings, const Reporter& reporter) {
  TaskSearch search;
  search.tables = searchTables(state, settings.search);
  startBlockSearch(search.ledger, state.random, settings.search.attemptLimit - state.attemptCount);
  search.progress = startProgressLine(reporter);
  return search;
}

SearchTables taskSearcherTables(const RunOptions& options, uint32_t seed, const SearchSettings& search) {
  GenerationState state;
  state.options = options;
  // Without a buffer it drops everything: the run's lines come from the run.
  std::ostream silent{nullptr};
  Reporter quiet(silent, silent);
  prepareGeneration(state, quiet, seed);
  return searchTables(state, search);
}

void recordTaskSearch(TaskSearch& search, const GenerationState& state, Reporter& reporter,
                      const TaskOutcome& outcome, Placement& passing) {
  recordTaskOutcome(search.ledger, outcome, passing);
  showProgress(reporter, search.progress, state.attemptCount + attemptsKnownToFail(search.ledger));
}

bool endTaskSearch(TaskSearch& search, GenerationState& state, const RunSettings& settings, Reporter& reporter) {
  if (search.tables.usable) return acceptBlockSearch(state, reporter, search.ledger, search.progress);
  return generatePlacement(state, search.tables, settings.search, reporter);
}

namespace {

std::vector<std::string> plandoTexts(const Plando& plando) {
  std::vector<std::string> texts;
  for (const PlandoLine& line : plando.lines) texts.push_back(line.text);
  return texts;
}

// The generation after the search: reports a search that found nothing, or
// applies the modifiers to the accepted placement.
bool completeGeneration(GenerationState& state, Reporter& reporter, bool found) {
  if (!found) {
    reportError(reporter, std::string("cannot generate ItemList for ") + characterName(state.options) + " on " +
                              difficultyName(state.options) + " Difficulty: no valid sequence found in " +
                              std::to_string(state.attemptCount) + " attempts; nothing was written");
    return false;
  }
  applyItemModifiers(state, reporter);
  return true;
}

// Every file of the run, written together: a cheat sheet or key route beside
// the item list of another run would describe a different game. A race
// writes the item list alone, since any other file would reveal it.
std::vector<OutputFile> runFiles(const GenerationState& state, const RunSettings& settings, uint32_t seed) {
  std::vector<OutputFile> files = {{itemListFileName(state.options), formatItemList(state)}};
  if (settings.raceMode) return files;
  files.push_back({cheatSheetFileName(state.options), formatCheatSheet(state)});
  if (settings.writeKeyRoute) {
    files.push_back({keyRouteFileName(state.options), formatKeyRoute(state, planKeyRoute(state))});
  }
  if (settings.writeSpoilerJson) {
    const std::vector<std::string> lines = plandoTexts(settings.plando);
    files.push_back({spoilerFileName(state.options),
                     formatSpoilerJson(state, seed, settings.plando.fileName.empty() ? nullptr : &lines)});
  }
  return files;
}

}  // namespace

bool generateRun(GenerationState& state, const SearchSettings& search, Reporter& reporter, uint32_t seed) {
  prepareGeneration(state, reporter, seed);
  const bool found = generatePlacement(state, searchTables(state, search), search, reporter);
  return completeGeneration(state, reporter, found);
}

int finishRun(GenerationState& state, const RunSettings& settings, Reporter& reporter, uint32_t seed, bool found) {
  if (!completeGeneration(state, reporter, found)) return kExitNoPlacement;
  const std::vector<OutputFile> files = runFiles(state, settings, seed);
  printLine(reporter, "Writing to " + files[0].name);
  if (!writeOutputFiles(settings.output, reporter, files)) return kExitWriteFailed;
  printLine(reporter, "ItemList created!");
  // Players compare it at a glance to know they play the same file.
  printLine(reporter, fileCodeLine(files[0].contents));
  if (!settings.raceMode) printLine(reporter, "Now writing " + files[1].name);
  printLine(reporter, "Completed! Launch the game first, then on the main menu launch Brackwater.exe");
  return kExitSuccess;
}

int runGeneration(GenerationState& state, const RunSettings& settings, Reporter& reporter, uint32_t seed,
                  GeneratingLine generating) {
  beginRun(state, settings, reporter, seed, generating);
  return finishRun(state, settings, reporter, seed, searchRun(state, settings, reporter));
}

void usePlando(RunSettings& settings, const Plando& plando) {
  settings.plando = plando;
  settings.search.fixedItems = plandoFixes(plando);
}

int loadPlando(const RunOptions& options, Reporter& reporter, const std::string& path, Plando& plando) {
  std::string bytes, reason;
  if (!readRegularFile(path, kPlandoFileLimit, bytes, reason)) {
    reportError(reporter, kMessagePrefix + ("cannot read plando " + printable(path)) + ": " + reason);
    return kExitCheckUnreadable;
  }
  return readPlando(options, reporter, path, bytes, plando);
}

int readPlando(const RunOptions& options, Reporter& reporter, const std::string& name, const std::string& bytes,
               Plando& plando) {
  GenerationState tables;
  tables.options = options;
  buildSlotCatalogue(tables);
  buildConstraintTables(tables);
  std::vector<std::string> lines;
  int status = kExitSuccess;
  if (!parsePlando(tables, name, bytes, plando, lines)) {
    status = kExitBadArguments;
  } else if (!provePlando(tables, plando, lines)) {
    status = kExitPlandoImpossible;
  }
  for (const std::string& line : lines) reportError(reporter, kMessagePrefix + line);
  return status;
}
