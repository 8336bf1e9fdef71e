#include "state/generation_state.h"

#include <iostream>

GenerationState::GenerationState() : console(&std::cout), errors(&std::cerr) {}

void printLine(GenerationState& state, const std::string& line) {
  *state.console << line << '\n' << std::flush;
}

const char* characterName(const RunOptions& options) {
  return options.character ? "Chris" : "Jill";
}

const char* difficultyName(const RunOptions& options) {
  return options.hardDifficulty ? "Hard" : "Normal";
}
