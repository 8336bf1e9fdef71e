#pragma once

#include <cstdint>
#include <functional>

#include "placement/candidate_search.h"
#include "state/generation_state.h"

// Candidates one thread takes at a time. Small enough that a run of a few
// thousand candidates (Jill) is already shared out, large enough that handing
// out a block costs nothing measurable.
constexpr int32_t kParallelBlockAttempts = 1024;

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
