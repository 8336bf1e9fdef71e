#pragma once

// A plain, literal reading of the item class modifiers, kept apart from the
// program's version so the two can be compared draw for draw.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "state/generation_state.h"

// The item classes written out independently of the production tables, so a
// wrong or missing name there shows up as a difference.
inline const std::set<std::string> kHealth = {
    "Green Herb (Left)",
    "Green Herb (Right)",
    "Green Herb (Far)",
    "Green Herb (Near)",
    "Green Herb",
    "Red Herb",
    "Blue Herb",
    "First Aid Spray",
    "Blue Herb (Right)",
    "Blue Herb (Middle)",
    "Blue Herb (Left)",
    "First Aid Box (First Aid Spray)",
    "First Aid Box (Green + Green Herb)",
    "First Aid Box (Green + Blue Herb)",
    "First Aid Box (Green Herb)",
    "First Aid Spray (after getting plant 42 item)",
};
inline const std::set<std::string> kAmmo = {
    "Incendiary Shells",
    "Shotgun Shells (after getting plant 42 item)",
    "Shotgun Shells (Right)",
    "Shotgun Shells (Left)",
    "Grenade Shells",
    "Acid Shells",
    "Grenade Shells (after getting plant 42 item)",
    "Handgun Magazine",
    "Shotgun Shells",
    "Magnum Rounds",
    "Handgun Magazine (Cupboard)",
    "Handgun Magazine (Table)",
    "Handgun Magazine (Near Door)",
    "Handgun Magazine (Near Elevator)",
};
inline const std::set<std::string> kDefence = {
    "Battery Pack",
    "Dagger",
    "Flash Grenade",
    "Flash Grenade (after getting plant 42 item)",
    "Battery Pack (after getting plant 42 item)",
};
inline const std::set<std::string> kGunExtras = {
    "Magnum Revolver", "Grenade Launcher", "Jill's Handgun", "Broken Shotgun", "X-Ray of CLARK",
    "X-Ray of GAIL",   "Wooden Mount",     "Slide Filter",   "Fuel Canteen",
};
// The key items of the run: every item with a non-empty lock row and every
// item an unlock row names.
inline std::set<int32_t> referenceKeyItems(const LockTable& locks, const UnlockTable& unlocks) {
  std::set<int32_t> keys;
  for (const auto& row : locks) {
    if (!row.second.empty()) keys.insert(row.first);
  }
  for (const auto& row : unlocks) keys.insert(row.second.begin(), row.second.end());
  return keys;
}

// Applies the switched-on modifiers to `placement`; `nextRaw` yields raw
// generator values as rand() does. Modifier 5 leaves the items in `keys`.
template <typename NextRaw>
Placement referenceModifiers(const std::vector<std::string>& names, Placement placement, const RunOptions& o,
                             NextRaw nextRaw, const std::set<int32_t>& keys) {
  const int32_t junk[4] = {167, 168, 78, 166};
  for (int i = 0; i < kSlotCount; ++i) {
    int32_t& p = placement[i];
    if (o.healingToJunk && kHealth.count(names[p])) p = junk[nextRaw() % 4];
    if (o.inkRibbonsToJunk && names[p] == "Ink Ribbon") p = junk[nextRaw() % 4];
    if (o.ammoToJunk && kAmmo.count(names[p])) p = junk[nextRaw() % 4];
    if (o.defenceToJunk && kDefence.count(names[p])) p = junk[nextRaw() % 4];
    if (o.allToSelfDefenseGun && !keys.count(p) && (kDefence.count(names[p]) || kAmmo.count(names[p]) || names[p] == "Ink Ribbon" ||
                                  kHealth.count(names[p]) || kGunExtras.count(names[p]))) {
      p = 137;
    }
    if (o.armedFuelCapsule && names[p] == "Fuel Supply Capsule (Empty)") p = 180;
  }
  return placement;
}
