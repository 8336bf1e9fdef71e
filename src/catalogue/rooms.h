#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/generation_state.h"

// When a room heading is written.
enum class HeadingCondition : uint8_t {
  kAlways,
  kChrisOnly,        // Jill's one main hall slot is listed in another room
  kNotInHard,        // every slot of the room is pinned in Hard and left out
  kChrisNormalOnly,  // the room's slots are pinned or moved in every other mode
};

// A room heading, written just before the item line of `slot`.
struct CheatSheetHeading {
  int32_t slot;
  const char* text;
  HeadingCondition condition;
};

// The room headings in slot order.
constexpr CheatSheetHeading kCheatSheetHeadings[] = {
    {0, "MAIN HALL", HeadingCondition::kChrisOnly},
    {1, "DINING ROOM", HeadingCondition::kAlways},
    {4, "WEST WING OUTER STAIRWAY", HeadingCondition::kAlways},
    {7, "NORTHERN CORRIDOR", HeadingCondition::kNotInHard},
    {8, "RESEARCHER'S BEDROOM", HeadingCondition::kAlways},
    {10, "SMALL STOREROOM", HeadingCondition::kAlways},
    {13, "TIGER STATUE ROOM", HeadingCondition::kAlways},
    {15, "BAR", HeadingCondition::kAlways},
    {16, "GREENHOUSE", HeadingCondition::kAlways},
    {17, "GRAVEYARD", HeadingCondition::kAlways},
    {18, "LARGE GALLERY", HeadingCondition::kAlways},
    {19, "ART ROOM", HeadingCondition::kAlways},
    {20, "L CORRIDOR", HeadingCondition::kAlways},
    {22, "LARGE ART ROOM", HeadingCondition::kAlways},
    {23, "MIRROR ROOM", HeadingCondition::kAlways},
    {26, "LIVING ROOM", HeadingCondition::kAlways},
    {28, "OUTSIDE BOILER", HeadingCondition::kAlways},
    {32, "BATHROOM", HeadingCondition::kAlways},
    {33, "COURTYARD STUDY", HeadingCondition::kAlways},
    {36, "EAST WING STOREROOM", HeadingCondition::kAlways},
    {41, "GARDEN SHED", HeadingCondition::kAlways},
    {47, "SECRET PASSAGE", HeadingCondition::kAlways},
    {48, "OUTSIDE BALCONY", HeadingCondition::kAlways},
    {49, "DINING ROOM 2F", HeadingCondition::kNotInHard},
    {50, "MIRROR CORRIDOR", HeadingCondition::kAlways},
    {53, "ELEVATOR CORRIDOR", HeadingCondition::kAlways},
    {56, "MATERIALS ROOM", HeadingCondition::kAlways},
    {60, "TROPHY ROOM", HeadingCondition::kAlways},
    {64, "LIBRARY", HeadingCondition::kAlways},
    {67, "OUTSIDE PATIO", HeadingCondition::kAlways},
    {70, "PILLAR ROOM", HeadingCondition::kAlways},
    {72, "SMALL DINING ROOM", HeadingCondition::kAlways},
    {75, "ATTIC ENTRY", HeadingCondition::kChrisNormalOnly},
    {76, "ATTIC", HeadingCondition::kAlways},
    {78, "C CORRIDOR", HeadingCondition::kAlways},
    {79, "ARMOR ROOM", HeadingCondition::kAlways},
    {80, "SLIDING TRAP ROOM", HeadingCondition::kNotInHard},
    {81, "RESTING ROOM", HeadingCondition::kAlways},
    {82, "SMALL LIBRARY", HeadingCondition::kAlways},
    {84, "BEDROOM", HeadingCondition::kAlways},
    {88, "DEER ROOM", HeadingCondition::kAlways},
    {89, "FISH TANK ROOM", HeadingCondition::kAlways},
    {93, "KITCHEN", HeadingCondition::kAlways},
    {95, "CONCRETE PASSAGE 2", HeadingCondition::kAlways},
    {99, "CONCRETE PASSAGE 1", HeadingCondition::kAlways},
    {100, "CRYPT", HeadingCondition::kAlways},
    {103, "SMALL HEADSTONE AREA", HeadingCondition::kAlways},
    {107, "CABIN", HeadingCondition::kAlways},
    {108, "MAIN GARDEN", HeadingCondition::kNotInHard},
    {110, "ZIGZAG PATH", HeadingCondition::kNotInHard},
    {111, "ENTRANCE PASSAGE", HeadingCondition::kAlways},
    {113, "GENERATOR ROOM", HeadingCondition::kAlways},
    {116, "ENRICO ROOM", HeadingCondition::kAlways},
    {117, "BOULDER PASSAGE 1", HeadingCondition::kAlways},
    {118, "SPIDER ROOM", HeadingCondition::kAlways},
    {119, "STRAIGHT PASSAGE", HeadingCondition::kAlways},
    {121, "BOULDER PASSAGE 2", HeadingCondition::kAlways},
    {122, "UNDERGROUND STATUE ROOM", HeadingCondition::kAlways},
    {123, "GARBAGE COMPACTOR ROOM", HeadingCondition::kAlways},
    {124, "WINDING UNDERGROUND PASSAGE", HeadingCondition::kAlways},
    {126, "UNDERGROUND STORAGE", HeadingCondition::kAlways},
    {129, "LISA'S ROOM", HeadingCondition::kAlways},
    {132, "ENTRY CORRIDOR", HeadingCondition::kAlways},
    {135, "RESIDENCE STOREROOM", HeadingCondition::kAlways},
    {137, "ROOM 001", HeadingCondition::kAlways},
    {139, "ROOM 001 BATHROOM", HeadingCondition::kAlways},
    {140, "REC ROOM", HeadingCondition::kAlways},
    {145, "ROOM 002 BATHROOM", HeadingCondition::kAlways},
    {146, "GALLERY", HeadingCondition::kAlways},
    {150, "PLANT 42 ROOM", HeadingCondition::kAlways},
    {151, "AQUA RING ENTRY", HeadingCondition::kAlways},
    {152, "CONTROL ROOM", HeadingCondition::kNotInHard},
    {153, "AQUA RING STORAGE", HeadingCondition::kAlways},
    {154, "AQUA RING WATER TANK", HeadingCondition::kAlways},
    {155, "AQUA RING EXIT", HeadingCondition::kNotInHard},
    {156, "ITEM BOX ROOM", HeadingCondition::kAlways},
    {157, "LABORATORY STAIRWAY", HeadingCondition::kAlways},
    {160, "VISUAL DATA ROOM", HeadingCondition::kAlways},
    {164, "PASS CODE CORRIDOR", HeadingCondition::kAlways},
    {165, "X-RAY ROOM B", HeadingCondition::kAlways},
    {167, "X-RAY ROOM A", HeadingCondition::kAlways},
    {169, "O ROOM", HeadingCondition::kAlways},
    {170, "OPERATING ROOM", HeadingCondition::kAlways},
    {173, "MORGUE", HeadingCondition::kAlways},
    {175, "LABORATORY LOUNGE ROOM", HeadingCondition::kAlways},
    {178, "POWER MAZE A", HeadingCondition::kAlways},
    {179, "POWER MAZE B", HeadingCondition::kAlways},
};

