#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "state/generation_state.h"

// The most bytes of a file worth reading to tell whether it is an item list.
// An item list is under 2 KB; reading stops well past that, so any file,
// however large, costs little. A longer file is never an item list, and its
// first bad line lies within what is read.
constexpr std::size_t kItemListReadLimit = 64 * 1024;

// What an item list file holds.
struct ItemListContents {
  // kSlotCount catalogue entries, each 0..kExtraNameIndex.
  Placement placement;
  // Empty without an enemy block, else one code per room in key order.
  std::vector<EnemyCode> enemyCodes;
};

// Why bytes are not an item list: the first bad line (counted from 1) and
// what is wrong with it.
struct ItemListFault {
  int line = 0;
  std::string reason;
};

// Reads the bytes of an item list file as this program writes it, with CR LF
// or LF line ends (the last line end may be missing): 180 catalogue entries
// in plain decimal, then optionally "ENEMYRANDODATA" and one code per room
// that keeps the rules of the enemy assignment. Returns false with the first
// fault found; any bytes are safe to pass.
bool readItemList(const std::string& bytes, ItemListContents& contents, ItemListFault& fault);
