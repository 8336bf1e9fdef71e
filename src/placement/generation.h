#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "placement/parallel_search.h"
#include "placement/shuffle.h"
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

// generatePlacement with a plando: each candidate also brings the plando's
// items to their slots, in order, after the pins.
bool generatePlacement(GenerationState& state, const FixedItems& plando, const ProgressTiming& timing = ProgressTiming());

// The one-line attempt counter that a long generation rewrites in place, on a
// smart terminal only.
struct ProgressLine {
  bool enabled = false;
  std::chrono::steady_clock::time_point nextUpdate{};
  std::chrono::steady_clock::duration interval{};
  size_t shownWidth = 0;  // 0 while nothing is on the screen
  int64_t shownCount = 0;
};

// A progress line for a generation starting now.
ProgressLine startProgressLine(const GenerationState& state, const ProgressTiming& timing = ProgressTiming());

// Shows "Searching... N attempts so far" when the line is due and the count
// has grown since it was last shown.
void showProgress(GenerationState& state, ProgressLine& line, int64_t attemptsSoFar);

// The end of a search over blocks, on this thread or elsewhere: erases the
// progress line and accepts the ledger's answer through the checks as
// written, which print the two lines. False, with nothing printed, when no
// candidate passed.
bool acceptBlockSearch(GenerationState& state, BlockLedger& ledger, ProgressLine& progress);