// Jill's slots that stand in other rooms than Chris's: their lines are written
// at the places below instead of their own.
constexpr int32_t kJillMovedSlots[] = {0, 37, 75, 76, 85, 94};

// Heading Jill's Bottle slots are listed under, before the Plant 42 room.
constexpr const char* kResidenceMedicalRoomHeading = "RESIDENCE MEDICAL ROOM";

// Per slot, the room heading the cheat sheet lists the slot's line under; for
// a slot whose line is left out, the heading in force at its own place.
std::vector<const char*> cheatSheetRooms(const RunOptions& options);

// A room of the cheat sheet: its heading and the slots listed under it, in
// file order; a room whose slots are all left out lists none.
struct CheatSheetRoom {
  const char* heading;
  std::vector<SlotIndex> slots;
};

// The rooms of the cheat sheet in file order, with the slots whose item lines
// it writes under each, for these options.
std::vector<CheatSheetRoom> cheatSheetLayout(const RunOptions& options);

// Where slot `slot` lies, as the cheat sheet shows it: its room heading, ": "
// and the slot's display name, e.g. "BAR: Missing Music"; the second slot of
// one name in a room as "WINDING UNDERGROUND PASSAGE: Green Herb (2)".
std::string slotPlace(const GenerationState& state, SlotIndex slot);
