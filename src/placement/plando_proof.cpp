#include "placement/plando_proof.h"

#include <algorithm>
#include <map>
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


// The quick try: keys one by one where the keys reached open, then the other
// items with locks, then the rest; true when the validator accepts it.
bool greedyPlacement(const GenerationState& state, Placement placement, std::vector<bool> placed, PlandoProof& proof) {
  placeKeys(state, placement, placed, proof);
  if (!proof.unreachedKeys.empty()) return false;
  // The other items with locks first, while slots are left to choose from.
  for (int round = 0; round < 2; ++round) {
    for (int32_t item = 0; item < kSlotCount; ++item) {
      if (placed[item] || (round == 0 && state.lockTable.count(item) == 0)) continue;
      const SlotIndex slot = bestSlot(state, placement, item, nullptr);
      if (slot < 0) return false;
      placement[slot] = item;
      placed[item] = true;
    }
  }
  GenerationState check = state;
  check.placement = placement;
  proof.feasible = checkPlacement(check);
  if (proof.feasible) proof.placement = placement;
  return proof.feasible;
}

// The exact decision, which runs before the greedy (kept as the fallback).
//
// A placement passes the validator iff (a) no item lies in a zone of its lock
// list and (b) the key items can be ordered so that each lies in a zone whose
// needed keys all come earlier (the graph item -> keys its zone needs is
// acyclic; only keys are needed, so a cycle runs through keys alone). Slots of
// one zone are interchangeable, so the search works on zones with a capacity
// (their free slots) and never commits an item to a slot before the end.
//
// The search walks orders of pick-ups: a state is the set C of keys collected
// (a bitmask). A free key k collected at C may lie only in a zone open at C
// (every key it needs in C) and not in its lock list: its "allowed" zones stay
// fixed from then on. A fixed key joins C as soon as its zone opens. A key not
// yet collected is allowed the zones it could have at best: open once every
// other free key is collected, minus its lock list; an item with a lock list
// that no zone needs is allowed the zones it does not lock. A fixed key that
// no order reaches even with every free key collected makes the plando
// impossible at once (unreachedKeys). Every state keeps
// a matching of all these items into zones within capacity; a state without
// one is dropped. The items left over have no constraint and fill the rest.
//
// Sound: at the end every key is collected and matched into a zone allowed
// when it was collected, so the order of collection orders the key graph and
// no item lies in a zone it locks; the placement built is also confirmed by
// checkPlacement. Complete: take any passing placement P and a topological
// order of its keys with each fixed key moved up to when its zone opens (still
// topological: earlier keys only open more). Along that order P's own zones
// are allowed to every item at every state (a key's P zone needs only keys
// before it, all within the "every other free key" bound), so P is a matching
// at each state of the path and no state on it is dropped. A free key whose
// allowed zones at C are already all it could ever get is collected at once
// without branching: in any solution it can be moved up to C without losing
// its zone, and moving it up only opens more for the others. The allowed
// zones are narrowed first by what must come before what (narrowByOrder),
// which every passing placement keeps. A state is remembered as failed only
// after its whole subtree failed; its future depends on C and every item's
// allowed zones alone, so a later state with the same C and no more allowed
// to any item fails too. So the search finds a placement iff one exists,
// unless it hits kNodeLimit, which leaves the question undecided. The keys
// that must come before a fixed key are tried first: the cheap way to a
// placement when one exists (order of tries only).
//
// Measured on 160,000 random plandos of 1 to 40 lines (all four settings,
// uniform items and half key items): the limit was hit 5 times, all Chris on
// Hard, each after about half a second; the median decision takes
// microseconds.

constexpr long kNodeLimit = 50000;
constexpr int kZoneBits = 64;

