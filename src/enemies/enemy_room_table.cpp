#include "enemies/enemy_room_table.h"

namespace {

// Longest candidate list: every code 1..10 once.
constexpr int kMaxEnemyCandidates = 10;

struct EnemyRoomRow {
  const char* name;
  // Strictly ascending; entries after the last code stay 0.
  EnemyCode candidates[kMaxEnemyCandidates];
};

// Kept in key order so the rows read like the output blocks; the map sorts
// them anyway. Candidate order matters: the assignment picks by position.
constexpr EnemyRoomRow kEnemyRoomRows[kEnemyRoomCount] = {
    {"Aqua Ring Walkway", {1, 5, 6, 7, 9, 10}},
    {"Art Room", {1, 3, 5, 6, 7, 8, 9}},
    {"Attic", {1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Attic Entry", {1, 2, 4, 5, 6, 8, 9, 10}},
    {"Bathroom / Winding Corridor", {1, 2, 3, 4, 5, 6, 7, 8, 10}},
    {"Boulder Passage 1", {1, 2, 4, 6, 8, 9}},
    {"C Corridor", {1, 4, 5, 6, 7, 8, 9, 10}},
    {"Concrete Passage 1", {2, 5, 6, 8, 9, 10}},
    {"Concrete Passage 2", {1, 2, 4, 5, 6, 8, 9, 10}},
    {"Crypt / Graveyard", {1, 4, 5, 6, 8, 9}},
    {"Dark Corridor", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Dining Room", {1, 2, 4, 6, 8}},
    {"Dining Room 2F", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"East Wing Stairway", {1, 4, 5, 6, 8, 9, 10}},
    {"Elevator Corridor", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Elevator Entry", {1, 3, 4, 5, 6, 8, 9, 10}},
    {"Enrico Room", {1, 2, 4, 6, 8, 9}},
    {"Entry Corridor", {2, 3, 5, 7, 10}},
    {"Forest Pathway", {1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Forked Passage", {1, 4, 5, 6, 8, 9, 10}},
    {"Jessica's Tomb", {1, 2, 4, 5, 6, 7, 8, 9, 10}},
    {"Kitchen", {1, 5, 6, 7, 8, 9, 10}},
    {"L Corridor", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Laboratory Stairway", {3, 5, 6, 7, 9, 10}},
    {"Large Gallery", {2, 4, 7, 8, 9}},
    {"Library", {1, 2, 6, 7, 8, 9}},
    {"Main Garden", {1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Main Hall", {1, 3, 4, 5, 10}},
    {"Main Laboratory", {1, 2, 4, 5, 6, 8, 9, 10}},
    {"Mirror Corridor", {1, 2, 4, 5, 6, 8, 10}},
    {"Mirror Room", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"O Room", {1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Outside Boiler", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Outside Patio", {1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Pillar Room", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Power Control Room", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Power Maze A", {2, 3, 4, 6, 8, 9, 10}},
    {"Power Maze B", {2, 8, 9, 10}},
    {"Researcher's Bedroom", {1, 2, 3, 5, 6, 8, 10}},
    {"Roofed Passage", {2, 3, 4, 5, 6, 7, 8, 10}},
    {"Room 001", {1, 2, 4, 5, 6, 8, 9}},
    {"Room 001 Bathroom", {1, 2, 3, 4, 5, 6, 8, 9, 10}},
    {"Room 002", {1, 2, 4, 5, 6, 8, 9, 10}},
    {"Room 002 Bathroom", {1, 2, 3, 5, 6, 7, 9}},
    {"Small Dining Room", {1, 2, 4, 5, 6, 8, 9}},
    {"Small Library", {1}},
    {"Surgeon's Room / Morgue", {1, 2, 8, 9, 10}},
    {"Tea Room / Northern Corridor", {1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Tiger Statue Room", {1, 2, 4, 5, 6, 8, 9}},
    {"West Wing Inner Stairway", {1, 3, 4, 5, 6, 8, 9, 10}},
    {"West Wing Outer Stairway", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Winding Underground Passage", {1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"X-Ray Room B", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
};

}  // namespace

void buildEnemyRoomTable(GenerationState& state) { loadEnemyRoomTable(state.enemyRoomTable); }

void loadEnemyRoomTable(EnemyRoomTable& table) {
  for (const EnemyRoomRow& row : kEnemyRoomRows) {
    std::vector<EnemyCode>& candidates = table[row.name];
    candidates.clear();
    for (EnemyCode code : row.candidates) {
      if (code == 0) break;
      candidates.push_back(code);
    }
  }
}
