#include "placement/key_route.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "catalogue/key_items.h"

SlotIndex slotHolding(const Placement& placement, SlotIndex item) {
  const auto found = std::find(placement.begin(), placement.end(), item);
  return found == placement.end() ? -1 : static_cast<SlotIndex>(found - placement.begin());
}

const std::vector<int32_t>& keysNeededFor(const GenerationState& state, Zone zone) {
  static const std::vector<int32_t> kNone;
  const auto found = state.unlockTable.find(zone);
  return found == state.unlockTable.end() ? kNone : found->second;
}

KeyRoute planKeyRoute(const GenerationState& state) {
  KeyRoute route;
  std::vector<KeyPickup> remaining;
  for (SlotIndex item : keyItems(state)) {
    const SlotIndex slot = slotHolding(state.placement, item);
    if (slot < 0) {
      route.missing.push_back(item);
    } else {
      remaining.push_back({item, slot});
    }
  }
  std::sort(remaining.begin(), remaining.end(),
            [](const KeyPickup& a, const KeyPickup& b) { return a.slot < b.slot; });

  std::vector<bool> collected(kSlotCount + 1, false);
  const auto reachable = [&](const KeyPickup& pickup) {
    const Zone zone = state.slotZones[static_cast<std::size_t>(pickup.slot)];
    for (int32_t needed : keysNeededFor(state, zone)) {
      if (needed < 0 || needed > kSlotCount || !collected[static_cast<std::size_t>(needed)]) return false;
    }
    return true;
  };
  for (;;) {
    std::vector<KeyPickup> step;
    std::vector<KeyPickup> later;
    for (const KeyPickup& pickup : remaining) (reachable(pickup) ? step : later).push_back(pickup);
    if (step.empty()) break;
    // Only keys of earlier steps count, so a step's keys are marked after it.
    for (const KeyPickup& pickup : step) collected[static_cast<std::size_t>(pickup.item)] = true;
    route.steps.push_back(std::move(step));
    remaining = std::move(later);
  }
  route.outOfReach = std::move(remaining);
  return route;
}

std::vector<KeyPickup> reachableKeys(const GenerationState& state, const std::vector<bool>& collected) {
  const auto has = [&collected](int32_t item) {
    return item >= 0 && static_cast<std::size_t>(item) < collected.size() && collected[static_cast<std::size_t>(item)];
  };
  std::vector<KeyPickup> reachable;
  for (SlotIndex item : keyItems(state)) {
    const SlotIndex slot = slotHolding(state.placement, item);
    if (slot < 0 || has(item)) continue;
    const std::vector<int32_t>& needed = keysNeededFor(state, state.slotZones[static_cast<std::size_t>(slot)]);
    if (std::all_of(needed.begin(), needed.end(), has)) reachable.push_back({item, slot});
  }
  std::sort(reachable.begin(), reachable.end(),
            [](const KeyPickup& a, const KeyPickup& b) { return a.slot < b.slot; });
  return reachable;
}
