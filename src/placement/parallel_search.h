#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <map>

#include "placement/candidate_search.h"
#include "state/generation_state.h"

// Candidates one searcher takes at a time. Small enough that a run of a few
// thousand candidates (Jill) is already shared out, large enough that handing
// out a block costs nothing measurable.
constexpr int32_t kParallelBlockAttempts = 1024;

// Stands for "no block has passed yet".
constexpr int64_t kNoPassingBlock = std::numeric_limits<int64_t>::max();

// Consecutive blocks of candidates handed to one searcher, with the generator
// where the first of them starts. Plain data, so it can be copied to a
// searcher that shares no memory with the ledger (a worker of the web page).
struct BlockTask {
  int64_t firstBlock = 0;
  int32_t blockCount = 0;
  int32_t attempts = 0;  // candidates in all its blocks; only the search's last block is short
  CRandom start;
};

// What came of a task: every block of it is finished, the one that passed
// (if any) included. Plain data, as BlockTask.
struct TaskOutcome {
  int64_t firstBlock = 0;
  int32_t blockCount = 0;
  bool found = false;
  int64_t passingBlock = 0;
  int32_t passingAttempts = 0;  // within passingBlock, the passing one included
  CRandom afterPassing;         // the generator after the passing candidate
};

// The blocks a search has handed out and what came of them. The search's
// answer is the earliest passing candidate in stream order, known once every
// block before the earliest passing block is finished.
struct BlockLedger {
  int64_t total = 0;  // candidates the search may draw
  CRandomJump blockJump{};
  int64_t nextBlock = 0;
  CRandom nextStart;  // the generator where nextBlock starts
  // Blocks before finishedBlocks are all finished; runs of finished blocks
  // after it wait in finishedAhead (first block -> the block after the run).
  int64_t finishedBlocks = 0;
  std::map<int64_t, int64_t> finishedAhead;
  int64_t passingBlock = kNoPassingBlock;
  int32_t passingAttempts = 0;
  CRandom afterPassing;
  Placement passing;
};

// A ledger for up to `maxAttempts` candidates from the generator `start`.
void startBlockSearch(BlockLedger& ledger, const CRandom& start, int64_t maxAttempts);

// Hands out up to `maxBlocks` blocks not handed out yet into `task`, none of
// them after the earliest passing block; false when there are none.
bool takeBlockTask(BlockLedger& ledger, int32_t maxBlocks, BlockTask& task);

// Searches the blocks of `task` in stream order, until one passes (it is then
// left in `passing`) or `earlierPassed(block)` says that a block before the
// one being searched has passed, which makes the rest of the task useless.
TaskOutcome searchBlockTask(const SearchTables& tables, const BlockTask& task, Placement& passing,
                            const std::function<bool(int64_t block)>& earlierPassed);

// Enters the outcome of a task handed out by this ledger; `passing` is the
// candidate it found, taken when it is the earliest so far.
void recordTaskOutcome(BlockLedger& ledger, const TaskOutcome& outcome, Placement& passing);

// Candidates of the search known to fail: those of every block before the
// first one that is unfinished or passed.
int64_t attemptsKnownToFail(const BlockLedger& ledger);

// Once every block handed out is finished: leaves placement, attemptCount and
// state.random as searchCandidates on one thread would, from the generator
// the ledger started at. False when no candidate passed.
bool finishBlockSearch(GenerationState& state, BlockLedger& ledger);

// Searches the blocks of `ledger` on `threads` threads, the calling one among
// them. `progress` is called on the calling thread between its blocks with
// attemptsKnownToFail. Threads the system refuses to start are done without.
// `tables.usable` must be true.
void searchBlocksOnThreads(BlockLedger& ledger, const SearchTables& tables, int threads,
                           const std::function<void(int64_t knownToFail)>& progress);

// searchCandidates over up to `maxAttempts` candidates, shared out in blocks
// among `threads` threads, the calling one among them. Every candidate starts
// at a known place of the generator's stream, so each block starts from a
// generator jumped there, and the earliest passing candidate in stream order
// is the answer: placement, attemptCount and state.random end exactly as
// searchCandidates leaves them on one thread. `progress` is called on the
// calling thread between its blocks, and once more when all threads are done,
// with the attempt count up to which every candidate is known to fail. Threads the system refuses to start are done
// without. `tables.usable` must be true.
bool searchCandidatesInParallel(GenerationState& state, const SearchTables& tables, int64_t maxAttempts,
                                int threads, const std::function<void(int64_t attemptsSoFar)>& progress);
