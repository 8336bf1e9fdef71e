#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "state/c_random.h"
#include "state/version.h"

// Number of item pick-up slots; slots are numbered 0..kSlotCount-1.
constexpr int kSlotCount = 180;
// Index of the extra display name "Fuel Supply Capsule (ARMED)", which belongs
// to no slot.
constexpr int kExtraNameIndex = 180;
// Attempts after which a generation gives up. A Chris run on Hard, the rarest
// setting, needs about 1.3 million on average, so a real run never comes near
// it (the chance is below 1 in 10^1400); only tables that admit no valid
// placement do, and they then end with a message instead of running forever.
constexpr int64_t kAttemptLimit = int64_t{1} << 32;
static_assert(kAttemptLimit > (int64_t{1} << 31), "the limit must stay far above what real runs need");

using SlotIndex = int32_t;
using Zone = int32_t;
using EnemyCode = int32_t;
// Placement[s] is the catalogue entry whose item slot s gives.
using Placement = std::vector<int32_t>;
// Key item -> zones behind it.
using LockTable = std::map<int32_t, std::vector<int32_t>>;
// Zone -> key items needed to enter it.
using UnlockTable = std::map<int32_t, std::vector<int32_t>>;
// Room name -> candidate enemy codes, later the one code assigned.
using EnemyRoomTable = std::map<std::string, std::vector<EnemyCode>>;

// What the player chose on the menu (or on the command line).
struct RunOptions {
  bool character = false;  // true = Chris, false = Jill
  bool hardDifficulty = false;
  bool enemyRandomizer = false;
  bool healingToJunk = false;        // modifier 1
  bool ammoToJunk = false;           // modifier 2
  bool inkRibbonsToJunk = false;     // modifier 3
  bool defenceToJunk = false;        // modifier 4
  bool allToSelfDefenseGun = false;  // modifier 5
  bool armedFuelCapsule = false;     // modifier 6
  bool modifierMenuShown = false;
};

// The options and the generation data of one run, and its generator; how the
// run is carried out (threads, files, where it prints) is the engine's.
// main owns the only one; tests build their own.
struct GenerationState {
  RunOptions options;
  std::string version = std::string("Version ") + kProgramVersion;

  std::vector<std::string> slotNames;  // 181 after the catalogue is built
  std::vector<Zone> slotZones;         // 180 after the catalogue is built
  LockTable lockTable;
  UnlockTable unlockTable;

  Placement placement;
  std::vector<int32_t> dependencyPath;
  // 64 bits, so a count past 2^31 is still printed right.
  int64_t attemptCount = 0;
  bool placementValid = false;

  EnemyRoomTable enemyRoomTable;

  // The run's one random generator; seeded once, after the menu.
  CRandom random;
};

// Modifiers are numbered 1 to kModifierCount, as on the modifier page and
// as --modifier takes them.
constexpr int kModifierCount = 6;
// The switch of modifier `number`; nullptr for a number outside 1..kModifierCount.
bool* modifierSwitch(RunOptions& options, int number);
// Whether modifier `number` (1..kModifierCount) is on.
bool modifierOn(const RunOptions& options, int number);
// The modifiers as one number, bit n-1 standing for modifier n: the form the
// page and its links pass them in.
int modifierMask(const RunOptions& options);
// Switches each modifier as `mask` (see modifierMask) says; other bits are ignored.
void setModifierMask(RunOptions& options, int mask);

// Length of the well-formed UTF-8 sequence of two to four bytes at text[at]
// (no overlong forms, surrogates or code points past U+10FFFF), or 0.
std::size_t utf8SequenceLength(const std::string& text, std::size_t at);

// `text` (a file name, an option value) as a message may quote it: control
// characters and bytes that are not valid UTF-8 become \xNN, so the message
// stays one line and shows what was typed.
std::string printable(const std::string& text);

// "Chris" or "Jill", and "Normal" or "Hard", as the file names spell them.
const char* characterName(const RunOptions& options);
const char* difficultyName(const RunOptions& options);
