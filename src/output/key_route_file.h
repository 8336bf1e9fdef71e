#pragma once

#include <string>

#include "placement/key_route.h"
#include "output/text_file.h"
#include "state/generation_state.h"

// "KeyRoute" + character + difficulty + ".txt", e.g. "KeyRouteChrisNormal.txt".
std::string keyRouteFileName(const RunOptions& options);

// The line of one key item: a tab, its numbered name (keyItemName), " in "
// and slotPlace of its slot.
std::string keyRouteLine(const GenerationState& state, const KeyPickup& pickup);

// The key route file as stored (CR LF line ends): "Step N" and the lines of
// its key items, per step; then, only when some key item is out of reach,
// "Out of reach" and their lines. Needs the catalogue built.
std::string formatKeyRoute(const GenerationState& state, const KeyRoute& route);

// Plans the key route of state.placement and replaces the key route file in
// settings.directory atomically. Prints nothing; on failure one line goes
// to reporter.errors, any earlier file is kept, and the result is false.
bool writeKeyRouteFile(const GenerationState& state, const OutputSettings& settings, Reporter& reporter);
