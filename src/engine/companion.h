#pragma once

#include <string>
#include <utility>
#include <vector>

#include "placement/key_route.h"
#include "state/generation_state.h"

// Loads the run an item list file describes into a fresh state, for the
// character and difficulty already in state.options: catalogue, constraint tables, placement and, when
// the file has an enemy block, each room's enemy (enemyRandomizer then on).
// False with "line N: reason" in `error` when the bytes are no item list.
bool openItemList(GenerationState& state, const std::string& bytes, std::string& error);

// A room as the player meets it: the cheat sheet heading, the slots listed
// under it, and the enemy-table rooms of the same name (with the enemy
// randomizer on; "Crypt / Graveyard" belongs to both CRYPT and GRAVEYARD).
struct CompanionRoom {
  std::string heading;
  std::vector<SlotIndex> slots;
  std::vector<std::string> enemyRooms;
};

// The rooms of the cheat sheet in its order, and the enemy-table rooms that
// share no heading with it (rooms without item slots), in key order.
struct CompanionRooms {
  std::vector<CompanionRoom> rooms;
  std::vector<std::string> enemyRoomsWithoutItems;
};

// The run of `state` room by room, as its cheat sheet lists it, each room
// followed by its slots the cheat sheet leaves out whose item was changed.
CompanionRooms companionRooms(const GenerationState& state);

// The enemy word of an assigned enemy-table room ("HUNTERS" .. "LISA").
std::string enemyWordOf(const GenerationState& state, const std::string& room);

// A name per key item that tells namesakes apart: the display name, and for a
// name several key items share, " 1", " 2"... in item order ("Old Key 3").
std::vector<std::string> keyItemLabels(const GenerationState& state, const std::vector<SlotIndex>& keys);

// The slots of companionRooms whose item's name contains `text`, ignoring
// ASCII case, in that order; none for an empty text.
std::vector<SlotIndex> slotsWithItemNamed(const GenerationState& state, const std::string& text);

// Pairs (opener, opened) of key items that slots hold: `opener` is needed to
// enter the zone `opened` lies in. Ordered by opened's slot, then opener.
std::vector<std::pair<SlotIndex, SlotIndex>> keyRouteLinks(const GenerationState& state);
