#include "engine/companion.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>

#include "catalogue/enemy_words.h"
#include "catalogue/key_items.h"
#include "catalogue/rooms.h"
#include "catalogue/slot_catalogue.h"
#include "enemies/enemy_room_table.h"
#include "output/item_list_reader.h"
#include "placement/constraint_tables.h"

namespace {

std::string upperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The headings an enemy-table room stands for: its name in upper case, or
// each part of a name such as "Surgeon's Room / Morgue".
std::vector<std::string> headingsOfEnemyRoom(const std::string& room) {
  std::vector<std::string> headings;
  const std::string separator = " / ";
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = room.find(separator, start);
    headings.push_back(upperCase(room.substr(start, end - start)));
    if (end == std::string::npos) break;
    start = end + separator.size();
  }
  return headings;
}

}  // namespace

bool openItemList(GenerationState& state, const std::string& bytes, std::string& error) {
  ItemListContents contents;
  ItemListFault fault;
  if (!readItemList(bytes, contents, fault)) {
    error = "line " + std::to_string(fault.line) + ": " + fault.reason;
    return false;
  }
  loadItemList(state, contents);
  return true;
}

void loadItemList(GenerationState& state, const ItemListContents& contents) {
  buildSlotCatalogue(state);
  buildConstraintTables(state);
  state.placement = contents.placement;
  state.options.enemyRandomizer = !contents.enemyCodes.empty();
  if (state.options.enemyRandomizer) {
    loadEnemyRoomTable(state.enemyRoomTable);
    // The n-th code belongs to the n-th room in key order, as the trainer reads it.
    std::size_t room = 0;
    for (auto& entry : state.enemyRoomTable) entry.second = {contents.enemyCodes.at(room++)};
  }
}

CompanionRooms companionRooms(const GenerationState& state) {
  CompanionRooms result;
  std::map<std::string, std::size_t> byHeading;
  std::vector<bool> listed(static_cast<std::size_t>(kSlotCount), false);
  for (const CheatSheetRoom& room : cheatSheetLayout(state.options)) {
    byHeading.emplace(room.heading, result.rooms.size());
    result.rooms.push_back({room.heading, room.slots, {}});
    for (SlotIndex slot : room.slots) listed.at(static_cast<std::size_t>(slot)) = true;
  }
  // The cheat sheet leaves out slots the mode keeps, yet a modifier may still
  // change their item (the gun of modifier 5); the player meets those too.
  const std::vector<const char*> headings = cheatSheetRooms(state.options);
  for (SlotIndex slot = 0; slot < kSlotCount; ++slot) {
    const auto index = static_cast<std::size_t>(slot);
    if (listed.at(index) || state.placement.at(index) == slot) continue;
    const auto found = byHeading.find(headings.at(index));
    if (found != byHeading.end()) result.rooms[found->second].slots.push_back(slot);
  }
  if (!state.options.enemyRandomizer) return result;
  for (const auto& entry : state.enemyRoomTable) {
    bool placed = false;
    for (const std::string& heading : headingsOfEnemyRoom(entry.first)) {
      const auto found = byHeading.find(heading);
      if (found == byHeading.end()) continue;
      result.rooms[found->second].enemyRooms.push_back(entry.first);
      placed = true;
    }
    if (!placed) result.enemyRoomsWithoutItems.push_back(entry.first);
  }
  return result;
}

std::string enemyWordOf(const GenerationState& state, const std::string& room) {
  const auto found = state.enemyRoomTable.find(room);
  if (found == state.enemyRoomTable.end() || found->second.empty()) return "";
  return enemyCodeWord(found->second.front());
}

std::string itemLabel(const GenerationState& state, int32_t entry) {
  const std::vector<SlotIndex> keys = keyItems(state);
  if (std::binary_search(keys.begin(), keys.end(), entry)) return keyItemName(state, entry);
  return state.slotNames.at(static_cast<std::size_t>(entry));
}

std::vector<SlotIndex> slotsWithItemNamed(const GenerationState& state, const std::string& text) {
  std::vector<SlotIndex> found;
  if (text.empty()) return found;
  const std::string wanted = upperCase(text);
  for (const CompanionRoom& room : companionRooms(state).rooms) {
    for (SlotIndex slot : room.slots) {
      const int32_t entry = state.placement.at(static_cast<std::size_t>(slot));
      if (upperCase(itemLabel(state, entry)).find(wanted) != std::string::npos) {
        found.push_back(slot);
      }
    }
  }
  return found;
}

std::vector<std::pair<SlotIndex, SlotIndex>> keyRouteLinks(const GenerationState& state) {
  std::vector<std::pair<SlotIndex, SlotIndex>> links;
  std::vector<std::pair<SlotIndex, SlotIndex>> held;  // (slot, item)
  for (SlotIndex item : keyItems(state)) {
    const SlotIndex slot = slotHolding(state.placement, item);
    if (slot >= 0) held.emplace_back(slot, item);
  }
  std::sort(held.begin(), held.end());
  for (const auto& [slot, item] : held) {
    std::vector<int32_t> openers = keysNeededFor(state, state.slotZones.at(static_cast<std::size_t>(slot)));
    std::sort(openers.begin(), openers.end());
    for (int32_t opener : openers) {
      if (opener >= 0 && opener <= kSlotCount && slotHolding(state.placement, opener) >= 0) {
        links.emplace_back(opener, item);
      }
    }
  }
  return links;
}
