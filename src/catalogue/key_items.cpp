#include "catalogue/key_items.h"

#include <algorithm>
#include <cstddef>

std::vector<SlotIndex> keyItems(const GenerationState& state) {
  std::vector<SlotIndex> items;
  for (const auto& [item, zones] : state.lockTable) {
    if (!zones.empty()) items.push_back(item);
  }
  for (const auto& entry : state.unlockTable) items.insert(items.end(), entry.second.begin(), entry.second.end());
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
  return items;
}

std::string keyItemName(const GenerationState& state, SlotIndex item) {
  const std::string& name = state.slotNames.at(static_cast<std::size_t>(item));
  int namesakes = 0;
  int number = 0;
  for (SlotIndex key : keyItems(state)) {
    if (state.slotNames.at(static_cast<std::size_t>(key)) != name) continue;
    ++namesakes;
    if (key <= item) number = namesakes;
  }
  return namesakes > 1 ? name + " " + std::to_string(number) : name;
}
