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

bool writeItemListFile(const GenerationState& state, const OutputSettings& settings, Reporter& reporter) {
  const std::string name = itemListFileName(state.options);
  printLine(reporter, "Writing to " + name);
  const std::string bytes = formatItemList(state);
  if (!writeOutputFile(settings, reporter, name, bytes)) return false;
  printLine(reporter, "ItemList created!");
  // Players compare it at a glance to know they play the same file.
  printLine(reporter, fileCodeLine(bytes));
  return true;
}