struct Exact {
  std::vector<int32_t> keys;        // bit i of a key set is keys[i]
  std::vector<uint64_t> needs;      // zone -> keys needed to enter it
  std::vector<int> capacity;        // zone -> free slots
  uint64_t roomy = 0;               // zones with a free slot
  std::vector<std::pair<int, Zone>> fixedKeys;  // key bit, zone it lies in
  std::vector<int32_t> items;       // the matched items: free keys first
  std::vector<int> itemKey;         // key bit of items[i], -1 for other items
  std::vector<uint64_t> locked;     // zones items[i] locks
  std::vector<uint64_t> best;       // the most items[i] can ever be allowed
  long nodes = 0;
  bool aborted = false;
  std::vector<int> zones;            // the zones that have slots
  uint64_t urgent = 0;               // keys that must come before a fixed key
  // Collected set -> allowed zones of every item in states that failed.
  std::map<uint64_t, std::vector<std::vector<uint64_t>>> failed;
};

struct State {
  uint64_t collected = 0;
  std::vector<uint64_t> allowed;  // per item
  std::vector<int> zoneOf;        // per item, -1 unmatched
  std::vector<int> load;          // per zone
};

uint64_t openZones(const Exact& search, uint64_t collected) {
  uint64_t open = 0;
  for (int zone : search.zones) {
    if ((search.needs[static_cast<std::size_t>(zone)] & ~collected) == 0) open |= uint64_t{1} << zone;
  }
  return open;
}

// `collected` with every fixed key whose zone it opens, and so on.
uint64_t withFixedKeys(const Exact& search, uint64_t collected) {
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& fixed : search.fixedKeys) {
      const uint64_t bit = uint64_t{1} << fixed.first;
      if ((collected & bit) != 0 || (search.needs[static_cast<std::size_t>(fixed.second)] & ~collected) != 0) continue;
      collected |= bit;
      grew = true;
    }
  }
  return collected;
}

// Kuhn's augmenting path for `item` over zones with capacity.
bool augment(const Exact& search, State& state, std::size_t item, uint64_t& visited) {
  const uint64_t choices = state.allowed[item] & search.roomy & ~visited;
  for (int zone : search.zones) {
    if ((choices >> zone & 1) == 0) continue;
    visited |= uint64_t{1} << zone;
    const auto z = static_cast<std::size_t>(zone);
    bool freed = state.load[z] < search.capacity[z];
    for (std::size_t other = 0; !freed && other < search.items.size(); ++other) {
      if (state.zoneOf[other] != zone || !augment(search, state, other, visited)) continue;
      --state.load[z];
      freed = true;
    }
    if (!freed) continue;
    state.zoneOf[item] = zone;
    ++state.load[z];
    return true;
  }
  return false;
}

// Narrows item's allowed zones and repairs the matching; false when none is
// left.
bool narrow(const Exact& search, State& state, std::size_t item, uint64_t allowed) {
  state.allowed[item] = allowed;
  const int zone = state.zoneOf[item];
  if (zone >= 0 && (allowed >> zone & 1) != 0) return true;
  if (zone >= 0) --state.load[static_cast<std::size_t>(zone)];
  state.zoneOf[item] = -1;
  uint64_t visited = 0;
  return augment(search, state, item, visited);
}

uint64_t allowedNow(const Exact& search, const State& state, std::size_t item) {
  return openZones(search, state.collected) & search.best[item];
}

bool collectedKey(const Exact& search, const State& state, std::size_t item) {
  return (state.collected >> search.itemKey[item] & 1) != 0;
}

// The free slots opened by collecting item, most first: a try order only.
int opening(const Exact& search, const State& state, std::size_t item) {
  const uint64_t before = openZones(search, state.collected);
  const uint64_t after =
      openZones(search, withFixedKeys(search, state.collected | uint64_t{1} << search.itemKey[item]));
  int slots = 0;
  for (int zone : search.zones) {
    if (((after & ~before) >> zone & 1) != 0) slots += search.capacity[static_cast<std::size_t>(zone)];
  }
  return slots;
}

// Whether a state that failed had the same keys collected and allowed every
// item at least the zones `state` allows: then `state` fails too.
bool dominated(const Exact& search, const State& state) {
  const auto found = search.failed.find(state.collected);
  if (found == search.failed.end()) return false;
  return std::any_of(found->second.begin(), found->second.end(), [&state](const std::vector<uint64_t>& failed) {
    for (std::size_t item = 0; item < failed.size(); ++item) {
      if ((state.allowed[item] & ~failed[item]) != 0) return false;
    }
    return true;
  });
}

