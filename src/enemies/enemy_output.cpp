#include "enemies/enemy_output.h"

#include "output/text_file.h"

namespace {

constexpr const char* kEnemyCodeWords[] = {"HUNTERS", "CHIMERAS", "TYRANTS", "DOGS", "SHARKS",
                                           "ZOMBIES", "YAWNS",    "SPIDERS", "BEES", "LISA"};

}  // namespace

const char* enemyCodeWord(EnemyCode code) {
  if (code < 1 || code > 10) return "";
  return kEnemyCodeWords[code - 1];
}

void writeEnemyDataBlock(std::ostream& out, const EnemyRoomTable& table) {
  out << "ENEMYRANDODATA" << kLineEnd;
  for (const auto& entry : table) out << entry.second.front() << kLineEnd;
}

void writeEnemyPositionsSection(std::ostream& out, const EnemyRoomTable& table) {
  out << kLineEnd << kLineEnd << "ENEMY RANDO POSITIONS" << kLineEnd << kLineEnd;
  for (const auto& [room, codes] : table) out << room << ':' << enemyCodeWord(codes.front()) << kLineEnd;
}
