#include "engine/run.h"

#include <ctime>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "catalogue/slot_catalogue.h"
#include "enemies/enemy_assignment.h"
#include "modifiers/item_modifiers.h"
#include "output/cheat_sheet.h"
#include "output/item_list.h"
#include "output/text_file.h"
#include "placement/constraint_tables.h"
#include "placement/generation.h"

std::string generatingLine(const RunOptions& options) {
  return std::string("Generating ItemList for ") + characterName(options) + " on " + difficultyName(options) +
         " Difficulty...";
}

uint32_t clockSeed() {
  return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)) & 0xffffffffu);
}

bool prepareOutputDirectory(GenerationState& state, const std::string& directory) {
  if (directory.empty()) return true;
  std::error_code failure;
  std::filesystem::create_directories(directory, failure);
  if (failure) {
    *state.errors << kMessagePrefix << "cannot create output folder " << directory << ": " << failure.message()
                  << std::endl;
    return false;
  }
  state.outputDirectory = directory;
  return true;
}

int runGeneration(GenerationState& state, uint32_t seed) {
  state.random.reseed(seed);
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  // The enemy draws come first, so switching the randomizer on changes the
  // placement a seed gives.
  if (state.options.enemyRandomizer) randomizeEnemies(state);
  if (!generatePlacement(state)) {
    *state.errors << "cannot generate ItemList for " << characterName(state.options) << " on "
                  << difficultyName(state.options) << " Difficulty: no valid sequence found in "
                  << state.attemptCount << " attempts; nothing was written" << std::endl;
    return kExitNoPlacement;
  }
  applyItemModifiers(state);
  // A cheat sheet without its item list would describe a different game, so a
  // failed item list ends the run.
  if (!writeItemListFile(state)) return kExitWriteFailed;
  if (!writeCheatSheet(state)) return kExitWriteFailed;
  printLine(state, "Completed! Launch the game first, then on the main menu launch Brackwater.exe");
  return kExitSuccess;
}
