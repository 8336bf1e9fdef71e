#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "placement/candidate_search.h"
#include "placement/parallel_search.h"
#include "placement/shuffle.h"
#include "state/generation_state.h"
#include "state/reporter.h"

// How the search for a placement is carried out; every setting gives the
// same result.
struct SearchSettings {
  // The generation gives up after this many attempts; tests lower it.
  int64_t attemptLimit = kAttemptLimit;
  // Threads the search may use; 1 searches on the calling thread alone and
  // starts none.
  int threads = 1;
  // The build of the search's inner loops by name (plain, portable, avx2,
  // avx512), which the player may set for a processor that misbehaves; empty
  // for the fastest this processor runs.
  std::string kernel;
  // A plando's exchanges, made after the pins in every candidate.
  FixedItems fixedItems;
};

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
// printed nothing, once attemptCount reaches settings.attemptLimit without an
// accepted candidate. On a smart terminal a generation that runs longer than
// timing.delay shows one progress line, erased before it ends. With
// settings.threads above 1 the candidates are searched on that many threads,
// with the same result. Takes the tables the search reads, so the catalogue
// and constraint tables must be built already.
bool generatePlacement(GenerationState& state, const SearchTables& tables, const SearchSettings& settings,
                       Reporter& reporter, const ProgressTiming& timing = ProgressTiming());

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
ProgressLine startProgressLine(const Reporter& reporter, const ProgressTiming& timing = ProgressTiming());

// Shows "Searching... N attempts so far" when the line is due and the count
// has grown since it was last shown.
void showProgress(Reporter& reporter, ProgressLine& line, int64_t attemptsSoFar);

// The end of a search over blocks, on this thread or elsewhere: erases the
// progress line and accepts the ledger's answer through the checks as
// written, which print the two lines. False, with nothing printed, when no
// candidate passed.
bool acceptBlockSearch(GenerationState& state, Reporter& reporter, BlockLedger& ledger, ProgressLine& progress);
