#include "placement/plando_proof.h"

#include <algorithm>
#include <set>
#include <utility>

#include "catalogue/pins.h"
#include "placement/validator.h"

namespace {

bool locks(const GenerationState& state, int32_t item, Zone zone) {
  const auto found = state.lockTable.find(item);
  if (found == state.lockTable.end()) return false;
  return std::find(found->second.begin(), found->second.end(), zone) != found->second.end();
}

// Whether every key needed to enter `zone` is reached already.
bool enterable(const GenerationState& state, Zone zone, const std::set<int32_t>& reached) {
  const auto found = state.unlockTable.find(zone);
  if (found == state.unlockTable.end()) return true;
  return std::all_of(found->second.begin(), found->second.end(),
                     [&reached](int32_t key) { return reached.count(key) != 0; });
}

std::size_t neededCount(const GenerationState& state, Zone zone) {
  const auto found = state.unlockTable.find(zone);
  return found == state.unlockTable.end() ? 0 : found->second.size();
}

// The free slot for `item` that can be entered with the keys reached (when
// `reached` is given) and that it does not lock: in the zone that needs the
// most keys, so that the slots open early stay free for keys still to come;
// -1 when there is none.
SlotIndex bestSlot(const GenerationState& state, const Placement& placement, int32_t item,
                   const std::set<int32_t>* reached) {
  SlotIndex best = -1;
  for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
    const Zone zone = state.slotZones[slot];
    if (placement[slot] >= 0 || locks(state, item, zone)) continue;
    if (reached != nullptr && !enterable(state, zone, *reached)) continue;
    if (best < 0 || neededCount(state, zone) > neededCount(state, state.slotZones[best])) best = slot;
  }
  return best;
}

// `reached` with every placed key whose slot it can enter, and so on.
std::set<int32_t> closure(const GenerationState& state, const Placement& placement, std::set<int32_t> reached) {
  for (bool grew = true; grew;) {
    grew = false;
    for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
      const int32_t item = placement[slot];
      if (item < 0 || reached.count(item) != 0 || !enterable(state, state.slotZones[slot], reached)) continue;
      reached.insert(item);
      grew = true;
    }
  }
  return reached;
}

// How much placing `key` promises: the free slots open once it and the keys
// it leads to are reached, then the closed zones with slots that need it.
std::pair<int, int> promise(const GenerationState& state, const Placement& placement, const std::set<int32_t>& reached,
                            int32_t key) {
  std::set<int32_t> with = reached;
  with.insert(key);
  with = closure(state, placement, with);
  int open = 0;
  std::set<Zone> waiting;
  for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
    const Zone zone = state.slotZones[slot];
    if (placement[slot] < 0 && enterable(state, zone, with)) ++open;
    const auto needed = state.unlockTable.find(zone);
    if (needed == state.unlockTable.end() || enterable(state, zone, reached)) continue;
    if (std::find(needed->second.begin(), needed->second.end(), key) != needed->second.end()) waiting.insert(zone);
  }
  return {open, static_cast<int>(waiting.size())};
}

// Reaches the keys in rounds: every placed key whose slot can be entered,
// then the free key that opens the most free slots (then the one most locks
// wait for), placed where it can be reached.
void placeKeys(const GenerationState& state, Placement& placement, std::vector<bool>& placed, PlandoProof& proof) {
  std::set<int32_t> keys;
  for (const auto& entry : state.unlockTable) keys.insert(entry.second.begin(), entry.second.end());
  std::set<int32_t> reached;
  for (;;) {
    reached = closure(state, placement, reached);
    int32_t chosen = -1;
    std::pair<int, int> best{-1, -1};
    for (int32_t key : keys) {
      if (placed[key] || bestSlot(state, placement, key, &reached) < 0) continue;
      const std::pair<int, int> keyPromise = promise(state, placement, reached, key);
      if (keyPromise > best) {
        chosen = key;
        best = keyPromise;
      }
    }
    if (chosen < 0) break;
    placement[bestSlot(state, placement, chosen, &reached)] = chosen;
    placed[chosen] = true;
    reached.insert(chosen);
  }
  for (int32_t key : keys) {
    if (reached.count(key) == 0) proof.unreachedKeys.push_back(key);
  }
}

}  // namespace

PlandoProof provePlacement(const GenerationState& state, const FixedItems& plando) {
  PlandoProof proof;
  Placement placement(kSlotCount, -1);
  std::vector<bool> placed(kSlotCount, false);
  FixedItems fixed;
  for (SlotIndex slot : pinnedSlotOrder(state.options)) fixed.push_back({slot, slot});
  fixed.insert(fixed.end(), plando.begin(), plando.end());
  for (const FixedItem& line : fixed) {
    placement[line.slot] = line.item;
    placed[line.item] = true;
    if (proof.selfLockedItem < 0 && locks(state, line.item, state.slotZones[line.slot]))
      proof.selfLockedItem = line.item;
  }
  if (proof.selfLockedItem >= 0) return proof;
  placeKeys(state, placement, placed, proof);
  if (!proof.unreachedKeys.empty()) return proof;
  // The other items with locks first, while slots are left to choose from.
  for (int round = 0; round < 2; ++round) {
    for (int32_t item = 0; item < kSlotCount; ++item) {
      if (placed[item] || (round == 0 && state.lockTable.count(item) == 0)) continue;
      const SlotIndex slot = bestSlot(state, placement, item, nullptr);
      if (slot < 0) return proof;
      placement[slot] = item;
      placed[item] = true;
    }
  }
  GenerationState check = state;
  check.placement = placement;
  proof.feasible = checkPlacement(check);
  if (proof.feasible) proof.placement = placement;
  return proof;
}
