#pragma once

#include <cstdint>
#include <vector>

#include "state/generation_state.h"

// One line of a plando: `item` (a catalogue entry) is brought to `slot`.
struct FixedItem {
  SlotIndex slot;
  int32_t item;
};
using FixedItems = std::vector<FixedItem>;

// Replaces placement by a fresh random permutation of 0..179 (exactly 180
// draws), pins the slots of the chosen character and difficulty, then brings
// each plando item to its slot in order, and counts the attempt.
void shufflePlacement(GenerationState& state, const FixedItems& plando = {});

// Makes slot k receive its own item by swapping it with the slot that drew
// item k; the item slot k had drawn moves there.
void pinSlot(Placement& placement, SlotIndex k);

// The exchange of pinSlot for any item: `slot` receives `item`, and the item
// it held moves to where `item` lay.
void fixItem(Placement& placement, SlotIndex slot, int32_t item);