bool explore(Exact& search, State& state) {
  if (++search.nodes > kNodeLimit) {
    search.aborted = true;
    return false;
  }
  std::vector<std::size_t> open;
  for (bool forced = true; forced;) {
    forced = false;
    open.clear();
    for (std::size_t item = 0; item < search.items.size() && search.itemKey[item] >= 0; ++item) {
      if (collectedKey(search, state, item)) continue;
      if (allowedNow(search, state, item) != search.best[item]) {
        open.push_back(item);
        continue;
      }
      state.allowed[item] = search.best[item];
      state.collected = withFixedKeys(search, state.collected | uint64_t{1} << search.itemKey[item]);
      forced = true;
    }
  }
  if (open.empty()) return true;
  if (dominated(search, state)) return false;
  std::vector<std::pair<int, std::size_t>> order;
  for (std::size_t item : open) {
    if (allowedNow(search, state, item) == 0) continue;
    const bool urgent = (search.urgent >> search.itemKey[item] & 1) != 0;
    order.emplace_back((urgent ? -1000 : 0) - opening(search, state, item), item);
  }
  std::stable_sort(order.begin(), order.end());
  for (const auto& choice : order) {
    State next = state;
    if (!narrow(search, next, choice.second, allowedNow(search, state, choice.second))) continue;
    next.collected = withFixedKeys(search, next.collected | uint64_t{1} << search.itemKey[choice.second]);
    if (explore(search, next)) {
      state = next;
      return true;
    }
    if (search.aborted) return false;
  }
  search.failed[state.collected].push_back(state.allowed);
  return false;
}

// The search's tables for the fixed items of `placement` (-1 where free).
Exact prepare(const GenerationState& state, const Placement& placement, const std::set<int32_t>& keys) {
  Exact search;
  search.needs.assign(kZoneBits, 0);
  search.capacity.assign(kZoneBits, 0);
  search.keys.assign(keys.begin(), keys.end());
  std::vector<int> bit(kSlotCount, -1);
  for (std::size_t i = 0; i < search.keys.size(); ++i) bit[static_cast<std::size_t>(search.keys[i])] = static_cast<int>(i);
  for (const auto& entry : state.unlockTable) {
    for (int32_t key : entry.second) search.needs[static_cast<std::size_t>(entry.first)] |= uint64_t{1} << bit[static_cast<std::size_t>(key)];
  }
  std::vector<bool> free(kSlotCount, true);
  for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
    const Zone zone = state.slotZones[static_cast<std::size_t>(slot)];
    const int32_t item = placement[static_cast<std::size_t>(slot)];
    if (std::find(search.zones.begin(), search.zones.end(), zone) == search.zones.end()) search.zones.push_back(zone);
    if (item < 0) {
      ++search.capacity[static_cast<std::size_t>(zone)];
      search.roomy |= uint64_t{1} << zone;
    } else {
      free[static_cast<std::size_t>(item)] = false;
      if (bit[static_cast<std::size_t>(item)] >= 0) search.fixedKeys.emplace_back(bit[static_cast<std::size_t>(item)], zone);
    }
  }
  for (int round = 0; round < 2; ++round) {
    for (int32_t item = 0; item < kSlotCount; ++item) {
      const bool key = bit[static_cast<std::size_t>(item)] >= 0;
      if (!free[static_cast<std::size_t>(item)] || key != (round == 0) || (!key && state.lockTable.count(item) == 0)) continue;
      uint64_t locked = 0;
      const auto found = state.lockTable.find(item);
      if (found != state.lockTable.end()) {
        for (Zone zone : found->second) locked |= uint64_t{1} << zone;
      }
      search.items.push_back(item);
      search.itemKey.push_back(bit[static_cast<std::size_t>(item)]);
      search.locked.push_back(locked);
    }
  }
  return search;
}

// The free keys as one bitmask.
uint64_t freeKeyBits(const Exact& search) {
  uint64_t bits = 0;
  for (std::size_t item = 0; item < search.items.size(); ++item) {
    if (search.itemKey[item] >= 0) bits |= uint64_t{1} << search.itemKey[item];
  }
  return bits;
}

