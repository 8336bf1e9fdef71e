#include "placement/candidate_search.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "catalogue/pins.h"
#include "placement/search_kernel_common.h"

namespace {

constexpr int kDegree = CRandom::kDegree;
constexpr int kLag = CRandom::kDegree - CRandom::kSeparation;

constexpr uint64_t bit(int index) { return uint64_t{1} << index; }

// The index of the lowest set bit of a nonzero mask.
inline int lowestBit(uint64_t mask) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(mask);
#else
  int index = 0;
  for (; (mask & 1) == 0; mask >>= 1) ++index;
  return index;
#endif
}

// The chain check: followKeyChain fails from some item exactly when the graph
// "item -> key items its zone needs" has a cycle, and every cycle runs through
// key items only. Peeling off, round by round, the key items whose needs are
// all peeled already empties the graph exactly when it has no cycle. Keys
// that need none are peeled before the rounds, which then visit only the keys
// left. keySlots[k] is the slot that receives keyItems[k].
bool keyChainsAcyclic(const SearchTables& tables, const std::array<uint8_t, kMaskBits>& keySlots) {
  std::array<uint64_t, kMaskBits> needs;
  uint64_t remaining = 0;
  for (int k = 0; k < tables.keyCount; ++k) {
    needs[k] = tables.neededKeys[tables.slotZone[keySlots[k]]];
    remaining |= needs[k] != 0 ? bit(k) : 0;
  }
  for (;;) {
    uint64_t peeled = 0;
    for (uint64_t left = remaining; left != 0; left &= left - 1) {
      const int k = lowestBit(left);
      peeled |= (needs[k] & remaining) == 0 ? bit(k) : 0;
    }
    if (peeled == 0) return remaining == 0;
    remaining &= ~peeled;
  }
}

// A complete candidate in both directions.
struct Candidate {
  std::array<int32_t, kSlotCount> itemIn;  // slot -> item it receives
  std::array<uint8_t, kSlotCount> slotOf;  // item -> slot receiving it
};

bool candidatePasses(const SearchTables& tables, const Candidate& candidate) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if ((tables.lockedZones[candidate.itemIn[slot]] & tables.slotZoneBit[slot]) != 0) return false;
  }
  std::array<uint8_t, kMaskBits> keySlots{};
  for (int k = 0; k < tables.keyCount; ++k) keySlots[k] = candidate.slotOf[tables.keyItems[k]];
  return keyChainsAcyclic(tables, keySlots);
}

// The shuffle of shufflePlacement on the given words: draws from a pool kept
// in ascending order, then pins, with the inverse kept up to date instead of
// searched.
void drawCandidate(const SearchTables& tables, const uint32_t* words, Candidate& candidate) {
  uint8_t pool[kSlotCount];
  for (int i = 0; i < kSlotCount; ++i) pool[i] = static_cast<uint8_t>(i);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const uint8_t index = scalarIndex(words, slot);
    const uint8_t item = pool[index];
    std::memmove(pool + index, pool + index + 1, kSlotCount - slot - 1 - index);
    candidate.itemIn[slot] = item;
    candidate.slotOf[item] = static_cast<uint8_t>(slot);
  }
  for (SlotIndex k : tables.pinOrder) {
    const uint8_t item = tables.pinItem[k];
    const int holder = candidate.slotOf[item];
    const int32_t displaced = candidate.itemIn[k];
    candidate.itemIn[holder] = displaced;
    candidate.slotOf[displaced] = static_cast<uint8_t>(holder);
    candidate.itemIn[k] = item;
    candidate.slotOf[item] = static_cast<uint8_t>(k);
  }
}

// The slot each slot's drawn item ends up in after one pin: a pinned slot's
// item goes to the slot that drew the item pinned there, an unpinned slot's
// stays (plando slots count as pinned).
// The pins leave an unpinned item in the slot that drew it when that slot is
// unpinned; otherwise the pin of that slot hands the item on, and so on until
// an unpinned slot (at the latest the item's own). The result does not depend
// on the order of the pins.
struct PinMoves {
  std::array<uint8_t, kSlotCount> next;
};

PinMoves pinMoves(const SearchTables& tables, const std::array<uint8_t, SearchTables::kFollowLanes>& drawnBy) {
  PinMoves moves;
  for (int slot = 0; slot < kSlotCount; ++slot) moves.next[slot] = static_cast<uint8_t>(slot);
  for (SlotIndex pinned : tables.pinOrder) moves.next[pinned] = drawnBy[tables.followLane[tables.pinItem[pinned]]];
  return moves;
}

