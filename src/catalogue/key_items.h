#pragma once

#include <string>
#include <vector>

#include "state/generation_state.h"

// The key items of the run, ascending: every item with a lock list and every
// item an unlock list names. Reads the tables without inserting into them.
std::vector<SlotIndex> keyItems(const GenerationState& state);

// The one name of key item `item` wherever a key item is named on its own: its
// display name, plus " N" when several key items of the run share that name,
// N counting them in catalogue order from 1 ("Old Key 3").
std::string keyItemName(const GenerationState& state, SlotIndex item);
