#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "output/item_list_reader.h"
#include "placement/shuffle.h"
#include "state/generation_state.h"

// The largest plando file, and the longest line in it, that is read.
constexpr std::size_t kPlandoFileLimit = kItemListReadLimit;
constexpr std::size_t kPlandoLineLimit = 200;

// One accepted line of a plando: where it stood, the item and slot it fixes,
// and the line as the spoiler file lists it ("Old Key 2 in BAR: Missing Music").
struct PlandoLine {
  int lineNumber;
  FixedItem fixed;
  std::string text;
};

// A plando as read: the file's name (as given) and its accepted lines in file
// order.
struct Plando {
  std::string fileName;
  std::vector<PlandoLine> lines;
};

// The exchanges a plando asks for, in file order.
FixedItems plandoFixes(const Plando& plando);

// Reads `bytes`, the contents of plando or spoiler file `fileName`, for the
// run of `state` (catalogue and constraint tables built, modifiers set).
// True with every line accepted; false with one refusal per bad line in
// `refusals` ("FILE line N: reason").
bool parsePlando(const GenerationState& state, const std::string& fileName, const std::string& bytes, Plando& plando,
                 std::vector<std::string>& refusals);

// Where slot `slot` lies as a plando line names it: the cheat sheet's heading
// and slot name, the second slot of one name in a room as "NAME (2)".
std::string plandoPlace(const GenerationState& state, SlotIndex slot);

// The name of catalogue entry `item` that means exactly it: the display name,
// numbered in catalogue order ("Old Key 3") when entries share it.
std::string plandoItemName(const GenerationState& state, int32_t item);

// Whether some run keeps every line of `plando` (for the options, catalogue
// and tables of `state`): builds one such placement. When none exists, `why`
// gets the smallest set of lines that together make it impossible, one
// "FILE line N: LINE" each, and last what goes wrong. In the rare case the
// proof stops at its step limit, true with one line in `why` saying so.
bool provePlando(const GenerationState& state, const Plando& plando, std::vector<std::string>& why);
