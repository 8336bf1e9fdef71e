#pragma once

#include "state/generation_state.h"
#include "state/reporter.h"

// Checks the candidate placement: no key item in a zone it locks itself, and no
// chain of needed key items that comes back to itself. On success prints the
// two acceptance lines on `reporter` and sets placementValid; a rejection prints nothing.
void validatePlacement(GenerationState& state, Reporter& reporter);

// The two checks of validatePlacement without its output: true when the
// placement passes both. Leaves dependencyPath empty.
bool checkPlacement(GenerationState& state);

// True when no chain of key items needed to reach `item` comes back to an item
// already on the chain (dependencyPath holds the chain walked so far).
bool followKeyChain(GenerationState& state, int32_t item);
