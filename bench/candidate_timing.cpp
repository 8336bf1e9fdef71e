// Time per candidate of the program's search on one thread, without the
// benchmark library, so that the same file also builds for WebAssembly and
// runs in Node: the page's search against the console program's on the same
// candidates. Prints the least of the repetitions, in processor time where
// the C library measures it (Linux; Node's clock is the wall clock), and the
// candidates searched, so that the processor time of whole runs of the two
// builds (say from /usr/bin/time) can be compared as well.
//
//   MANSION_KERNEL=portable ./build-bench/bench/candidate_timing chris hard
//
// A fifth argument N times a plando of N lines: the first N key items the
// run does not pin, each kept in its own slot.
//
// and for WebAssembly, from the source folder (flags as the page's build;
// of the search's loops, the web build's alone):
//
//   em++ -std=c++17 -O3 -msimd128 -Isrc -sENVIRONMENT=node -sSINGLE_FILE -sALLOW_MEMORY_GROWTH
//     bench/candidate_timing.cpp src/state/*.cpp src/catalogue/*.cpp src/placement/[!s]*.cpp src/placement/shuffle.cpp
//     src/placement/search_kernel.cpp src/placement/search_kernel-wasm.cpp -o build-bench/candidate_timing.js
//   node build-bench/candidate_timing.js chris hard

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <vector>

#include "catalogue/pins.h"
#include "catalogue/slot_catalogue.h"
#include "placement/candidate_search.h"
#include "placement/constraint_tables.h"
#include "placement/shuffle.h"

// Called through a pointer the optimiser cannot follow: WebAssembly engines
// replace a function's baseline code only at its next call, so a search
// inlined into main would stay in the baseline code throughout, whereas the
// page calls the search once per block.
bool (*volatile searchBlock)(GenerationState&, const SearchTables&, int32_t) = searchCandidates;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: candidate_timing chris|jill normal|hard [candidates] [repetitions] [plando lines]\n");
    return 2;
  }
  GenerationState state;
  state.options.character = std::strcmp(argv[1], "chris") == 0;
  state.options.hardDifficulty = std::strcmp(argv[2], "hard") == 0;
  const long long candidates = argc > 3 ? std::atoll(argv[3]) : 2000000;
  const int repetitions = argc > 4 ? std::atoi(argv[4]) : 5;
  const char* kernel = std::getenv("MANSION_KERNEL");
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  const size_t plandoLines = argc > 5 ? static_cast<size_t>(std::atoi(argv[5])) : 0;
  const std::vector<SlotIndex> pins = pinnedSlotOrder(state.options);
  std::set<int32_t> keys;
  for (const auto& entry : state.unlockTable) keys.insert(entry.second.begin(), entry.second.end());
  FixedItems plando;
  for (int32_t key : keys) {
    if (plando.size() < plandoLines && std::find(pins.begin(), pins.end(), key) == pins.end()) {
      plando.push_back({key, key});
    }
  }
  const SearchTables tables = deriveSearchTables(state, kernel ? kernel : "", plando);
  state.random.reseed(20240611);
  double least = 0;
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    const int64_t before = state.attemptCount;
    const std::clock_t start = std::clock();
    while (state.attemptCount - before < candidates) searchBlock(state, tables, 4096);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    const double perCandidate = seconds * 1e9 / static_cast<double>(state.attemptCount - before);
    if (repetition == 0 || perCandidate < least) least = perCandidate;
  }
  std::printf("%s %s, kernel %s, %zu plando lines: %.1f ns per candidate (least of %d repetitions of %lld)\n",
              argv[1], argv[2], tables.kernel->name, plando.size(), least, repetitions, candidates);
  return 0;
}
