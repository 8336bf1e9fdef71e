#include "enemies/enemy_assignment.h"

#include <algorithm>
#include <string>
#include <vector>

#include "enemies/enemy_room_table.h"

namespace {

bool allows(const std::vector<EnemyCode>& candidates, EnemyCode code) {
  return std::find(candidates.begin(), candidates.end(), code) != candidates.end();
}

uint32_t drawIndex(CRandom& random, size_t length) { return random.below(static_cast<uint32_t>(length)); }

}  // namespace

void randomizeEnemies(GenerationState& state, Reporter& reporter) {
  printLine(reporter, "Randomizing Enemies...");
  buildEnemyRoomTable(state);
  assignEnemies(state.enemyRoomTable, state.random);
  printLine(reporter, "Done!");
}

void assignEnemies(EnemyRoomTable& table, CRandom& random) {
  std::vector<std::string> tyrantRooms;
  std::vector<std::string> yawnRooms;
  std::vector<std::string> lisaRooms;
  for (const auto& [room, candidates] : table) {
    if (allows(candidates, 3)) tyrantRooms.push_back(room);
    if (allows(candidates, 7)) yawnRooms.push_back(room);
    if (allows(candidates, 10)) lisaRooms.push_back(room);
  }

  // Rejecting the whole triple, rather than redrawing only the clashing index,
  // keeps the three rooms uniform over all valid triples.
  const std::string* tyrantRoom;
  const std::string* yawnRoom;
  const std::string* lisaRoom;
  do {
    tyrantRoom = &tyrantRooms[drawIndex(random, tyrantRooms.size())];
    yawnRoom = &yawnRooms[drawIndex(random, yawnRooms.size())];
    lisaRoom = &lisaRooms[drawIndex(random, lisaRooms.size())];
  } while (*tyrantRoom == *yawnRoom || *tyrantRoom == *lisaRoom || *yawnRoom == *lisaRoom);

  for (auto& [room, candidates] : table) {
    EnemyCode code;
    if (room == *tyrantRoom) {
      code = 3;
    } else if (room == *yawnRoom) {
      code = 7;
    } else if (room == *lisaRoom) {
      code = 10;
    } else {
      do {
        code = candidates[drawIndex(random, candidates.size())];
      } while (isOnceOnlyEnemyCode(code));
    }
    candidates.assign(1, code);
  }
}
