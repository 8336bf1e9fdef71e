#include "output/cheat_sheet.h"

#include <cstddef>
#include <sstream>

#include "catalogue/rooms.h"
#include "output/enemy_output.h"
#include "output/text_file.h"

namespace {

void writeItemLine(std::ostream& out, const GenerationState& state, int32_t slot) {
  const std::string& original = state.slotNames.at(static_cast<std::size_t>(slot));
  const int32_t entry = state.placement.at(static_cast<std::size_t>(slot));
  const std::string& replacement = state.slotNames.at(static_cast<std::size_t>(entry));
  out << '\t' << original << " is replaced with " << replacement << kLineEnd;
}

}  // namespace

std::string cheatSheetFileName(const RunOptions& options) {
  return std::string("CheatSheet") + characterName(options) + difficultyName(options) + ".txt";
}

std::string formatCheatSheet(const GenerationState& state) {
  std::ostringstream out;
  out << state.version << kLineEnd;
  out << "Room names are taken from " << kRoomMapsAddress << kLineEnd;
  for (const CheatSheetRoom& room : cheatSheetLayout(state.options)) {
    out << room.heading << kLineEnd;
    for (SlotIndex slot : room.slots) writeItemLine(out, state, slot);
  }
  if (state.options.enemyRandomizer) writeEnemyPositionsSection(out, state.enemyRoomTable);
  return out.str();
}

bool writeCheatSheet(const GenerationState& state, const OutputSettings& settings, Reporter& reporter) {
  const std::string fileName = cheatSheetFileName(state.options);
  printLine(reporter, "Now writing " + fileName);
  return writeOutputFile(settings, reporter, fileName, formatCheatSheet(state));
}
