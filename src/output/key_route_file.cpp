#include "output/key_route_file.h"

#include <cstddef>

#include "catalogue/key_items.h"
#include "catalogue/rooms.h"
#include "output/text_file.h"

std::string keyRouteFileName(const RunOptions& options) {
  return std::string("KeyRoute") + characterName(options) + difficultyName(options) + ".txt";
}

std::string keyRouteLine(const GenerationState& state, const KeyPickup& pickup) {
  return "\t" + keyItemName(state, pickup.item) + " in " + slotPlace(state, pickup.slot);
}

std::string formatKeyRoute(const GenerationState& state, const KeyRoute& route) {
  std::string text;
  for (std::size_t step = 0; step < route.steps.size(); ++step) {
    text += "Step " + std::to_string(step + 1) + kLineEnd;
    for (const KeyPickup& pickup : route.steps[step]) text += keyRouteLine(state, pickup) + kLineEnd;
  }
  if (!route.outOfReach.empty()) {
    text += std::string("Out of reach") + kLineEnd;
    for (const KeyPickup& pickup : route.outOfReach) text += keyRouteLine(state, pickup) + kLineEnd;
  }
  return text;
}

bool writeKeyRouteFile(const GenerationState& state, const OutputSettings& settings, Reporter& reporter) {
  return writeOutputFile(settings, reporter, keyRouteFileName(state.options),
                         formatKeyRoute(state, planKeyRoute(state)));
}
