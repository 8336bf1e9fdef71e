#include "placement/parallel_search.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Candidates between two looks whether an earlier block has already passed,
// which makes the rest of this block useless.
constexpr int32_t kAttemptsPerLook = 256;

// A ledger shared by threads: everything under `mutex`, and the earliest
// passing block also outside it, read without the lock to give up later
// blocks early.
struct SharedLedger {
  SharedLedger(BlockLedger& blockLedger, const SearchTables& searchTables)
      : ledger(blockLedger), tables(searchTables), passingBlock(blockLedger.passingBlock) {}

  BlockLedger& ledger;
  const SearchTables& tables;
  std::mutex mutex;
  std::atomic<int64_t> passingBlock;
};

// Searches the next block not handed out yet; false when none is left.
bool searchNextBlock(SharedLedger& shared) {
  BlockTask task;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (!takeBlockTask(shared.ledger, 1, task)) return false;
  }
  Placement placement;
  const TaskOutcome outcome = searchBlockTask(shared.tables, task, placement, [&shared](int64_t block) {
    return shared.passingBlock.load(std::memory_order_relaxed) < block;
  });
  std::lock_guard<std::mutex> lock(shared.mutex);
  recordTaskOutcome(shared.ledger, outcome, placement);
  shared.passingBlock.store(shared.ledger.passingBlock);
  return true;
}

}  // namespace

void startBlockSearch(BlockLedger& ledger, const CRandom& start, int64_t maxAttempts) {
  ledger = BlockLedger();
  ledger.total = std::max<int64_t>(maxAttempts, 0);
  ledger.blockJump = makeJump(uint64_t{kParallelBlockAttempts} * kSlotCount);
  ledger.nextStart = start;
}

bool takeBlockTask(BlockLedger& ledger, int32_t maxBlocks, BlockTask& task) {
  const int64_t first = ledger.nextBlock;
  const int64_t firstAttempt = first * kParallelBlockAttempts;
  // Blocks after a passing one cannot change the answer.
  if (firstAttempt >= ledger.total || first > ledger.passingBlock || maxBlocks < 1) return false;
  const int64_t attemptsLeft = ledger.total - firstAttempt;
  const int64_t blocksLeft = (attemptsLeft + kParallelBlockAttempts - 1) / kParallelBlockAttempts;
  task.firstBlock = first;
  task.blockCount = static_cast<int32_t>(std::min<int64_t>(maxBlocks, blocksLeft));
  task.attempts =
      static_cast<int32_t>(std::min<int64_t>(int64_t{task.blockCount} * kParallelBlockAttempts, attemptsLeft));
  task.start = ledger.nextStart;
  for (int32_t i = 0; i < task.blockCount; ++i) jump(ledger.nextStart, ledger.blockJump);
  ledger.nextBlock += task.blockCount;
  return true;
}

TaskOutcome searchBlockTask(const SearchTables& tables, const BlockTask& task, Placement& passing,
                            const std::function<bool(int64_t block)>& earlierPassed) {
  TaskOutcome outcome;
  outcome.firstBlock = task.firstBlock;
  outcome.blockCount = task.blockCount;
  // A block searched in full leaves the generator where the next one starts.
  CRandom random = task.start;
  int32_t attemptsLeft = task.attempts;
  for (int32_t i = 0; i < task.blockCount && attemptsLeft > 0; ++i) {
    const int64_t block = task.firstBlock + i;
    const int32_t size = std::min(kParallelBlockAttempts, attemptsLeft);
    attemptsLeft -= size;
    int32_t searched = 0;
    while (searched < size) {
      if (earlierPassed(block)) return outcome;
      const SearchOutcome look = searchFrom(tables, random, std::min(kAttemptsPerLook, size - searched), passing);
      searched += look.attempts;
      if (look.found) {
        outcome.found = true;
        outcome.passingBlock = block;
        outcome.passingAttempts = searched;
        outcome.afterPassing = random;
        return outcome;
      }
    }
  }
  return outcome;
}

void recordTaskOutcome(BlockLedger& ledger, const TaskOutcome& outcome, Placement& passing) {
  if (outcome.found && outcome.passingBlock < ledger.passingBlock) {
    ledger.passingBlock = outcome.passingBlock;
    ledger.passingAttempts = outcome.passingAttempts;
    ledger.afterPassing = outcome.afterPassing;
    ledger.passing.swap(passing);
  }
  // Blocks a task left unsearched lie after a passing one and count as done.
  if (outcome.blockCount > 0) ledger.finishedAhead[outcome.firstBlock] = outcome.firstBlock + outcome.blockCount;
  while (!ledger.finishedAhead.empty() && ledger.finishedAhead.begin()->first == ledger.finishedBlocks) {
    ledger.finishedBlocks = ledger.finishedAhead.begin()->second;
    ledger.finishedAhead.erase(ledger.finishedAhead.begin());
  }
}

int64_t attemptsKnownToFail(const BlockLedger& ledger) {
  return std::min(std::min(ledger.finishedBlocks, ledger.passingBlock) * kParallelBlockAttempts, ledger.total);
}

bool finishBlockSearch(GenerationState& state, BlockLedger& ledger) {
  // Every block before the passing one has been searched in full.
  if (ledger.passingBlock == kNoPassingBlock) {
    state.attemptCount += ledger.total;
    state.random.skip(static_cast<uint64_t>(ledger.total) * kSlotCount);
    return false;
  }
  state.attemptCount += ledger.passingBlock * kParallelBlockAttempts + ledger.passingAttempts;
  state.random = ledger.afterPassing;
  state.placement.swap(ledger.passing);
  return true;
}

void searchBlocksOnThreads(BlockLedger& ledger, const SearchTables& tables, int threads,
                           const std::function<void(int64_t knownToFail)>& progress) {
  SharedLedger shared(ledger, tables);
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
    int64_t knownToFail;
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      knownToFail = attemptsKnownToFail(ledger);
    }
    progress(knownToFail);
  }
  for (std::thread& helper : helpers) helper.join();
  // The calling thread may have searched few of the blocks: one last report
  // of every block before the passing one, whichever thread searched it.
  progress(attemptsKnownToFail(ledger));
}

bool searchCandidatesInParallel(GenerationState& state, const SearchTables& tables, int64_t maxAttempts,
                                int threads, const std::function<void(int64_t attemptsSoFar)>& progress) {
  BlockLedger ledger;
  startBlockSearch(ledger, state.random, maxAttempts);
  const int64_t before = state.attemptCount;
  searchBlocksOnThreads(ledger, tables, threads, [&](int64_t knownToFail) { progress(before + knownToFail); });
  return finishBlockSearch(state, ledger);
}
