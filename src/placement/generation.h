#pragma once

#include <chrono>

#include "state/generation_state.h"

// When the progress line of a long generation first appears and how often it
// is rewritten after that.
struct ProgressTiming {
  std::chrono::steady_clock::duration delay = std::chrono::seconds(1);
  std::chrono::steady_clock::duration interval = std::chrono::milliseconds(250);
};

// The generation loop: draws candidates until one passes validatePlacement,
// which prints the two acceptance lines, and returns true. The accepted
// placement, attemptCount and the generator's position are those of calling
// shufflePlacement and validatePlacement in turn. Returns false, having
// printed nothing, once attemptCount reaches state.attemptLimit without an
// accepted candidate. On a smart terminal a generation that runs longer than
// timing.delay shows one progress line, erased before it ends. With
// state.searchThreads above 1 the candidates are searched on that many
// threads, with the same result.
bool generatePlacement(GenerationState& state, const ProgressTiming& timing = ProgressTiming());
