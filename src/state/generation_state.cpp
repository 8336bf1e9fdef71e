#include "state/generation_state.h"

#include <iostream>

GenerationState::GenerationState() : console(&std::cout), errors(&std::cerr) {}

void printLine(GenerationState& state, const std::string& line) {
  *state.console << line << '\n' << std::flush;
}

bool* modifierSwitch(RunOptions& options, int number) {
  switch (number) {
    case 1: return &options.healingToJunk;
    case 2: return &options.ammoToJunk;
    case 3: return &options.inkRibbonsToJunk;
    case 4: return &options.defenceToJunk;
    case 5: return &options.allToSelfDefenseGun;
    case 6: return &options.armedFuelCapsule;
    default: return nullptr;
  }
}

bool modifierOn(const RunOptions& options, int number) {
  // Only read through: the switch is found the same way for both.
  const bool* on = modifierSwitch(const_cast<RunOptions&>(options), number);
  return on != nullptr && *on;
}

const char* characterName(const RunOptions& options) {
  return options.character ? "Chris" : "Jill";
}

const char* difficultyName(const RunOptions& options) {
  return options.hardDifficulty ? "Hard" : "Normal";
}
