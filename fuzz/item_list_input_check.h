#pragma once

// Runs the item list reader, the completion check and the key route on
// arbitrary bytes, for each of the four settings, and checks what they must
// keep whatever the bytes. Shared by the fuzzer and the corpus replay test.

#include <cstddef>
#include <cstdint>
#include <string>

#include "placement/key_route.h"
#include "state/generation_state.h"

// Empty when the route of state.placement keeps its promises: every key item
// once (in a step, out of reach or missing), every step reachable with the
// keys of the steps before it, nothing out of reach that a further step
// could take.
std::string keyRouteFault(const GenerationState& state, const KeyRoute& route);

// Empty when everything held on `data`, else what went wrong.
std::string checkItemListInput(const uint8_t* data, size_t size);
