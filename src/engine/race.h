#pragma once

#include <cstdint>

#include "state/generation_state.h"

// The seed of a race, from the system's secure random source, so that nobody
// can guess it from the time of the run. Returns false after reporting on
// state.errors a source that failed.
bool raceSeed(GenerationState& state, uint32_t& seed);
