#pragma once

#include "state/c_random.h"
#include "state/generation_state.h"
#include "state/reporter.h"

// Tyrants, yawns and Lisa: each goes to exactly one room per run.
constexpr bool isOnceOnlyEnemyCode(EnemyCode code) { return code == 3 || code == 7 || code == 10; }

// Prints "Randomizing Enemies...", loads the room table, gives every room one
// enemy code drawn from state.random, and prints "Done!".
void randomizeEnemies(GenerationState& state, Reporter& reporter);

// Replaces each candidate list of a freshly loaded `table` by one code: codes
// 3, 7 and 10 go to three distinct rooms chosen uniformly among those allowing
// them, every other room gets one of its own other codes. The draws, their
// number and their order are part of the output (a seed must reproduce a run),
// so they must not change. Needs every list to hold an ordinary code and three
// distinct rooms to exist for 3, 7 and 10, or it never returns.
void assignEnemies(EnemyRoomTable& table, CRandom& random);
