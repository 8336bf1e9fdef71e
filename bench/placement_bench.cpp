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

// The seeds every whole-generation benchmark runs, literal and fast alike.
std::vector<uint32_t> generationSeeds() {
  std::vector<uint32_t> seeds;
  for (uint32_t i = 0; i < 20; ++i) seeds.push_back(1700000000u + 86400u * i);
  return seeds;
}

GenerationState builtState(const benchmark::State& bench) {
  GenerationState state;
  state.options.character = bench.range(0) != 0;
  state.options.hardDifficulty = bench.range(1) != 0;
  state.console = &nullConsole;
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
    referenceValidatePlacement(state);
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
  SearchTables tables = deriveSearchTables(state);
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
    referenceGeneratePlacement(state, random);
  });
}

// Third argument: search threads, 0 for one per hardware thread.
void BM_GenerationFast(benchmark::State& bench) {
  const int threads = bench.range(2) > 0 ? static_cast<int>(bench.range(2))
                                         : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  timeGenerations(bench, [threads](GenerationState& state, uint32_t seed) {
    state.random.reseed(seed);
    state.searchThreads = threads;
    generatePlacement(state);
  });
  bench.counters["threads"] = threads;
}

// The least of the repetitions, beside their mean and median: on a shared
// machine the others' work only ever adds time.
double least(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

// Arguments: character (1 = Chris), difficulty (1 = Hard).
BENCHMARK(BM_CandidateLiteral)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Args({0, 0})->ComputeStatistics("min", least);
BENCHMARK(BM_CandidateFast)->ArgsProduct({{1, 0}, {1, 0}, {-1, 0, 1, 2, 3}})->ComputeStatistics("min", least);
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
// Minutes for Chris: twenty runs of about a million literal candidates each.
BENCHMARK(BM_GenerationLiteral)->Args({1, 1})->Args({0, 1})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
