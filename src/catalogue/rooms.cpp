#include "catalogue/rooms.h"

#include <cstddef>
#include <cstring>
#include <iterator>

#include "catalogue/pins.h"

namespace {

// Lines of Jill's moved slots, written just before the heading of `atSlot`
// (under `heading` first, when it has one).
struct JillMovedLines {
  int32_t atSlot;
  const char* heading;
  int32_t slots[4];
  int slotCount;
};

constexpr JillMovedLines kJillMovedLines[] = {
    {70, nullptr, {37}, 1},
    {84, nullptr, {0}, 1},
    {150, kResidenceMedicalRoomHeading, {94, 75, 76, 85}, 4},
};

// The slot loop walks the headings once, in step with the slots.
constexpr bool headingsInSlotOrder() {
  int32_t previous = -1;
  for (const CheatSheetHeading& heading : kCheatSheetHeadings) {
    if (heading.slot <= previous || heading.slot >= kSlotCount) return false;
    previous = heading.slot;
  }
  return true;
}
static_assert(headingsInSlotOrder(), "room headings must be sorted by slot, one per slot");

template <std::size_t N>
bool contains(const int32_t (&list)[N], int32_t slot) {
  for (int32_t listed : list) {
    if (listed == slot) return true;
  }
  return false;
}

bool headingWritten(HeadingCondition condition, const RunOptions& options) {
  switch (condition) {
    case HeadingCondition::kAlways:
      return true;
    case HeadingCondition::kChrisOnly:
      return options.character;
    case HeadingCondition::kNotInHard:
      return !options.hardDifficulty;
    case HeadingCondition::kChrisNormalOnly:
      return options.character && !options.hardDifficulty;
  }
  return false;
}

// Whether slot `slot` gets its line at its own position. The omissions are
// fixed lists, not read from the placement: a listed slot stays out even when
// a modifier changed its item.
bool itemLineAtOwnPlace(int32_t slot, const RunOptions& options) {
  const bool chris = options.character;
  const bool hard = options.hardDifficulty;
  // Slots pinned in Hard difficulty never move, so they get no line.
  if (hard && contains(kHardPinnedSlots, slot)) return false;
  if (!chris && contains(kJillMovedSlots, slot)) return false;
  if (!chris && !hard && contains(kJillNormalPinnedSlots, slot)) return false;
  if (chris && hard && contains(kChrisHardPinnedSlots, slot)) return false;
  return true;
}

// Walks the slot section of the cheat sheet in file order: heading(text) for
// each room heading written, item(slot) for each item line, and
// omitted(slot) for a slot whose line is left out at its own place.
template <typename Heading, typename Item, typename Omitted>
void walkCheatSheet(const RunOptions& options, Heading heading, Item item, Omitted omitted) {
  std::size_t nextHeading = 0;
  for (int32_t slot = 0; slot < kSlotCount; ++slot) {
    if (!options.character) {
      for (const JillMovedLines& moved : kJillMovedLines) {
        if (moved.atSlot != slot) continue;
        if (moved.heading) heading(moved.heading);
        for (int k = 0; k < moved.slotCount; ++k) item(moved.slots[k]);
      }
    }
    for (; nextHeading < std::size(kCheatSheetHeadings) && kCheatSheetHeadings[nextHeading].slot == slot;
         ++nextHeading) {
      const CheatSheetHeading& entry = kCheatSheetHeadings[nextHeading];
      if (headingWritten(entry.condition, options)) heading(entry.text);
    }
    if (itemLineAtOwnPlace(slot, options)) {
      item(slot);
    } else if (options.character || !contains(kJillMovedSlots, slot)) {
      omitted(slot);
    }
  }
}

}  // namespace

std::vector<const char*> cheatSheetRooms(const RunOptions& options) {
  std::vector<const char*> rooms(kSlotCount, "");
  const char* current = "";
  const auto place = [&rooms, &current](int32_t slot) { rooms[static_cast<std::size_t>(slot)] = current; };
  walkCheatSheet(options, [&current](const char* heading) { current = heading; }, place, place);
  return rooms;
}

std::vector<CheatSheetRoom> cheatSheetLayout(const RunOptions& options) {
  std::vector<CheatSheetRoom> rooms;
  walkCheatSheet(
      options, [&rooms](const char* heading) { rooms.push_back({heading, {}}); },
      [&rooms](int32_t slot) {
        // Every mode starts with a heading; a line before one would still get a room.
        if (rooms.empty()) rooms.push_back({"", {}});
        rooms.back().slots.push_back(slot);
      },
      [](int32_t) {});
  return rooms;
}

std::string slotPlace(const GenerationState& state, SlotIndex slot) {
  const auto index = static_cast<std::size_t>(slot);
  const std::vector<const char*> rooms = cheatSheetRooms(state.options);
  // A room with two slots of one name (Hard's two Green Herbs in the winding
  // passage) tells them apart, so that a line names one slot.
  int namesake = 1;
  for (std::size_t other = 0; other < index; ++other) {
    namesake += std::strcmp(rooms[other], rooms.at(index)) == 0 && state.slotNames[other] == state.slotNames[index];
  }
  const std::string place = std::string(rooms.at(index)) + ": " + state.slotNames.at(index);
  return namesake == 1 ? place : place + " (" + std::to_string(namesake) + ")";
}