// Narrows `best` by what must come first: every key its zone needs comes
// before a fixed key, and before a free key come the keys that every zone
// left to it needs (with what comes before those). A key never lies in a zone
// that needs a key that must come after it, as that would close a cycle; so
// every passing placement keeps within the narrowed zones. False when some
// item is left without a zone.
bool narrowByOrder(Exact& search) {
  std::vector<uint64_t> before(search.keys.size(), 0);
  std::vector<int> freeItem(search.keys.size(), -1);
  for (std::size_t item = 0; item < search.items.size(); ++item) {
    if (search.itemKey[item] >= 0) freeItem[static_cast<std::size_t>(search.itemKey[item])] = static_cast<int>(item);
  }
  for (bool changed = true; changed;) {
    changed = false;
    std::vector<uint64_t> comesFirst(kZoneBits, 0);  // zone -> keys that come before an item in it
    for (int zone : search.zones) {
      uint64_t needed = search.needs[static_cast<std::size_t>(zone)];
      for (std::size_t key = 0; key < search.keys.size(); ++key) {
        if ((needed >> key & 1) != 0) needed |= before[key];
      }
      comesFirst[static_cast<std::size_t>(zone)] = needed;
    }
    for (std::size_t key = 0; key < search.keys.size(); ++key) {
      uint64_t first = ~uint64_t{0};
      if (freeItem[key] < 0) {
        for (const auto& fixed : search.fixedKeys) {
          if (static_cast<std::size_t>(fixed.first) == key) first = comesFirst[static_cast<std::size_t>(fixed.second)];
        }
      } else {
        const auto item = static_cast<std::size_t>(freeItem[key]);
        uint64_t kept = 0;
        for (int zone : search.zones) {
          if ((search.best[item] >> zone & 1) == 0 || (comesFirst[static_cast<std::size_t>(zone)] >> key & 1) != 0) continue;
          kept |= uint64_t{1} << zone;
          first &= comesFirst[static_cast<std::size_t>(zone)];
        }
        if (kept == 0) return false;
        changed |= kept != search.best[item];
        search.best[item] = kept;
      }
      if (first == ~uint64_t{0}) first = 0;
      if (freeItem[key] < 0) search.urgent |= first;
      changed |= (first & ~before[key]) != 0;
      before[key] |= first;
    }
  }
  return true;
}

// Fills `placement` from the matching: each matched item into a free slot of
// its zone, the other free items into the slots left.
void fillPlacement(const GenerationState& state, const Exact& search, const State& found, Placement& placement) {
  std::vector<bool> placed(kSlotCount, false);
  for (int32_t item : placement) {
    if (item >= 0) placed[static_cast<std::size_t>(item)] = true;
  }
  for (std::size_t i = 0; i < search.items.size(); ++i) {
    for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
      if (placement[static_cast<std::size_t>(slot)] >= 0 || state.slotZones[static_cast<std::size_t>(slot)] != found.zoneOf[i]) continue;
      placement[static_cast<std::size_t>(slot)] = search.items[i];
      placed[static_cast<std::size_t>(search.items[i])] = true;
      break;
    }
  }
  SlotIndex slot = 0;
  for (int32_t item = 0; item < kSlotCount; ++item) {
    if (placed[static_cast<std::size_t>(item)]) continue;
    while (placement[static_cast<std::size_t>(slot)] >= 0) ++slot;
    placement[static_cast<std::size_t>(slot)] = item;
  }
}

