#pragma once

#include "state/generation_state.h"

// One row of the slot catalogue. A null name means "as the column it defaults
// to": Chris Hard and Jill Normal default to Chris Normal, Jill Hard to Jill
// Normal.
struct SlotRow {
  const char* chrisNormal;
  const char* chrisHard;
  const char* jillNormal;
  const char* jillHard;
  Zone zoneChris;
  Zone zoneJill;
};

// Display name of catalogue entry 180, which no slot holds.
constexpr const char* kArmedFuelCapsuleName = "Fuel Supply Capsule (ARMED)";

// The catalogue row of slot s (0 <= s < kSlotCount).
const SlotRow& slotRow(SlotIndex s);

// Display name of slot s for a character and difficulty.
const char* slotName(SlotIndex s, bool chris, bool hard);

// Appends the 181 names and 180 zones of the chosen character and difficulty
// to slotNames and slotZones (both empty on entry).
void buildSlotCatalogue(GenerationState& state);
