#include "placement/parallel_search.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Candidates between two looks whether an earlier block has already passed,
// which makes the rest of this block useless.
constexpr int32_t kAttemptsPerLook = 256;
constexpr int64_t kNoBlock = std::numeric_limits<int64_t>::max();

// What the threads share; everything but passingBlock under `mutex`.
struct SharedSearch {
  SharedSearch(const SearchTables& searchTables, const CRandom& start, int64_t attempts)
      : tables(searchTables), total(attempts), blockJump(makeJump(uint64_t{kParallelBlockAttempts} * kSlotCount)),
        nextStart(start) {}

  const SearchTables& tables;
  const int64_t total;
  const CRandomJump blockJump;

  std::mutex mutex;
  int64_t nextBlock = 0;
  CRandom nextStart;  // the generator where nextBlock starts
  // Blocks before finishedBlocks are all searched; those after it that are
  // searched already wait in finishedAhead.
  int64_t finishedBlocks = 0;
  std::set<int64_t> finishedAhead;
  // The earliest block with a passing candidate so far, read without the lock
  // to give up later blocks early.
  std::atomic<int64_t> passingBlock{kNoBlock};
  int32_t passingAttempts = 0;  // within passingBlock, the passing one included
  CRandom afterPassing;
  Placement passing;
};

// Searches the next block not handed out yet; false when none is left.
bool searchNextBlock(SharedSearch& shared) {
  int64_t block;
  CRandom random;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    block = shared.nextBlock;
    if (block * kParallelBlockAttempts >= shared.total || block > shared.passingBlock.load()) return false;
    ++shared.nextBlock;
    random = shared.nextStart;
    jump(shared.nextStart, shared.blockJump);
  }
  const int64_t first = block * kParallelBlockAttempts;
  const int32_t size = static_cast<int32_t>(std::min<int64_t>(kParallelBlockAttempts, shared.total - first));
  Placement placement;
  int32_t searched = 0;
  bool found = false;
  while (searched < size && !found && shared.passingBlock.load(std::memory_order_relaxed) > block) {
    const SearchOutcome outcome =
        searchFrom(shared.tables, random, std::min(kAttemptsPerLook, size - searched), placement);
    searched += outcome.attempts;
    found = outcome.found;
  }
  std::lock_guard<std::mutex> lock(shared.mutex);
  if (found && block < shared.passingBlock.load()) {
    shared.passingBlock.store(block);
    shared.passingAttempts = searched;
    shared.afterPassing = random;
    shared.passing.swap(placement);
  }
  shared.finishedAhead.insert(block);
  while (!shared.finishedAhead.empty() && *shared.finishedAhead.begin() == shared.finishedBlocks) {
    shared.finishedAhead.erase(shared.finishedAhead.begin());
    ++shared.finishedBlocks;
  }
  return true;
}

}  // namespace

bool searchCandidatesInParallel(GenerationState& state, const SearchTables& tables, int64_t maxAttempts,
                                int threads, const std::function<void(int64_t attemptsSoFar)>& progress) {
  SharedSearch shared(tables, state.random, std::max<int64_t>(maxAttempts, 0));
  std::vector<std::thread> helpers;
  for (int i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back([&shared] {
        while (searchNextBlock(shared)) {
        }
      });
    } catch (const std::system_error&) {
      break;  // the threads started so far share the work
    }
  }
  while (searchNextBlock(shared)) {
    int64_t failedSoFar;
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      failedSoFar = std::min(shared.finishedBlocks, shared.passingBlock.load()) * kParallelBlockAttempts;
    }
    progress(state.attemptCount + std::min(failedSoFar, shared.total));
  }
  for (std::thread& helper : helpers) helper.join();
  // The calling thread may have searched few of the blocks: one last report
  // of every block before the passing one, whichever thread searched it.
  progress(state.attemptCount + std::min(std::min(shared.finishedBlocks, shared.passingBlock.load()) *
                                             int64_t{kParallelBlockAttempts},
                                         shared.total));

  // Every block before the passing one has been searched in full.
  const int64_t block = shared.passingBlock.load();
  if (block == kNoBlock) {
    state.attemptCount += shared.total;
    state.random.skip(static_cast<uint64_t>(shared.total) * kSlotCount);
    return false;
  }
  state.attemptCount += block * kParallelBlockAttempts + shared.passingAttempts;
  state.random = shared.afterPassing;
  state.placement.swap(shared.passing);
  return true;
}
