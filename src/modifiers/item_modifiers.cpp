#include "modifiers/item_modifiers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/item_classes.h"
#include "catalogue/key_items.h"

namespace {

// Item classes a catalogue entry can belong to, one bit each.
constexpr unsigned kHealthClass = 1u << 0;
constexpr unsigned kAmmoClass = 1u << 1;
constexpr unsigned kInkRibbonClass = 1u << 2;
constexpr unsigned kDefenceClass = 1u << 3;
constexpr unsigned kGunSwapExtraClass = 1u << 4;
constexpr unsigned kEmptyFuelCapsuleClass = 1u << 5;

constexpr unsigned kAnyGunSwapClass =
    kHealthClass | kAmmoClass | kInkRibbonClass | kDefenceClass | kGunSwapExtraClass;

// One junk-swapping modifier: the switch that turns it on and the class it
// swaps. Listed in the order the steps run on a slot.
struct JunkModifier {
  bool RunOptions::*enabled;
  unsigned itemClass;
};

constexpr JunkModifier kJunkModifiers[] = {
    {&RunOptions::healingToJunk, kHealthClass},
    {&RunOptions::inkRibbonsToJunk, kInkRibbonClass},
    {&RunOptions::ammoToJunk, kAmmoClass},
    {&RunOptions::defenceToJunk, kDefenceClass},
};

// Announcements, in the order of the modifier menu (not the order of the steps).
struct Announcement {
  bool RunOptions::*enabled;
  const char* text;
};

constexpr Announcement kAnnouncements[] = {
    {&RunOptions::healingToJunk, "Swapping out Health items with Junk"},
    {&RunOptions::ammoToJunk, "Swapping out Ammo items with Junk"},
    {&RunOptions::inkRibbonsToJunk, "Swapping out Ink Ribbons with Junk"},
    {&RunOptions::defenceToJunk, "Swapping out Defense Items with Junk"},
    {&RunOptions::allToSelfDefenseGun, "Swapping all non-key items out with Self-Defense Gun"},
};

template <std::size_t N>
bool isListed(const std::string& name, const char* const (&list)[N]) {
  for (const char* listed : list) {
    if (name == listed) return true;
  }
  return false;
}

unsigned classesOf(const std::string& name) {
  unsigned classes = 0;
  if (isListed(name, kHealthItemNames)) classes |= kHealthClass;
  if (isListed(name, kAmmoItemNames)) classes |= kAmmoClass;
  if (name == kInkRibbonName) classes |= kInkRibbonClass;
  if (isListed(name, kDefenceItemNames)) classes |= kDefenceClass;
  if (isListed(name, kGunSwapExtraNames)) classes |= kGunSwapExtraClass;
  if (name == kEmptyFuelCapsuleName) classes |= kEmptyFuelCapsuleClass;
  return classes;
}

// Per catalogue entry, whether it is a key item of the run's tables.
std::vector<bool> keyEntries(const GenerationState& state) {
  std::vector<bool> keys(static_cast<std::size_t>(kExtraNameIndex) + 1, false);
  for (SlotIndex item : keyItems(state)) {
    if (item >= 0 && item <= kExtraNameIndex) keys[static_cast<std::size_t>(item)] = true;
  }
  return keys;
}

}  // namespace

void applyItemModifiers(GenerationState& state, Reporter& reporter) {
  const RunOptions& options = state.options;
  for (const Announcement& announcement : kAnnouncements) {
    if (options.*announcement.enabled) printLine(reporter, announcement.text);
  }
  if (!options.healingToJunk && !options.ammoToJunk && !options.inkRibbonsToJunk &&
      !options.defenceToJunk && !options.allToSelfDefenseGun && !options.armedFuelCapsule) {
    return;
  }

  // Names repeat across many entries, so each entry's classes are worked out
  // once instead of comparing texts at every step of every slot.
  std::vector<unsigned> entryClasses;
  entryClasses.reserve(state.slotNames.size());
  for (const std::string& name : state.slotNames) entryClasses.push_back(classesOf(name));
  // Every step re-reads the slot's current entry, so it sees what an earlier
  // step for the same slot wrote; a value with no name belongs to no class.
  const auto classesAt = [&entryClasses](int32_t entry) -> unsigned {
    if (entry < 0 || static_cast<std::size_t>(entry) >= entryClasses.size()) return 0;
    return entryClasses[static_cast<std::size_t>(entry)];
  };

  // Modifier 5 leaves the run's key items where they are: a missing key
  // would close its zones and make the run impossible to complete.
  const std::vector<bool> keyEntry = keyEntries(state);
  const auto isKey = [&keyEntry](int32_t entry) {
    return entry >= 0 && static_cast<std::size_t>(entry) < keyEntry.size() && keyEntry[static_cast<std::size_t>(entry)];
  };

  const std::size_t slots = std::min<std::size_t>(state.placement.size(), kSlotCount);
  for (std::size_t i = 0; i < slots; ++i) {
    int32_t& entry = state.placement[i];
    for (const JunkModifier& modifier : kJunkModifiers) {
      if (options.*modifier.enabled && (classesAt(entry) & modifier.itemClass)) {
        entry = kJunkEntries[state.random.below(4)];
      }
    }
    if (options.allToSelfDefenseGun && (classesAt(entry) & kAnyGunSwapClass) && !isKey(entry)) {
      entry = kSelfDefenseGunEntry;
    }
    if (options.armedFuelCapsule && (classesAt(entry) & kEmptyFuelCapsuleClass)) {
      entry = kExtraNameIndex;
    }
  }
}

std::vector<int32_t> modifierResults(const GenerationState& state, int32_t entry) {
  const std::vector<std::string>& slotNames = state.slotNames;
  const std::vector<bool> keyEntry = keyEntries(state);
  const auto classesAt = [&slotNames](int32_t value) -> unsigned {
    if (value < 0 || static_cast<std::size_t>(value) >= slotNames.size()) return 0;
    return classesOf(slotNames[static_cast<std::size_t>(value)]);
  };
  // The steps run in a fixed order, each on what the earlier ones left.
  std::vector<int32_t> results{entry};
  if (classesAt(entry) & (kHealthClass | kAmmoClass | kInkRibbonClass | kDefenceClass)) {
    results.insert(results.end(), std::begin(kJunkEntries), std::end(kJunkEntries));
  }
  for (std::size_t k = 0, count = results.size(); k < count; ++k) {
    const bool key = results[k] >= 0 && results[k] <= kExtraNameIndex && keyEntry[static_cast<std::size_t>(results[k])];
    if ((classesAt(results[k]) & kAnyGunSwapClass) && !key) {
      results.push_back(kSelfDefenseGunEntry);
      break;
    }
  }
  for (std::size_t k = 0, count = results.size(); k < count; ++k) {
    if (classesAt(results[k]) & kEmptyFuelCapsuleClass) {
      results.push_back(kExtraNameIndex);
      break;
    }
  }
  return results;
}
