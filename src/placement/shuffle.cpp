#include "placement/shuffle.h"

#include <algorithm>
#include <numeric>

#include "catalogue/pins.h"

void pinSlot(Placement& placement, SlotIndex k) { fixItem(placement, k, k); }

void fixItem(Placement& placement, SlotIndex slot, int32_t item) {
  const auto found = std::find(placement.begin(), placement.end(), item);
  const int32_t v = placement[slot];
  *found = v;
  placement[slot] = item;
}

void shufflePlacement(GenerationState& state, const FixedItems& plando) {
  Placement& placement = state.placement;
  placement.clear();
  std::vector<int32_t> pool(kSlotCount);
  std::iota(pool.begin(), pool.end(), 0);
  while (!pool.empty()) {
    const uint32_t i = state.random.below(static_cast<uint32_t>(pool.size()));
    placement.push_back(pool[i]);
    pool.erase(pool.begin() + i);
  }
  for (SlotIndex k : pinnedSlotOrder(state.options)) pinSlot(placement, k);
  for (const FixedItem& fixed : plando) fixItem(placement, fixed.slot, fixed.item);
  ++state.attemptCount;
}
