#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/generation_state.h"
#include "state/reporter.h"

// Healing items, swapped for junk by modifier 1.
constexpr const char* kHealthItemNames[] = {
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

// Ammunition, swapped for junk by modifier 2.
constexpr const char* kAmmoItemNames[] = {
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

// The one item swapped for junk by modifier 3.
constexpr const char* kInkRibbonName = "Ink Ribbon";

// Defence items, swapped for junk by modifier 4.
constexpr const char* kDefenceItemNames[] = {
    "Battery Pack",
    "Dagger",
    "Flash Grenade",
    "Flash Grenade (after getting plant 42 item)",
    "Battery Pack (after getting plant 42 item)",
};

// Items modifier 5 replaces besides the four classes above; the junk items are
// among them, so junk that modifiers 1 to 4 put in ends as the gun too. A key
// item of the run ("Broken Shotgun", Chris's "Jill's Handgun") is never
// replaced, whatever list names it.
constexpr const char* kGunSwapExtraNames[] = {
    "Magnum Revolver", "Grenade Launcher", "Jill's Handgun", "Broken Shotgun", "X-Ray of CLARK",
    "X-Ray of GAIL",   "Wooden Mount",     "Slide Filter",   "Fuel Canteen",
};

// The item modifier 6 arms.
constexpr const char* kEmptyFuelCapsuleName = "Fuel Supply Capsule (Empty)";
// Its catalogue entry, the same in every setting.
constexpr int32_t kEmptyFuelCapsuleEntry = 178;

// Junk catalogue entries, indexed by random.below(4): "X-Ray of CLARK",
// "X-Ray of GAIL", "Wooden Mount", "Slide Filter" in every setting.
constexpr int32_t kJunkEntries[4] = {167, 168, 78, 166};

// Catalogue entry "Self Defense Gun", which modifier 5 puts in.
constexpr int32_t kSelfDefenseGunEntry = 137;

// Prints the announcement of each switched-on modifier 1..5, then rewrites
// state.placement slot by slot by item class (display names in
// state.slotNames); modifier 5 keeps every key item of state.lockTable and
// state.unlockTable in its slot. Draws state.random.below(4) exactly once per slot swapped
// for junk and never otherwise; with every switch off it does nothing at all.
void applyItemModifiers(GenerationState& state, Reporter& reporter);

// Every catalogue entry some mix of switched-on modifiers can leave in a slot
// that held `entry` (`entry` itself first), by state.slotNames and the key
// items of the run's tables.
std::vector<int32_t> modifierResults(const GenerationState& state, int32_t entry);
