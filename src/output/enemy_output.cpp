#include "output/enemy_output.h"

#include "catalogue/enemy_words.h"
#include "output/text_file.h"

void writeEnemyDataBlock(std::ostream& out, const EnemyRoomTable& table) {
  out << "ENEMYRANDODATA" << kLineEnd;
  for (const auto& entry : table) out << entry.second.front() << kLineEnd;
}

void writeEnemyPositionsSection(std::ostream& out, const EnemyRoomTable& table) {
  out << kLineEnd << kLineEnd << "ENEMY RANDO POSITIONS" << kLineEnd << kLineEnd;
  for (const auto& [room, codes] : table) out << room << ':' << enemyCodeWord(codes.front()) << kLineEnd;
}