// The slot that receives unpinned `item` once the candidate is pinned. Three
// moves are made whatever the slots, so that the common walks take no
// branch; longer ones go on one move at a time. Each move goes back one place
// along a cycle of the draws, which holds the item itself, so the walk ends
// within kSlotCount moves.
uint8_t slotAfterPins(const SearchTables& tables, const PinMoves& moves,
                      const std::array<uint8_t, SearchTables::kFollowLanes>& drawnBy, SlotIndex item) {
  uint8_t slot = moves.next[moves.next[moves.next[drawnBy[tables.followLane[item]]]]];
  for (int step = 3; tables.pinned[slot] && step < kSlotCount; ++step) slot = moves.next[slot];
  return slot;
}

// Both checks from the followed items alone.
bool followedCandidatePasses(const SearchTables& tables,
                             const std::array<uint8_t, SearchTables::kFollowLanes>& drawnBy) {
  if (tables.pinnedItemClashes) return false;
  const PinMoves moves = pinMoves(tables, drawnBy);
  for (SlotIndex item : tables.lockedItems) {
    const uint8_t slot = slotAfterPins(tables, moves, drawnBy, item);
    if ((tables.lockedZones[item] & tables.slotZoneBit[slot]) != 0) return false;
  }
  std::array<uint8_t, kMaskBits> keySlots{};
  for (int k = 0; k < tables.keyCount; ++k) {
    const SlotIndex key = tables.keyItems[k];
    const uint8_t fixed = tables.fixedSlot[key];
    keySlots[k] = fixed != SearchTables::kNoLane ? fixed : slotAfterPins(tables, moves, drawnBy, key);
  }
  return keyChainsAcyclic(tables, keySlots);
}

// The verdict on the candidate drawn from `words`, by the cheapest way the
// tables allow.
bool drawnCandidatePasses(const SearchTables& tables, const uint32_t* words, uint8_t* indices, WordsInProgress& next,
                          Candidate& scratch) {
  if (tables.kernel->clashesWhileDrawing(tables.lanes, words, indices, next)) return false;
  if (tables.followFits) {
    std::array<uint8_t, SearchTables::kFollowLanes> drawnBy;
    tables.kernel->followDraws(tables.lanes, indices, drawnBy.data());
    return followedCandidatePasses(tables, drawnBy);
  }
  drawCandidate(tables, words, scratch);
  return candidatePasses(tables, scratch);
}

// The build of the inner loops named `name`, or the fastest this processor
// has when it is empty. The front ends refuse a name that gives no build
// before any run.
const SearchKernel* chosenKernel(const std::string& name) {
  const char* lacking = nullptr;
  const SearchKernel* kernel = name.empty() ? nullptr : searchKernelNamed(name.c_str(), lacking);
  return kernel != nullptr ? kernel : &searchKernel(searchKernelCount() - 1);
}

// Each slot's zone and zone bit; false when a zone does not fit the mask.
bool deriveSlotZones(const GenerationState& state, SearchTables& tables) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Zone zone = state.slotZones[slot];
    if (zone < 0 || zone >= kMaskBits) return false;
    tables.slotZone[slot] = static_cast<uint8_t>(zone);
    tables.slotZoneBit[slot] = bit(zone);
  }
  return true;
}

// Each item's locked zones; returns the items that have any. Zones outside
// the mask belong to no slot, so they can never clash or be entered and are
// left out. Items outside the catalogue are never looked up.
std::vector<SlotIndex> deriveLockedZones(const GenerationState& state, SearchTables& tables) {
  std::vector<SlotIndex> withLocks;
  for (const auto& entry : state.lockTable) {
    const int32_t item = entry.first;
    if (item < 0 || item >= kSlotCount) continue;
    for (Zone zone : entry.second) {
      if (zone >= 0 && zone < kMaskBits) tables.lockedZones[item] |= bit(zone);
    }
    if (tables.lockedZones[item] != 0) withLocks.push_back(item);
  }
  return withLocks;
}

