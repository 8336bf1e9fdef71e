#include "catalogue/enemy_words.h"

namespace {

constexpr const char* kEnemyCodeWords[] = {"HUNTERS", "CHIMERAS", "TYRANTS", "DOGS", "SHARKS",
                                           "ZOMBIES", "YAWNS",    "SPIDERS", "BEES", "LISA"};

}  // namespace

const char* enemyCodeWord(EnemyCode code) {
  if (code < 1 || code > 10) return "";
  return kEnemyCodeWords[code - 1];
}
