#include "placement/validator.h"

#include <algorithm>
#include <string>

namespace {

// The slot that receives `item`.
int32_t slotOf(const Placement& placement, int32_t item) {
  return static_cast<int32_t>(std::find(placement.begin(), placement.end(), item) - placement.begin());
}

}  // namespace

bool followKeyChain(GenerationState& state, int32_t item) {
  const Zone zone = state.slotZones[slotOf(state.placement, item)];
  // A copy, because the recursion may insert into the table.
  const std::vector<int32_t> needed = state.unlockTable[zone];
  state.dependencyPath.push_back(item);
  for (int32_t d : needed) {
    const auto& path = state.dependencyPath;
    if (std::find(path.begin(), path.end(), d) != path.end()) return false;
    if (!followKeyChain(state, d)) return false;
  }
  state.dependencyPath.pop_back();
  return true;
}

bool checkPlacement(GenerationState& state) {
  for (int32_t item = 0; item < kSlotCount; ++item) {
    const Zone zone = state.slotZones[slotOf(state.placement, item)];
    const std::vector<int32_t>& locked = state.lockTable[item];
    if (std::find(locked.begin(), locked.end(), zone) != locked.end()) return false;
  }
  for (int32_t item = 0; item < kSlotCount; ++item) {
    if (!followKeyChain(state, item)) {
      state.dependencyPath.clear();
      return false;
    }
  }
  return true;
}

void validatePlacement(GenerationState& state, Reporter& reporter) {
  if (!checkPlacement(state)) return;
  printLine(reporter, "Valid sequence generated!");
  printLine(reporter, "Number of times the items were randomized before finding a valid sequence:" +
                          std::to_string(state.attemptCount));
  state.placementValid = true;
}