// The key items (those some unlock list names) into `keys`, and per zone the
// key items needed to enter it; false when a needed item lies outside the
// catalogue, where it has no slot to be found in, or the keys exceed the mask.
bool deriveKeyItems(const GenerationState& state, SearchTables& tables, std::set<int32_t>& keys) {
  for (const auto& entry : state.unlockTable) {
    if (entry.first < 0 || entry.first >= kMaskBits) continue;
    for (int32_t item : entry.second) {
      if (item < 0 || item >= kSlotCount) return false;
      keys.insert(item);
    }
  }
  if (keys.size() > static_cast<size_t>(kMaskBits)) return false;
  std::array<int, kSlotCount> keyIndex{};
  for (int32_t item : keys) {
    keyIndex[item] = tables.keyCount;
    tables.keyItems[tables.keyCount++] = item;
  }
  for (const auto& entry : state.unlockTable) {
    if (entry.first < 0 || entry.first >= kMaskBits) continue;
    for (int32_t item : entry.second) tables.neededKeys[entry.first] |= bit(keyIndex[item]);
  }
  return true;
}

// The slots the shuffle pins, then the plando's slots, in exchange order;
// the item each receives; which slots are among them; and where each fixed
// item ends.
void derivePins(const GenerationState& state, const FixedItems& fixed, SearchTables& tables) {
  tables.pinOrder = pinnedSlotOrder(state.options);
  for (SlotIndex slot : tables.pinOrder) tables.pinItem[slot] = static_cast<uint8_t>(slot);
  for (const FixedItem& line : fixed) {
    tables.pinOrder.push_back(line.slot);
    tables.pinItem[line.slot] = static_cast<uint8_t>(line.item);
  }
  tables.fixedSlot.fill(SearchTables::kNoLane);
  for (SlotIndex slot : tables.pinOrder) {
    tables.pinned[slot] = true;
    tables.fixedSlot[tables.pinItem[slot]] = static_cast<uint8_t>(slot);
  }
}

// Whether `item` clashes in `slot` when that slot is unpinned (a pinned or
// plando slot always receives its own fixed item).
bool clashesInUnpinned(const SearchTables& tables, SlotIndex item, int slot) {
  return !tables.pinned[slot] && (tables.lockedZones[item] & tables.slotZoneBit[slot]) != 0;
}

// The items of `withLocks` that can clash, as (-unpinned slots they clash
// in, item), most first and ties to the lower item. A pinned or plando item
// always lies in its slot, so whether it clashes is known here once for all.
std::vector<std::pair<int, SlotIndex>> clashingItems(SearchTables& tables, const std::vector<SlotIndex>& withLocks) {
  std::vector<std::pair<int, SlotIndex>> clashing;
  for (SlotIndex item : withLocks) {
    if (tables.fixedSlot[item] != SearchTables::kNoLane) {
      if ((tables.lockedZones[item] & tables.slotZoneBit[tables.fixedSlot[item]]) != 0) {
        tables.pinnedItemClashes = true;
      }
      continue;
    }
    int slots = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) slots += clashesInUnpinned(tables, item, slot) ? 1 : 0;
    if (slots > 0) clashing.emplace_back(-slots, item);
  }
  std::sort(clashing.begin(), clashing.end());
  return clashing;
}

// First pass: the items that clash in the most unpinned slots reject the
// most candidates early. The self-lock check looks at the same items in the
// same order, so that it stops early. An unpinned item that clashes in no
// unpinned slot never clashes: the pins leave it in an unpinned slot.
void deriveClashLanes(SearchTables& tables, const std::vector<SlotIndex>& withLocks) {
  const std::vector<std::pair<int, SlotIndex>> clashing = clashingItems(tables, withLocks);
  for (const auto& entry : clashing) tables.lockedItems.push_back(entry.second);
  std::fill(std::begin(tables.lanes.clashItems), std::end(tables.lanes.clashItems), SearchTables::kNoLane);
  for (size_t lane = 0; lane < clashing.size() && lane < SearchTables::kClashLanes; ++lane) {
    const SlotIndex item = clashing[lane].second;
    tables.lanes.clashItems[lane] = static_cast<uint8_t>(item);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (clashesInUnpinned(tables, item, slot)) tables.lanes.clashesInSlot[slot][lane] = 0xff;
    }
  }
}

