// The generation loop as first written (the reference of the placement tests,
// drawing with the C library's rand()) against the program's search, from the
// same seeds: the cost of one candidate, and whole generations.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <streambuf>
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

void setLabel(benchmark::State& bench) {
  bench.SetLabel(std::string(bench.range(0) != 0 ? "Chris" : "Jill") + (bench.range(1) != 0 ? " Hard" : " Normal"));
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

void BM_CandidateFast(benchmark::State& bench) {
  constexpr int32_t kBlock = 1024;
  GenerationState state = builtState(bench);
  const SearchTables tables = deriveSearchTables(state);
  state.random.reseed(kCandidateSeed);
  for (auto _ : bench) benchmark::DoNotOptimize(searchCandidates(state, tables, kBlock));
  countCandidates(bench, state.attemptCount);
  setLabel(bench);
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

void BM_GenerationFast(benchmark::State& bench) {
  timeGenerations(bench, [](GenerationState& state, uint32_t seed) {
    state.random.reseed(seed);
    generatePlacement(state);
  });
}

// Arguments: character (1 = Chris), difficulty (1 = Hard).
BENCHMARK(BM_CandidateLiteral)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Args({0, 0});
BENCHMARK(BM_CandidateFast)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Args({0, 0});
BENCHMARK(BM_GenerationFast)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
// Minutes for Chris: twenty runs of about a million literal candidates each.
BENCHMARK(BM_GenerationLiteral)->Args({1, 1})->Args({0, 1})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
