#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/generation_state.h"

// Version of the spoiler file's layout, its "format" field; raised when a
// field changes meaning or goes away.
constexpr int kSpoilerFormat = 1;

// "Spoiler" + character + difficulty + ".json", e.g. "SpoilerChrisNormal.json".
std::string spoilerFileName(const RunOptions& options);

// The spoiler file of the run made from `seed`, for trackers and other tools:
// the options, the file code, every slot, the enemy rooms and the key route,
// as JSON with two-space indentation and LF line ends (the layout
// JSON.stringify(value, null, 2) gives, and a last line end). Needs the
// catalogue and the constraint tables built and the placement final. A
// plando run lists its plando lines last, under "plando".
std::string formatSpoilerJson(const GenerationState& state, uint32_t seed,
                              const std::vector<std::string>* plandoLines = nullptr);
