#pragma once

#include <vector>

#include "state/generation_state.h"

// A key item and the slot it lies in.
struct KeyPickup {
  SlotIndex item;
  SlotIndex slot;
};

// The order in which a placement's key items can be collected.
struct KeyRoute {
  // Step n holds every key item whose zone needs only key items of steps
  // before n (step 1: zones that need none), in slot order.
  std::vector<std::vector<KeyPickup>> steps;
  // Key items the placement holds but no step reaches: behind a loop of keys
  // or behind a key the placement no longer holds.
  std::vector<KeyPickup> outOfReach;
  // Key items no slot holds (an edited file can lack one).
  std::vector<SlotIndex> missing;
};

// The first slot that holds `item`, as the validator locates items; -1 when no
// slot does.
SlotIndex slotHolding(const Placement& placement, SlotIndex item);

// The key items needed to enter `zone`; empty for a zone without a row. Reads
// the table without inserting into it.
const std::vector<int32_t>& keysNeededFor(const GenerationState& state, Zone zone);

// The key route of state.placement (kSlotCount entries) under the unlock
// table, the one the validator's chain check follows. Needs the catalogue
// and the constraint tables built.
KeyRoute planKeyRoute(const GenerationState& state);

// The key items not in `collected` (indexed by item) that a slot holds in a
// zone needing no key or only collected ones, in slot order: what a player
// holding exactly those keys can pick up next.
std::vector<KeyPickup> reachableKeys(const GenerationState& state, const std::vector<bool>& collected);
