#include "placement/reference_placement.h"

#include <cstdlib>
#include <ostream>
#include <vector>

#include "catalogue/slot_catalogue.h"
#include "placement/constraint_tables.h"

ReferenceRandom::ReferenceRandom(uint32_t seed) : fallback(seed) {
#ifdef __GLIBC__
  std::srand(seed);
#endif
}

uint32_t ReferenceRandom::next() {
#ifdef __GLIBC__
  return static_cast<uint32_t>(std::rand());
#else
  return static_cast<uint32_t>(fallback.next());
#endif
}

void referencePinSlot(Placement& placement, SlotIndex k) {
  size_t p = 0;
  while (placement[p] != k) ++p;
  const int32_t v = placement[k];
  placement[p] = v;
  placement[k] = k;
}

void referenceShufflePlacement(GenerationState& state, ReferenceRandom& random) {
  state.placement.clear();
  std::vector<int32_t> pool;
  for (int32_t i = 0; i < kSlotCount; ++i) pool.push_back(i);
  while (!pool.empty()) {
    const uint32_t i = random.next() % static_cast<uint32_t>(pool.size());
    state.placement.push_back(pool[i]);
    pool.erase(pool.begin() + i);
  }

  const std::vector<SlotIndex> common = {90, 91, 114, 48, 123, 147};
  const std::vector<SlotIndex> hard = {4,   5,   7,   21,  27,  40,  49,  55,  64,  65,  68,  69,  72,
                                       80,  84,  93,  95,  98,  108, 109, 110, 113, 119, 126, 132,
                                       134, 138, 141, 144, 152, 155, 158, 160, 162, 170, 172, 173};
  for (SlotIndex k : common) referencePinSlot(state.placement, k);
  if (state.options.hardDifficulty) {
    for (SlotIndex k : hard) referencePinSlot(state.placement, k);
  }
  if (!state.options.character) {
    referencePinSlot(state.placement, 26);
    referencePinSlot(state.placement, 27);
    if (!state.options.hardDifficulty) referencePinSlot(state.placement, 39);
  } else if (state.options.hardDifficulty) {
    referencePinSlot(state.placement, 75);
    referencePinSlot(state.placement, 76);
  }
  ++state.attemptCount;
}

namespace {

// The first slot that receives `item`.
size_t slotReceiving(const Placement& placement, int32_t item) {
  size_t p = 0;
  while (placement[p] != item) ++p;
  return p;
}

}  // namespace

bool referenceFollowKeyChain(GenerationState& state, int32_t item) {
  const Zone zone = state.slotZones[slotReceiving(state.placement, item)];
  const std::vector<int32_t> needed = state.unlockTable[zone];
  state.dependencyPath.push_back(item);
  for (int32_t d : needed) {
    for (int32_t onPath : state.dependencyPath) {
      if (onPath == d) return false;
    }
    if (!referenceFollowKeyChain(state, d)) return false;
  }
  state.dependencyPath.pop_back();
  return true;
}

void referenceValidatePlacement(GenerationState& state, std::ostream& console) {
  for (int32_t a = 0; a < kSlotCount; ++a) {
    const Zone zone = state.slotZones[slotReceiving(state.placement, a)];
    for (Zone locked : state.lockTable[a]) {
      if (locked == zone) return;
    }
  }
  for (int32_t s = 0; s < kSlotCount; ++s) {
    if (!referenceFollowKeyChain(state, s)) {
      state.dependencyPath.clear();
      return;
    }
  }
  console << "Valid sequence generated!\n" << std::flush;
  console << "Number of times the items were randomized before finding a valid sequence:" << state.attemptCount
          << "\n"
          << std::flush;
  state.placementValid = true;
}

void referenceGeneratePlacement(GenerationState& state, ReferenceRandom& random, std::ostream& console,
                                int64_t attemptLimit) {
  while (!state.placementValid && state.attemptCount < attemptLimit) {
    referenceShufflePlacement(state, random);
    referenceValidatePlacement(state, console);
  }
}

GenerationState builtState(bool chris, bool hard) {
  GenerationState state;
  state.options.character = chris;
  state.options.hardDifficulty = hard;
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  return state;
}
