#pragma once

#include <string>
#include <utility>
#include <vector>

#include "output/item_list_reader.h"
#include "placement/key_route.h"
#include "state/generation_state.h"

// Loads the run an item list file describes into a fresh state, for the
// character and difficulty already in state.options: catalogue, constraint tables, placement and, when
// the file has an enemy block, each room's enemy (enemyRandomizer then on).
// False with "line N: reason" in `error` when the bytes are no item list.
bool openItemList(GenerationState& state, const std::string& bytes, std::string& error);

// The run of an item list already read, loaded as openItemList loads it:
// builds the catalogue and constraint tables it needs first.
void loadItemList(GenerationState& state, const ItemListContents& contents);

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

// The name the companion gives catalogue entry `entry`: a key item's numbered
// name (keyItemName), any other item's display name.
std::string itemLabel(const GenerationState& state, int32_t entry);

// The slots of companionRooms whose item's itemLabel contains `text`,
// ignoring ASCII case, in that order; none for an empty text.
std::vector<SlotIndex> slotsWithItemNamed(const GenerationState& state, const std::string& text);

// Pairs (opener, opened) of key items that slots hold: `opener` is needed to
// enter the zone `opened` lies in. Ordered by opened's slot, then opener.
std::vector<std::pair<SlotIndex, SlotIndex>> keyRouteLinks(const GenerationState& state);
