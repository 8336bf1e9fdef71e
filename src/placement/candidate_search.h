#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "placement/search_kernel.h"
#include "placement/shuffle.h"
#include "state/generation_state.h"

// Zones and key items are bits of a 64-bit mask in the search tables.
constexpr int kMaskBits = 64;

// LockTable, UnlockTable, the slot zones and the pins of one run in the form
// the search reads once per candidate. Derived from the state, never typed in.
struct SearchTables {
  // The most items the first pass of searchCandidates follows (a build of
  // the inner loops may follow only the first of them), and the most the
  // second pass can follow.
  static constexpr int kClashLanes = kKernelClashLanes;
  static constexpr int kFollowLanes = kKernelFollowLanes;
  static constexpr uint8_t kNoLane = 0xff;

  // False when a zone or the number of key items does not fit a mask; the
  // search must not be used then.
  bool usable = false;

  // Item -> the zones it must not lie in, one bit per zone.
  std::array<uint64_t, kSlotCount> lockedZones{};
  // Slot -> its zone, and the bit of its zone.
  std::array<uint8_t, kSlotCount> slotZone{};
  std::array<uint64_t, kSlotCount> slotZoneBit{};
  // The slots the shuffle pins, then the plando's slots, in exchange order;
  // the item each receives (a pinned slot its own); whether a slot is among
  // them; and item -> the slot it is brought to (kNoLane for a free item).
  std::vector<SlotIndex> pinOrder;
  std::array<uint8_t, kSlotCount> pinItem{};
  std::array<bool, kSlotCount> pinned{};
  std::array<uint8_t, kSlotCount> fixedSlot{};

  // Key items: those some unlock list names. Only they can stand on a cycle
  // of needed items, so the chain check looks at nothing else.
  int keyCount = 0;
  std::array<SlotIndex, kMaskBits> keyItems{};
  // Zone -> the key items needed to enter it, bit k standing for keyItems[k].
  std::array<uint64_t, kMaskBits> neededKeys{};

  // The build of the inner loops the search runs: the one named, or the
  // fastest this processor has.
  const SearchKernel* kernel = nullptr;
  // First pass: the unpinned items that clash in the most unpinned slots, one
  // byte lane each (kNoLane marks an unused lane), and per slot 0xff in the
  // lane of every such item that clashes in it. Second pass: every item the
  // checks need to locate (lockedItems, key items, pinned items, which carry
  // the pins' moves), one lane each.
  KernelTables lanes{};

  // Whether the second pass can follow them all: false when there are more
  // than kFollowLanes.
  bool followFits = false;
  std::array<uint8_t, kSlotCount> followLane{};  // item -> its lane or kNoLane
  // The unpinned items whose lock list can clash, in the order the self-lock
  // check looks at them: those clashing in the most unpinned slots first.
  std::vector<SlotIndex> lockedItems;
  // Whether a pinned or plando item clashes in the slot it is brought to,
  // where it always lies: then no candidate passes.
  bool pinnedItemClashes = false;
};

// Builds the search tables from lockTable, unlockTable, slotZones and the
// options of `state` (catalogue and constraint tables already built), to be
// searched by the inner loops named `kernel` (empty: the fastest this
// processor runs), with the plando's exchanges `fixed` followed like pins
// after them. Reads the maps without inserting into them.
SearchTables deriveSearchTables(const GenerationState& state, const std::string& kernel,
                                const FixedItems& fixed = {});

// The verdict of the self-lock check and the chain check together on a
// complete permutation `placement`: true exactly when validatePlacement would
// accept it. `tables.usable` must be true.
bool placementPasses(const SearchTables& tables, const Placement& placement);

// How far one search went: candidates drawn, the passing one included, and
// whether one passed.
struct SearchOutcome {
  int32_t attempts = 0;
  bool found = false;
};

// searchCandidates on a generator of its own, for searches that run side by
// side: draws from `random`, leaves a passing candidate in `placement` and
// counts nothing.
SearchOutcome searchFrom(const SearchTables& tables, CRandom& random, int32_t maxAttempts, Placement& placement);

// Draws and checks up to `maxAttempts` candidates from state.random, each
// counted in attemptCount and each consuming exactly 180 draws. Returns true
// at the first candidate that passes both checks, which is then left in
// state.placement; returns false, leaving state.placement alone, when none
// did. Candidates, count and generator position are those of repeating
// shufflePlacement and validatePlacement. `tables.usable` must be true.
//
// No candidate is built unless it passes. A first pass follows only a few
// items through the draws and stops at the first one drawn into a slot it
// locks (nine candidates in ten for Chris); a second pass locates every item
// the checks need and checks from those places; only the accepted candidate
// is drawn in full. Both passes run in tables.kernel.
bool searchCandidates(GenerationState& state, const SearchTables& tables, int32_t maxAttempts);
