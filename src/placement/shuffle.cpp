#include "placement/shuffle.h"

#include <algorithm>
#include <numeric>

#include "catalogue/pins.h"

void pinSlot(Placement& placement, SlotIndex k) {
  const auto found = std::find(placement.begin(), placement.end(), k);
  const int32_t v = placement[k];
  *found = v;
  placement[k] = k;
}

void shufflePlacement(GenerationState& state) {
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
  ++state.attemptCount;
}
