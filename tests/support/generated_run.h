#pragma once

// Runs made the way the program makes them, without files, for tests that
// need a real placement to look at.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "engine/run.h"
#include "placement/reference_placement.h"

// The options of a character and difficulty, everything else off.
inline RunOptions setting(bool chris, bool hard) {
  RunOptions options;
  options.character = chris;
  options.hardDifficulty = hard;
  return options;
}

// The generation of a run, as runGeneration does it, without files.
inline GenerationState generated(const RunOptions& options, uint32_t seed) {
  GenerationState state;
  std::ostringstream discarded;
  Reporter reporter(discarded, discarded);
  state.options = options;
  SearchSettings search;
  search.attemptLimit = kTestAttemptLimit;
  EXPECT_TRUE(generateRun(state, search, reporter, seed));
  return state;
}

// The lines of a file with CR LF line ends, without them.
inline std::vector<std::string> linesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.size() - 1));
  return lines;
}