// Decides exactly, from the fixed items in `placement`, whether a passing
// placement exists, and fills it in when one does.
void decideExactly(const GenerationState& state, Placement placement, const std::set<int32_t>& keys, PlandoProof& proof) {
  proof.unreachedKeys.clear();
  Exact search = prepare(state, placement, keys);
  const uint64_t freeKeys = freeKeyBits(search);
  const uint64_t reachable = withFixedKeys(search, freeKeys);
  for (std::size_t i = 0; i < search.keys.size(); ++i) {
    if ((reachable >> i & 1) == 0) proof.unreachedKeys.push_back(search.keys[i]);
  }
  if (!proof.unreachedKeys.empty()) return;
  State root;
  root.collected = withFixedKeys(search, 0);
  root.zoneOf.assign(search.items.size(), -1);
  root.load.assign(kZoneBits, 0);
  for (std::size_t item = 0; item < search.items.size(); ++item) {
    const int key = search.itemKey[item];
    const uint64_t others = key < 0 ? freeKeys : freeKeys & ~(uint64_t{1} << key);
    search.best.push_back(openZones(search, key < 0 ? ~uint64_t{0} : withFixedKeys(search, others)) & ~search.locked[item] & search.roomy);
  }
  if (!narrowByOrder(search)) {
    proof.slotsShort = true;
    return;
  }
  for (std::size_t item = 0; item < search.items.size(); ++item) {
    root.allowed.push_back(search.best[item]);
    uint64_t visited = 0;
    if (!augment(search, root, item, visited)) {
      proof.slotsShort = true;
      return;
    }
  }
  const bool found = explore(search, root);
  if (!found) {
    proof.decided = !search.aborted;
    proof.slotsShort = proof.decided;
    return;
  }
  fillPlacement(state, search, root, placement);
  GenerationState check = state;
  check.placement = placement;
  proof.feasible = checkPlacement(check);
  // Cannot happen by the argument above; if it did, nothing is proven.
  proof.decided = proof.feasible;
  if (proof.feasible) proof.placement = placement;
}

}  // namespace

namespace {

// The placement with the pins and `plando` only (-1 elsewhere); records in
// `proof` a fixed item that lies in a zone it locks.
Placement fixedPlacement(const GenerationState& state, const FixedItems& plando, PlandoProof& proof) {
  Placement placement(kSlotCount, -1);
  FixedItems fixed;
  for (SlotIndex slot : pinnedSlotOrder(state.options)) fixed.push_back({slot, slot});
  fixed.insert(fixed.end(), plando.begin(), plando.end());
  for (const FixedItem& line : fixed) {
    placement[static_cast<std::size_t>(line.slot)] = line.item;
    if (proof.selfLockedItem < 0 && locks(state, line.item, state.slotZones[static_cast<std::size_t>(line.slot)]))
      proof.selfLockedItem = line.item;
  }
  return placement;
}

// The greedy on the fixed items of `placement`; true with proof.placement
// set when it finds a passing placement.
bool tryGreedy(const GenerationState& state, const Placement& placement, PlandoProof& proof) {
  std::vector<bool> placed(kSlotCount, false);
  for (int32_t item : placement) {
    if (item >= 0) placed[static_cast<std::size_t>(item)] = true;
  }
  PlandoProof greedy;
  if (!greedyPlacement(state, placement, placed, greedy)) return false;
  proof.feasible = true;
  proof.placement = greedy.placement;
  return true;
}

}  // namespace

PlandoProof provePlacement(const GenerationState& state, const FixedItems& plando) {
  PlandoProof proof;
  const Placement placement = fixedPlacement(state, plando, proof);
  if (proof.selfLockedItem >= 0) return proof;
  std::set<int32_t> keys;
  for (const auto& entry : state.unlockTable) keys.insert(entry.second.begin(), entry.second.end());
  // The exact search runs first: on random plandos it takes microseconds
  // where the greedy takes milliseconds. The greedy stays for the rare
  // plando on which the search stops at its bound.
  decideExactly(state, placement, keys, proof);
  if (!proof.decided && tryGreedy(state, placement, proof)) proof.decided = true;
  return proof;
}

PlandoProof provePlacementGreedily(const GenerationState& state, const FixedItems& plando) {
  PlandoProof proof;
  const Placement placement = fixedPlacement(state, plando, proof);
  if (proof.selfLockedItem >= 0) return proof;
  std::vector<bool> placed(kSlotCount, false);
  for (int32_t item : placement) {
    if (item >= 0) placed[static_cast<std::size_t>(item)] = true;
  }
  greedyPlacement(state, placement, placed, proof);
  return proof;
}
