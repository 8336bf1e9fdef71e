#pragma once

#include <ostream>

#include "state/generation_state.h"

// Appends the enemy block of the item list file: "ENEMYRANDODATA", then the
// code of each room in key order, one per line (CR LF line ends). The table
// must be assigned: one code per room.
void writeEnemyDataBlock(std::ostream& out, const EnemyRoomTable& table);

// Appends the enemy section of the cheat sheet: two empty lines,
// "ENEMY RANDO POSITIONS", one empty line, then "Room:WORD" per room in key
// order (CR LF line ends). The table must be assigned: one code per room.
void writeEnemyPositionsSection(std::ostream& out, const EnemyRoomTable& table);
