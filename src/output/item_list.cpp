#include "output/item_list.h"

#include <sstream>

#include "output/enemy_output.h"
#include "output/file_code.h"
#include "output/text_file.h"

std::string itemListFileName(const RunOptions& options) {
  return std::string("ItemList") + characterName(options) + difficultyName(options) + ".txt";
}

std::string formatItemList(const GenerationState& state) {
  std::ostringstream out;
  for (int s = 0; s < kSlotCount; ++s) out << state.placement[s] << kLineEnd;
  if (state.options.enemyRandomizer) writeEnemyDataBlock(out, state.enemyRoomTable);
  return out.str();
}

bool writeItemListFile(GenerationState& state) {
  const std::string name = itemListFileName(state.options);
  printLine(state, "Writing to " + name);
  const std::string bytes = formatItemList(state);
  if (!writeOutputFile(state, name, bytes)) return false;
  printLine(state, "ItemList created!");
  // Players compare it at a glance to know they play the same file.
  printLine(state, fileCodeLine(bytes));
  return true;
}
