#include "placement/shuffle.h"

#include <algorithm>
#include <numeric>

namespace {

// Pinned in every run: items the game hands out at fixed places.
constexpr SlotIndex kCommonPinnedSlots[] = {90, 91, 114, 48, 123, 147};
constexpr SlotIndex kJillPinnedSlots[] = {26, 27};
constexpr SlotIndex kJillNormalPinnedSlots[] = {39};
constexpr SlotIndex kChrisHardPinnedSlots[] = {75, 76};

// One at a time: g++ 12 warns falsely about a range insert into an empty vector.
template <typename Range>
void append(std::vector<SlotIndex>& out, const Range& slots) {
  for (SlotIndex slot : slots) out.push_back(slot);
}

}  // namespace

std::vector<SlotIndex> pinnedSlotOrder(const RunOptions& options) {
  std::vector<SlotIndex> order;
  append(order, kCommonPinnedSlots);
  if (options.hardDifficulty) append(order, kHardPinnedSlots);
  if (!options.character) {
    append(order, kJillPinnedSlots);
    if (!options.hardDifficulty) append(order, kJillNormalPinnedSlots);
  } else if (options.hardDifficulty) {
    append(order, kChrisHardPinnedSlots);
  }
  return order;
}

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
