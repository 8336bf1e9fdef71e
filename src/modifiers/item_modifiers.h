#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/generation_state.h"
#include "state/reporter.h"

// Prints the announcement of each switched-on modifier 1..5, then rewrites
// state.placement slot by slot by item class (display names in
// state.slotNames); modifier 5 keeps every key item of state.lockTable and
// state.unlockTable in its slot. Draws state.random.below(4) exactly once per slot swapped
// for junk and never otherwise; with every switch off it does nothing at all.
void applyItemModifiers(GenerationState& state, Reporter& reporter);

// Every catalogue entry some mix of switched-on modifiers can leave in a slot
// that held `entry` (`entry` itself first), by state.slotNames and the key
// items of the run's tables.
std::vector<int32_t> modifierResults(const GenerationState& state, int32_t entry);
