#pragma once

#include <cstdint>
#include <vector>

#include "state/generation_state.h"

// Pinned in every run: items the game hands out at fixed places.
constexpr SlotIndex kCommonPinnedSlots[] = {90, 91, 114, 48, 123, 147};

// Slots that keep their own item in Hard difficulty, in pinning order. The
// cheat sheet leaves the same slots out in Hard difficulty.
constexpr SlotIndex kHardPinnedSlots[] = {4,   5,   7,   21,  27,  40,  49,  55,  64,  65,
                                          68,  69,  72,  80,  84,  93,  95,  98,  108, 109,
                                          110, 113, 119, 126, 132, 134, 138, 141, 144, 152,
                                          155, 158, 160, 162, 170, 172, 173};

// Pinned for Jill in both difficulties.
constexpr SlotIndex kJillPinnedSlots[] = {26, 27};

// Pinned for Jill in Normal difficulty only.
constexpr SlotIndex kJillNormalPinnedSlots[] = {39};

// Pinned for Chris in Hard difficulty besides the common Hard slots.
constexpr SlotIndex kChrisHardPinnedSlots[] = {75, 76};

// The slots the shuffle pins for these options, in the order it pins them
// (a slot may appear twice; the second pin changes nothing).
std::vector<SlotIndex> pinnedSlotOrder(const RunOptions& options);
