#pragma once

#include "state/generation_state.h"

// Word the cheat sheet prints for an enemy code 1..10 ("HUNTERS" .. "LISA");
// empty for any other value.
const char* enemyCodeWord(EnemyCode code);
