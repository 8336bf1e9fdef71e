#pragma once

#include "state/generation_state.h"

// Number of rooms that receive an enemy type; the trainer expects exactly this
// many codes, one per room in key order.
constexpr int kEnemyRoomCount = 53;

// Loads every room's candidate list into state.enemyRoomTable, inserting rooms
// that are absent and replacing the whole list of rooms that are present.
void buildEnemyRoomTable(GenerationState& state);

// The same load into any table, e.g. one that checks a file's enemy block.
void loadEnemyRoomTable(EnemyRoomTable& table);
