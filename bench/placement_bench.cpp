// The generation loop as first written (the reference of the placement tests,
// drawing with the C library's rand()) against the program's search, from the
// same seeds: the cost of one candidate, and whole generations.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <streambuf>
#include <thread>
#include <vector>

#include "catalogue/slot_catalogue.h"
#include "placement/candidate_search.h"
#include "placement/constraint_tables.h"
#include "placement/generation.h"
#include "placement/reference_placement.h"

namespace {

// Swallows the acceptance lines.
struct NullBuffer : std::streambuf {
  int overflow(int c) override { return c; }
};
NullBuffer nullBuffer;
std::ostream nullConsole(&nullBuffer);

constexpr uint32_t kCandidateSeed = 20240611;

// The seeds every whole-generation benchmark runs, literal and fast alike:
// the twenty of seeds 1 to 200 whose Chris Hard runs (no enemies, no
// modifiers) take the most attempts, 2.7 to 7.2 million, longest first. Long
// runs show the speed of the search rather than the setting up around it.
std::vector<uint32_t> generationSeeds() {
  return {48, 124, 196, 131, 133, 177, 44, 189, 161, 187, 168, 110, 27, 160, 16, 63, 75, 19, 8, 98};
}

GenerationState builtState(const benchmark::State& bench) {
  GenerationState state;
  state.options.character = bench.range(0) != 0;
  state.options.hardDifficulty = bench.range(1) != 0;
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  return state;
}

void setLabel(benchmark::State& bench, const std::string& suffix = "") {
  bench.SetLabel(std::string(bench.range(0) != 0 ? "Chris" : "Jill") + (bench.range(1) != 0 ? " Hard" : " Normal") +
                 suffix);
}

// Time per candidate, as a counter that reads in seconds.
void countCandidates(benchmark::State& bench, int64_t candidates) {
  bench.SetItemsProcessed(candidates);
  bench.counters["per_candidate"] =
      benchmark::Counter(static_cast<double>(candidates), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CandidateLiteral(benchmark::State& bench) {
  GenerationState state = builtState(bench);
  ReferenceRandom random(kCandidateSeed);
  for (auto _ : bench) {
    referenceShufflePlacement(state, random);
    referenceValidatePlacement(state, nullConsole);
    state.placementValid = false;
  }
  countCandidates(bench, state.attemptCount);
  setLabel(bench);
}

// Third argument: which build of the inner loops (searchKernel), -1 for the
// one the program chooses; builds this processor lacks are skipped.
void BM_CandidateFast(benchmark::State& bench) {
  constexpr int32_t kBlock = 1024;
  GenerationState state = builtState(bench);
  SearchTables tables = deriveSearchTables(state, "");
  if (bench.range(2) >= searchKernelCount()) {
    bench.SkipWithError("instruction set not available");
    for (auto _ : bench) {
    }
    return;
  }
  if (bench.range(2) >= 0) tables.kernel = &searchKernel(static_cast<int>(bench.range(2)));
  state.random.reseed(kCandidateSeed);
  for (auto _ : bench) benchmark::DoNotOptimize(searchCandidates(state, tables, kBlock));
  countCandidates(bench, state.attemptCount);
  setLabel(bench, std::string(" ") + tables.kernel->name);
}

// Where a candidate's time goes, one part of the search at a time on the same
// recorded stretch of candidates, with the kernel the program chooses. Third
// argument: 0 the generator words alone (all of them, as the search makes
// them a batch ahead), 1 the first pass alone (on words made beforehand, so
// without the AVX-512 build's making of words alongside), 2 the second pass of
// the candidates the first pass lets through, counted per candidate drawn.
// What a whole candidate (CandidateFast) costs beyond their sum is the
// checks after the second pass (locks and key chains) and the bookkeeping.
void BM_CandidatePart(benchmark::State& bench) {
  // Enough candidates that the branch predictor cannot learn where each
  // first pass ends, few enough that their words stay in the L2 cache.
  constexpr int kCandidates = 1024;
  GenerationState state = builtState(bench);
  const SearchTables tables = deriveSearchTables(state, "");
  const SearchKernel& kernel = *tables.kernel;
  CRandom random(kCandidateSeed);
  // The words of the candidates after kKernelHistory words of history; the
  // word a draw reads is the generator's full 32-bit state word.
  std::vector<uint32_t> words(kKernelHistory + size_t{kCandidates} * kKernelSlots);
  for (uint32_t& word : words) {
    word = random.state[random.front] + random.state[random.rear];
    random.next();
  }
  // Where the first pass would make the next batch's words: already made.
  std::vector<uint32_t> nextRun(kKernelHistory + kKernelWords);
  WordsInProgress next{nextRun.data() + kKernelHistory, kKernelWords};
  std::vector<uint8_t> indices(size_t{kCandidates} * kKernelSlots);
  std::vector<int> survivors;
  const uint32_t* first = words.data() + kKernelHistory;
  for (int i = 0; i < kCandidates; ++i) {
    if (!kernel.clashesWhileDrawing(tables.lanes, first + i * kKernelSlots, &indices[size_t(i) * kKernelSlots], next)) {
      survivors.push_back(i);
    }
  }
  uint8_t scratch[kKernelSlots];
  uint8_t drawnBy[kKernelFollowLanes];
  for (auto _ : bench) {
    switch (bench.range(2)) {
      case 0:
        for (int batch = 0; batch < kCandidates / kKernelBatch; ++batch) {
          kernel.makeWords(nextRun.data() + kKernelHistory, 0, kKernelWords);
        }
        break;
      case 1:
        for (int i = 0; i < kCandidates; ++i) {
          benchmark::DoNotOptimize(kernel.clashesWhileDrawing(tables.lanes, first + i * kKernelSlots, scratch, next));
        }
        break;
      default:
        for (int i : survivors) {
          kernel.followDraws(tables.lanes, &indices[size_t(i) * kKernelSlots], drawnBy);
          benchmark::DoNotOptimize(drawnBy);
        }
    }
    benchmark::ClobberMemory();
  }
  countCandidates(bench, int64_t{kCandidates} * static_cast<int64_t>(bench.iterations()));
  bench.counters["passing_first"] = static_cast<double>(survivors.size()) / kCandidates;
  static const char* const kParts[] = {" words", " first pass", " second pass"};
  setLabel(bench, std::string(" ") + kernel.name + kParts[bench.range(2)]);
}

// One generation per seed, each timed on its own; reports the median, the
// mean and the longest in seconds and the median attempt count.
template <typename Generate>
void timeGenerations(benchmark::State& bench, Generate generate) {
  std::vector<double> seconds;
  std::vector<double> attempts;
  for (auto _ : bench) {
    seconds.clear();
    attempts.clear();
    for (uint32_t seed : generationSeeds()) {
      GenerationState state = builtState(bench);
      const auto start = std::chrono::steady_clock::now();
      generate(state, seed);
      seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      attempts.push_back(state.attemptCount);
    }
    double total = 0;
    for (double s : seconds) total += s;
    bench.SetIterationTime(total);
  }
  auto median = [](std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2;
  };
  double total = 0;
  for (double s : seconds) total += s;
  bench.counters["median_s"] = median(seconds);
  bench.counters["mean_s"] = total / static_cast<double>(seconds.size());
  bench.counters["max_s"] = *std::max_element(seconds.begin(), seconds.end());
  bench.counters["median_attempts"] = median(attempts);
  setLabel(bench);
}

void BM_GenerationLiteral(benchmark::State& bench) {
  timeGenerations(bench, [](GenerationState& state, uint32_t seed) {
    ReferenceRandom random(seed);
    referenceGeneratePlacement(state, random, nullConsole, kAttemptLimit);
  });
}

// Third argument: search threads, 0 for one per hardware thread.
void BM_GenerationFast(benchmark::State& bench) {
  const int threads = bench.range(2) > 0 ? static_cast<int>(bench.range(2))
                                         : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  timeGenerations(bench, [threads](GenerationState& state, uint32_t seed) {
    state.random.reseed(seed);
    SearchSettings search;
    search.threads = threads;
    Reporter reporter(nullConsole, nullConsole);
    generatePlacement(state, deriveSearchTables(state, ""), search, reporter);
  });
  bench.counters["threads"] = threads;
}

// The least of the repetitions, beside their mean and median: on a shared
// machine the others' work only ever adds time.
double least(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

// Arguments: character (1 = Chris), difficulty (1 = Hard).
BENCHMARK(BM_CandidateLiteral)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Args({0, 0})->ComputeStatistics("min", least);
BENCHMARK(BM_CandidateFast)->ArgsProduct({{1, 0}, {1, 0}, {-1, 0, 1, 2, 3}})->ComputeStatistics("min", least);
BENCHMARK(BM_CandidatePart)->ArgsProduct({{1, 0}, {1, 0}, {0, 1, 2}})->ComputeStatistics("min", least);
BENCHMARK(BM_GenerationFast)
    ->Args({1, 1, 1})
    ->Args({1, 1, 2})
    ->Args({1, 1, 0})
    ->Args({1, 0, 1})
    ->Args({0, 1, 1})
    ->Args({0, 1, 2})
    ->Args({0, 0, 1})
    ->Args({0, 0, 2})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
// Most of an hour for Chris: twenty runs of millions of literal candidates each.
BENCHMARK(BM_GenerationLiteral)->Args({1, 1})->Args({0, 1})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
