#pragma once

#include <string>
#include <vector>

#include "state/generation_state.h"

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
