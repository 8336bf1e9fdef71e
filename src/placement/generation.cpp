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

void eraseProgress(Reporter& reporter, ProgressLine& line) {
  if (line.shownWidth == 0) return;
  overprintLine(reporter, std::string(line.shownWidth, ' ') + '\r');
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

ProgressLine startProgressLine(const Reporter& reporter, const ProgressTiming& timing) {
  ProgressLine line;
  line.enabled = reporter.smartTerminal;
  line.nextUpdate = Clock::now() + timing.delay;
  line.interval = timing.interval;
  return line;
}

void showProgress(Reporter& reporter, ProgressLine& line, int64_t attemptsSoFar) {
  if (!line.enabled || attemptsSoFar <= line.shownCount) return;
  const Clock::time_point now = Clock::now();
  if (now < line.nextUpdate) return;
  line.nextUpdate = now + line.interval;
  line.shownCount = attemptsSoFar;
  // The count only grows, so each text covers the one before it.
  const std::string text = "Searching... " + std::to_string(attemptsSoFar) + " attempts so far";
  overprintLine(reporter, text);
  line.shownWidth = text.size();
}

bool acceptBlockSearch(GenerationState& state, Reporter& reporter, BlockLedger& ledger, ProgressLine& progress) {
  eraseProgress(reporter, progress);
  if (!finishBlockSearch(state, ledger)) return false;
  validatePlacement(state, reporter);
  return true;
}

bool generatePlacement(GenerationState& state, const SearchTables& tables, const SearchSettings& settings,
                       Reporter& reporter, const ProgressTiming& timing) {
  ProgressLine progress = startProgressLine(reporter, timing);
  if (tables.usable && settings.threads > 1 && !state.placementValid) {
    BlockLedger ledger;
    startBlockSearch(ledger, state.random, settings.attemptLimit - state.attemptCount);
    const int64_t before = state.attemptCount;
    searchBlocksOnThreads(ledger, tables, settings.threads,
                          [&](int64_t knownToFail) { showProgress(reporter, progress, before + knownToFail); });
    return acceptBlockSearch(state, reporter, ledger, progress);
  }
  while (!state.placementValid) {
    const int64_t left = settings.attemptLimit - state.attemptCount;
    if (left <= 0) {
      eraseProgress(reporter, progress);
      return false;
    }
    const int32_t attempts = static_cast<int32_t>(std::min<int64_t>(left, kAttemptsPerClockCheck));
    if (drawCandidates(state, tables, settings.fixedItems, attempts)) {
      eraseProgress(reporter, progress);
      // Accepts through the checks as written, which also print the two lines.
      validatePlacement(state, reporter);
    } else {
      showProgress(reporter, progress, state.attemptCount);
    }
  }
  return true;
}
