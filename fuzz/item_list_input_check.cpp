#include "item_list_input_check.h"

#include <algorithm>
#include <vector>

#include "catalogue/key_items.h"
#include "catalogue/slot_catalogue.h"
#include "engine/item_list_check.h"
#include "output/item_list_reader.h"
#include "output/key_route_file.h"
#include "placement/constraint_tables.h"

namespace {

bool takenBy(const std::vector<bool>& taken, const GenerationState& state, SlotIndex slot) {
  for (int32_t needed : keysNeededFor(state, state.slotZones[static_cast<size_t>(slot)])) {
    if (needed < 0 || needed > kSlotCount || !taken[static_cast<size_t>(needed)]) return false;
  }
  return true;
}

}  // namespace

std::string keyRouteFault(const GenerationState& state, const KeyRoute& route) {
  std::vector<SlotIndex> listed(route.missing);
  std::vector<bool> taken(kSlotCount + 1, false);
  for (size_t step = 0; step < route.steps.size(); ++step) {
    if (route.steps[step].empty()) return "step " + std::to_string(step + 1) + " is empty";
    for (const KeyPickup& pickup : route.steps[step]) {
      if (state.placement[static_cast<size_t>(pickup.slot)] != pickup.item) return "a pickup names the wrong slot";
      if (!takenBy(taken, state, pickup.slot)) return "step " + std::to_string(step + 1) + " is not reachable";
      listed.push_back(pickup.item);
    }
    for (const KeyPickup& pickup : route.steps[step]) taken[static_cast<size_t>(pickup.item)] = true;
  }
  for (const KeyPickup& pickup : route.outOfReach) {
    if (takenBy(taken, state, pickup.slot)) return "a key item out of reach can be reached";
    listed.push_back(pickup.item);
  }
  for (SlotIndex item : route.missing) {
    if (std::find(state.placement.begin(), state.placement.end(), item) != state.placement.end()) {
      return "a key item the placement holds is called missing";
    }
  }
  std::sort(listed.begin(), listed.end());
  if (listed != keyItems(state)) return "the route does not list every key item exactly once";
  return "";
}

std::string checkItemListInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ItemListContents contents;
  ItemListFault fault;
  if (!readItemList(bytes, contents, fault)) {
    if (fault.line < 1 || fault.reason.empty()) return "a fault without a line or a reason";
    if (fault.reason.find_first_of("\r\n") != std::string::npos) return "a fault reason of several lines";
    return "";
  }
  if (contents.placement.size() != static_cast<size_t>(kSlotCount)) return "a placement of the wrong size";
  for (int32_t entry : contents.placement) {
    if (entry < 0 || entry > kExtraNameIndex) return "an entry outside the catalogue";
  }
  if (!contents.enemyCodes.empty() && contents.enemyCodes.size() != 53) return "an enemy block of the wrong size";

  for (int setting = 0; setting < 4; ++setting) {
    GenerationState state;
    state.options.character = (setting & 1) != 0;
    state.options.hardDifficulty = (setting & 2) != 0;
    buildSlotCatalogue(state);
    buildConstraintTables(state);
    state.placement = contents.placement;
    const std::vector<std::string> problems = completionProblems(state);
    const KeyRoute route = planKeyRoute(state);
    const std::string fault = keyRouteFault(state, route);
    if (!fault.empty()) return fault;
    // A run that can be completed has every key item on its route.
    if (problems.empty() && !route.outOfReach.empty()) return "a completable run with key items out of reach";
    formatKeyRoute(state, route);
  }
  return "";
}
