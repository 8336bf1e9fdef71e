#pragma once

#include <cstdint>
#include <vector>

#include "state/generation_state.h"

// Replaces placement by a fresh random permutation of 0..179 (exactly 180
// draws), pins the slots of the chosen character and difficulty and counts the
// attempt.
void shufflePlacement(GenerationState& state);

// Makes slot k receive its own item by swapping it with the slot that drew
// item k; the item slot k had drawn moves there.
void pinSlot(Placement& placement, SlotIndex k);
