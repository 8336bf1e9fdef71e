#pragma once

#include "state/generation_state.h"

// Appends the lock and unlock entries of the chosen character to lockTable and
// unlockTable (both empty on entry; one call per run).
void buildConstraintTables(GenerationState& state);
