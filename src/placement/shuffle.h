#pragma once

#include <cstdint>
#include <vector>

#include "state/generation_state.h"

// Slots that keep their own item in Hard difficulty, in pinning order. The
// cheat sheet leaves the same slots out in Hard difficulty.
constexpr SlotIndex kHardPinnedSlots[] = {4,   5,   7,   21,  27,  40,  49,  55,  64,  65,
                                          68,  69,  72,  80,  84,  93,  95,  98,  108, 109,
                                          110, 113, 119, 126, 132, 134, 138, 141, 144, 152,
                                          155, 158, 160, 162, 170, 172, 173};

// The slots the shuffle pins for these options, in the order it pins them
// (a slot may appear twice; the second pin changes nothing).
std::vector<SlotIndex> pinnedSlotOrder(const RunOptions& options);

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
