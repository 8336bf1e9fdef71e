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

std::string reproducingCommand(const RunOptions& options, uint32_t seed) {
  std::string command = "mansion-randomizer --seed " + std::to_string(seed) + " --character " +
                        (options.character ? "chris" : "jill") + " --difficulty " +
                        (options.hardDifficulty ? "hard" : "normal");
  if (options.enemyRandomizer) command += " --enemies";
  std::string list;
  for (int number = 1; number <= kModifierCount; ++number) {
    if (modifierOn(options, number)) list += (list.empty() ? "" : ",") + std::to_string(number);
  }
  if (!list.empty()) command += " --modifier " + list;
  return command;
}

std::string reproducingCommand(const RunOptions& options, uint32_t seed, const Plando& plando) {
  std::string name = printable(plando.fileName);
  // A name the shell would split or misread is quoted.
  if (name.find_first_of(" \t'\"$`\\&;|<>()*?") != std::string::npos) {
    std::string quoted = "'";
    for (char c : name) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    name = quoted + "'";
  }
  return reproducingCommand(options, seed) + " --plando " + name;
}

std::string seedLine(const RunOptions& options, uint32_t seed) {
  return "Seed " + std::to_string(seed) + "; the same files again: " + reproducingCommand(options, seed);
}

uint32_t clockSeed() {
  return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)) & 0xffffffffu);
}

bool prepareOutputDirectory(GenerationState& state, const std::string& directory) {
  if (directory.empty()) return true;
  std::error_code failure;
  std::filesystem::create_directories(directory, failure);
  if (failure) {
    *state.errors << kMessagePrefix << "cannot create output folder " << printable(directory) << ": " << failure.message()
                  << std::endl;
    return false;
  }
  state.outputDirectory = directory;
  return true;
}

void prepareGeneration(GenerationState& state, uint32_t seed) {
  state.random.reseed(seed);
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  // The enemy draws come first, so switching the randomizer on changes the
  // placement a seed gives.
  if (state.options.enemyRandomizer) randomizeEnemies(state);
}

namespace {

std::vector<std::string> plandoTexts(const Plando& plando) {
  std::vector<std::string> texts;
  for (const PlandoLine& line : plando.lines) texts.push_back(line.text);
  return texts;
}

// The generation after the search: reports a search that found nothing, or
// applies the modifiers to the accepted placement.
bool completeGeneration(GenerationState& state, bool found) {
  if (!found) {
    *state.errors << "cannot generate ItemList for " << characterName(state.options) << " on "
                  << difficultyName(state.options) << " Difficulty: no valid sequence found in "
                  << state.attemptCount << " attempts; nothing was written" << std::endl;
    return false;
  }
  applyItemModifiers(state);
  return true;
}

}  // namespace

bool generateRun(GenerationState& state, uint32_t seed, const Plando& plando) {
  prepareGeneration(state, seed);
  return completeGeneration(state, generatePlacement(state, plandoFixes(plando)));
}

int finishGeneration(GenerationState& state, uint32_t seed, bool found, const Plando& plando) {
  if (!completeGeneration(state, found)) return kExitNoPlacement;
  // Every file of the run, written together: a cheat sheet or key route
  // beside the item list of another run would describe a different game. A
  // race writes the item list alone, since any other file would reveal it.
  std::vector<OutputFile> files = {{itemListFileName(state.options), formatItemList(state)}};
  if (!state.raceMode) {
    files.push_back({cheatSheetFileName(state.options), formatCheatSheet(state)});
    if (state.writeKeyRoute) {
      files.push_back({keyRouteFileName(state.options), formatKeyRoute(state, planKeyRoute(state))});
    }
    if (state.writeSpoilerJson) {
      const std::vector<std::string> lines = plandoTexts(plando);
      files.push_back({spoilerFileName(state.options),
                       formatSpoilerJson(state, seed, plando.fileName.empty() ? nullptr : &lines)});
    }
  }
  printLine(state, "Writing to " + files[0].name);
  if (!writeOutputFiles(state, files)) return kExitWriteFailed;
  printLine(state, "ItemList created!");
  // Players compare it at a glance to know they play the same file.
  printLine(state, fileCodeLine(files[0].contents));
  if (!state.raceMode) printLine(state, "Now writing " + files[1].name);
  printLine(state, "Completed! Launch the game first, then on the main menu launch Brackwater.exe");
  return kExitSuccess;
}

int runGeneration(GenerationState& state, uint32_t seed, const Plando& plando) {
  // Before the search, so a long run shows how to share it at once; a race
  // keeps its seed secret, since whoever knew it could make the cheat sheet.
  if (!state.raceMode) {
    printLine(state, plando.fileName.empty() ? seedLine(state.options, seed)
                                             : "Seed " + std::to_string(seed) + "; the same files again: " +
                                                   reproducingCommand(state.options, seed, plando));
  }
  prepareGeneration(state, seed);
  return finishGeneration(state, seed, generatePlacement(state, plandoFixes(plando)), plando);
}

int loadPlando(const GenerationState& state, const std::string& path, Plando& plando) {
  std::string bytes, reason;
  std::FILE* file = openRegularFile(path, reason);
  if (file == nullptr) {
    *state.errors << kMessagePrefix << "cannot read plando " << printable(path) << ": " << reason << std::endl;
    return kExitCheckUnreadable;
  }
  // One byte more than a plando may have, so a longer file is refused.
  bytes.resize(kPlandoFileLimit + 1);
  errno = 0;
  bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file));
  const bool failed = std::ferror(file) != 0;
  const int code = errno;
  std::fclose(file);
  if (failed) {
    *state.errors << kMessagePrefix << "cannot read plando " << printable(path) << ": "
                  << (code ? std::strerror(code) : "unknown error") << std::endl;
    return kExitCheckUnreadable;
  }
  GenerationState tables;
  tables.options = state.options;
  buildSlotCatalogue(tables);
  buildConstraintTables(tables);
  std::vector<std::string> lines;
  int status = kExitSuccess;
  if (!parsePlando(tables, path, bytes, plando, lines)) {
    status = kExitBadArguments;
  } else if (!provePlando(tables, plando, lines)) {
    status = kExitPlandoImpossible;
  }
  for (const std::string& line : lines) *state.errors << kMessagePrefix << line << std::endl;
  return status;
}