// Second pass: everything the checks locate, when it fits the lanes.
void deriveFollowLanes(SearchTables& tables, const std::set<int32_t>& keys) {
  std::set<SlotIndex> followed(tables.lockedItems.begin(), tables.lockedItems.end());
  followed.insert(keys.begin(), keys.end());
  for (SlotIndex slot : tables.pinOrder) followed.insert(tables.pinItem[slot]);
  tables.followFits = followed.size() <= static_cast<size_t>(SearchTables::kFollowLanes);
  std::fill(std::begin(tables.lanes.followedItems), std::end(tables.lanes.followedItems), SearchTables::kNoLane);
  tables.followLane.fill(SearchTables::kNoLane);
  if (!tables.followFits) return;
  uint8_t lane = 0;
  for (SlotIndex item : followed) {
    tables.lanes.followedItems[lane] = static_cast<uint8_t>(item);
    tables.followLane[item] = lane++;
  }
}

}  // namespace

SearchTables deriveSearchTables(const GenerationState& state, const std::string& kernel, const FixedItems& fixed) {
  SearchTables tables;
  tables.kernel = chosenKernel(kernel);
  if (!deriveSlotZones(state, tables)) return tables;
  const std::vector<SlotIndex> withLocks = deriveLockedZones(state, tables);
  std::set<int32_t> keys;
  if (!deriveKeyItems(state, tables, keys)) return tables;
  derivePins(state, fixed, tables);
  deriveClashLanes(tables, withLocks);
  deriveFollowLanes(tables, keys);
  tables.usable = true;
  return tables;
}

bool placementPasses(const SearchTables& tables, const Placement& placement) {
  Candidate candidate;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    candidate.itemIn[slot] = placement[slot];
    candidate.slotOf[placement[slot]] = static_cast<uint8_t>(slot);
  }
  return candidatePasses(tables, candidate);
}

SearchOutcome searchFrom(const SearchTables& tables, CRandom& random, int32_t maxAttempts, Placement& placement) {
  // The generator as runs of words, oldest first: the last kKernelHistory
  // words it produced, then the draws of a batch of candidates. Each new word is the sum of the words
  // kDegree and kSeparation places before it, so the words older than the
  // generator's kDegree follow backwards from those. Two such runs take
  // turns: while the candidates of one are judged, the kernel makes the next
  // batch in the other.
  uint32_t runs[2][kKernelHistory + kKernelWords];
  uint32_t* words = runs[0] + kKernelHistory;
  WordsInProgress next{runs[1] + kKernelHistory, 0};
  for (int i = 0; i < kDegree; ++i) words[i - kDegree] = random.state[(random.front + i) % kDegree];
  for (int i = kKernelHistory - kDegree - 1; i >= 0; --i) runs[0][i] = runs[0][i + kDegree] - runs[0][i + kLag];

  Candidate candidate;
  SearchOutcome outcome;
  // Just past the words of the last candidate drawn: where the generator stops.
  const uint32_t* drawnUpTo = words;
  tables.kernel->makeWords(words, 0, kKernelWords);
  std::copy(words + kKernelWords - kKernelHistory, words + kKernelWords, next.words - kKernelHistory);
  int inBatch = 0;
  uint8_t indices[kSlotCount];
  while (outcome.attempts < maxAttempts && !outcome.found) {
    if (inBatch == kKernelBatch) {
      tables.kernel->makeWords(next.words, next.made, kKernelWords);
      std::swap(words, next.words);
      std::copy(words + kKernelWords - kKernelHistory, words + kKernelWords, next.words - kKernelHistory);
      next.made = 0;
      inBatch = 0;
    }
    const uint32_t* candidateWords = words + kSlotCount * inBatch++;
    drawnUpTo = candidateWords + kSlotCount;
    ++outcome.attempts;
    if (drawnCandidatePasses(tables, candidateWords, indices, next, candidate)) {
      drawCandidate(tables, candidateWords, candidate);
      outcome.found = true;
    }
  }

  // Leave the generator exactly as 180 calls of next() per candidate would.
  random.front = 0;
  random.rear = kLag;
  for (int i = 0; i < kDegree; ++i) random.state[i] = drawnUpTo[i - kDegree];
  if (outcome.found) placement.assign(candidate.itemIn.begin(), candidate.itemIn.end());
  return outcome;
}

bool searchCandidates(GenerationState& state, const SearchTables& tables, int32_t maxAttempts) {
  const SearchOutcome outcome = searchFrom(tables, state.random, maxAttempts, state.placement);
  state.attemptCount += outcome.attempts;
  return outcome.found;
}
