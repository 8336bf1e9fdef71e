#pragma once

#include "app/generation_state.h"

// The generation loop: shuffles and validates until a placement passes.
void generatePlacement(GenerationState& state);
