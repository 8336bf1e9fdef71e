#pragma once

#include <string>

#include "output/text_file.h"
#include "state/generation_state.h"

// "ItemListChrisNormal.txt" and its three siblings.
std::string itemListFileName(const RunOptions& options);

// The bytes of the item list file: one decimal line per slot, then the enemy
// block when the enemy randomizer is on.
std::string formatItemList(const GenerationState& state);

// Prints "Writing to NAME", writes the file safely and prints
// "ItemList created!" and the file code line. On failure reports on reporter.errors, prints no
// success line and returns false.
bool writeItemListFile(const GenerationState& state, const OutputSettings& settings, Reporter& reporter);
