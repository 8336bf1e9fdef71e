#pragma once

// The two menu pages as a player sees them with every switch off.

inline constexpr char kMainPage[] =
    "PICK A NUMBER:\n"
    "1) Chris - Normal Difficulty\n"
    "2) Jill - Normal Difficulty\n"
    "3) Chris - Hard Difficulty\n"
    "4) Jill - Hard Difficulty\n"
    "5) Add Modifiers\n"
    "6) Enemy Randomizer: OFF\n";

inline constexpr char kModifierPage[] =
    "CHOOSE A MODIFIER\n"
    "1) Swap healing items with Junk - OFF\n"
    "2) Swap ammo items with Junk - OFF\n"
    "3) Swap ink ribbons with Junk - OFF\n"
    "4) Swap Defence Items with Junk - OFF\n"
    "5) Swap all non-key items with Self-defense Gun (BUGGY) - OFF\n"
    "6) ARMED fuel supply capsule on pickup - OFF\n"
    "7) Back to Main Menu\n";
