#include "placement/generation.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "placement/candidate_search.h"
#include "placement/parallel_search.h"
#include "placement/shuffle.h"
#include "placement/validator.h"

namespace {

using Clock = std::chrono::steady_clock;

// Attempts between two looks at the clock: a few milliseconds of search, so
// the look costs nothing measurable and the line still moves several times a
// second.
constexpr int32_t kAttemptsPerClockCheck = 4096;

void eraseProgress(GenerationState& state, ProgressLine& line) {
  if (line.shownWidth == 0) return;
  *state.console << '\r' << std::string(line.shownWidth, ' ') << '\r' << std::flush;
  line.shownWidth = 0;
}

// Draws up to `attempts` candidates; true as soon as one passes both checks
// (it is then in state.placement).
bool drawCandidates(GenerationState& state, const SearchTables& tables, const FixedItems& plando, int32_t attempts) {
  if (tables.usable) return searchCandidates(state, tables, attempts);
  // Tables too large for the masks: every candidate goes through the checks
  // as written.
  for (int32_t i = 0; i < attempts; ++i) {
    shufflePlacement(state, plando);
    if (checkPlacement(state)) return true;
  }
  return false;
}

}  // namespace

ProgressLine startProgressLine(const GenerationState& state, const ProgressTiming& timing) {
  ProgressLine line;
  line.enabled = state.smartTerminal;
  line.nextUpdate = Clock::now() + timing.delay;
  line.interval = timing.interval;
  return line;
}

void showProgress(GenerationState& state, ProgressLine& line, int64_t attemptsSoFar) {
  if (!line.enabled || attemptsSoFar <= line.shownCount) return;
  const Clock::time_point now = Clock::now();
  if (now < line.nextUpdate) return;
  line.nextUpdate = now + line.interval;
  line.shownCount = attemptsSoFar;
  // The count only grows, so each text covers the one before it.
  const std::string text = "Searching... " + std::to_string(attemptsSoFar) + " attempts so far";
  *state.console << '\r' << text << std::flush;
  line.shownWidth = text.size();
}

bool acceptBlockSearch(GenerationState& state, BlockLedger& ledger, ProgressLine& progress) {
  eraseProgress(state, progress);
  if (!finishBlockSearch(state, ledger)) return false;
  validatePlacement(state);
  return true;
}

bool generatePlacement(GenerationState& state, const ProgressTiming& timing) {
  return generatePlacement(state, FixedItems(), timing);
}

bool generatePlacement(GenerationState& state, const FixedItems& plando, const ProgressTiming& timing) {
  const SearchTables tables = deriveSearchTables(state, plando);
  ProgressLine progress = startProgressLine(state, timing);
  if (tables.usable && state.searchThreads > 1 && !state.placementValid) {
    BlockLedger ledger;
    startBlockSearch(ledger, state.random, state.attemptLimit - state.attemptCount);
    const int64_t before = state.attemptCount;
    searchBlocksOnThreads(ledger, tables, state.searchThreads,
                          [&](int64_t knownToFail) { showProgress(state, progress, before + knownToFail); });
    return acceptBlockSearch(state, ledger, progress);
  }
  while (!state.placementValid) {
    const int64_t left = state.attemptLimit - state.attemptCount;
    if (left <= 0) {
      eraseProgress(state, progress);
      return false;
    }
    const int32_t attempts = static_cast<int32_t>(std::min<int64_t>(left, kAttemptsPerClockCheck));
    if (drawCandidates(state, tables, plando, attempts)) {
      eraseProgress(state, progress);
      // Accepts through the checks as written, which also print the two lines.
      validatePlacement(state);
    } else {
      showProgress(state, progress, state.attemptCount);
    }
  }
  return true;
}
