#pragma once

// A literal reading of the enemy assignment rules, kept apart from the
// program's version so the two can be compared draw for draw.

#include <algorithm>
#include <string>
#include <vector>

#include "state/generation_state.h"

inline bool allows(const std::vector<EnemyCode>& codes, EnemyCode code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// Literal reading of the assignment rules, written apart from the program's
// version so the two can be compared draw for draw. `nextRaw` yields raw
// generator values as rand() does; returns the number of values used.
template <typename NextRaw>
int referenceAssign(EnemyRoomTable& table, NextRaw nextRaw) {
  int draws = 0;
  auto draw = [&](size_t n) {
    ++draws;
    return static_cast<unsigned>(nextRaw()) % static_cast<unsigned>(n);
  };
  std::vector<std::string> list3, list7, list10;
  for (auto it = table.begin(); it != table.end(); ++it) {
    if (allows(it->second, 3)) list3.push_back(it->first);
    if (allows(it->second, 7)) list7.push_back(it->first);
    if (allows(it->second, 10)) list10.push_back(it->first);
  }
  std::string room3, room7, room10;
  for (;;) {
    const unsigned i3 = draw(list3.size());
    const unsigned i7 = draw(list7.size());
    const unsigned i10 = draw(list10.size());
    if (list3[i3] == list7[i7] || list3[i3] == list10[i10] || list7[i7] == list10[i10]) continue;
    room3 = list3[i3];
    room7 = list7[i7];
    room10 = list10[i10];
    break;
  }
  for (auto it = table.begin(); it != table.end(); ++it) {
    if (it->first == room3) {
      it->second = {3};
    } else if (it->first == room7) {
      it->second = {7};
    } else if (it->first == room10) {
      it->second = {10};
    } else {
      EnemyCode code;
      do {
        code = it->second[draw(it->second.size())];
      } while (code == 3 || code == 7 || code == 10);
      it->second.clear();
      it->second.push_back(code);
    }
  }
  return draws;
}

