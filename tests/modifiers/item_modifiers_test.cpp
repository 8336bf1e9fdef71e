#include "modifiers/item_modifiers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "state/generation_state.h"
#include "catalogue/item_classes.h"
#include "catalogue/slot_catalogue.h"
#include "modifiers/reference_item_modifiers.h"
#include "placement/constraint_tables.h"

namespace {

const std::set<int32_t> kJunk = {167, 168, 78, 166};

struct Setting {
  bool chris;
  bool hard;
};
constexpr Setting kSettings[] = {{true, false}, {true, true}, {false, false}, {false, true}};

// Modifier switches as a bit set: bit k-1 is modifier k.
void setModifiers(RunOptions& options, unsigned mask) {
  options.healingToJunk = (mask & 1u) != 0;
  options.ammoToJunk = (mask & 2u) != 0;
  options.inkRibbonsToJunk = (mask & 4u) != 0;
  options.defenceToJunk = (mask & 8u) != 0;
  options.allToSelfDefenseGun = (mask & 16u) != 0;
  options.armedFuelCapsule = (mask & 32u) != 0;
}

// The page's mask: bit n-1 switches modifier n, the member the modifier page
// numbers n, and no other.
TEST(ModifierMaskTest, EachBitSwitchesTheModifierOfItsNumber) {
  for (unsigned mask = 0; mask < 64u; ++mask) {
    RunOptions named, masked;
    setModifiers(named, mask);
    setModifierMask(masked, static_cast<int>(mask) | 64);  // a bit past the six changes nothing
    EXPECT_EQ(modifierMask(named), static_cast<int>(mask));
    for (int number = 1; number <= kModifierCount; ++number) {
      EXPECT_EQ(modifierOn(masked, number), modifierOn(named, number)) << "mask " << mask << ", modifier " << number;
    }
  }
}

class ItemModifiersTest : public ::testing::Test {
 protected:
  // A built catalogue with a placement that is a shuffled permutation, or the
  // identity when `shuffleSeed` is 0; console output is captured.
  void prepare(Setting setting, unsigned modifiers, unsigned shuffleSeed = 0) {
    state = GenerationState();
    console.str("");
    errors.str("");
    state.options.character = setting.chris;
    state.options.hardDifficulty = setting.hard;
    setModifiers(state.options, modifiers);
    buildSlotCatalogue(state);
    buildConstraintTables(state);
    state.placement.resize(kSlotCount);
    std::iota(state.placement.begin(), state.placement.end(), 0);
    if (shuffleSeed != 0) {
      std::mt19937 rng(shuffleSeed);
      std::shuffle(state.placement.begin(), state.placement.end(), rng);
    }
    state.random.reseed(20240611u);
  }

  const std::string& nameAt(int32_t entry) const { return state.slotNames.at(static_cast<std::size_t>(entry)); }

  // Number of slots whose current item is in `names`.
  int countIn(const std::set<std::string>& names) const {
    return static_cast<int>(std::count_if(state.placement.begin(), state.placement.end(),
                                          [&](int32_t entry) { return names.count(nameAt(entry)) > 0; }));
  }

  // Expects `after` to be `before` advanced by exactly `draws` numbers.
  static void expectAdvancedBy(const CRandom& before, const CRandom& after, int draws) {
    CRandom expected = before;
    for (int k = 0; k < draws; ++k) expected.next();
    CRandom actual = after;
    for (int k = 0; k < 8; ++k) ASSERT_EQ(expected.next(), actual.next()) << "after " << draws << " draws";
  }

  GenerationState state;
  std::ostringstream console;
  std::ostringstream errors;
  Reporter reporter{console, errors};
};

TEST_F(ItemModifiersTest, AllSwitchesOffChangeNothingPrintNothingDrawNothing) {
  for (const Setting setting : kSettings) {
    prepare(setting, 0u, 17u);
    const Placement before = state.placement;
    const CRandom generator = state.random;
    applyItemModifiers(state, reporter);
    EXPECT_EQ(state.placement, before);
    EXPECT_EQ(console.str(), "");
    expectAdvancedBy(generator, state.random, 0);
  }
}

TEST_F(ItemModifiersTest, HealingToJunkLeavesNoHealingItemAndDrawsOncePerSwap) {
  for (const Setting setting : kSettings) {
    prepare(setting, 1u, 5u);
    const Placement before = state.placement;
    const int healing = countIn(kHealth);
    ASSERT_GT(healing, 30);
    const CRandom generator = state.random;

    applyItemModifiers(state, reporter);

    EXPECT_EQ(countIn(kHealth), 0);
    std::set<int32_t> junkSeen;
    for (int s = 0; s < kSlotCount; ++s) {
      if (kHealth.count(nameAt(before[s]))) {
        EXPECT_EQ(kJunk.count(state.placement[s]), 1u) << "slot " << s << " holds " << state.placement[s];
        junkSeen.insert(state.placement[s]);
      } else {
        EXPECT_EQ(state.placement[s], before[s]) << "slot " << s;
      }
    }
    EXPECT_EQ(junkSeen, kJunk) << "all four junk entries should occur over so many swaps";
    EXPECT_EQ(console.str(), "Swapping out Health items with Junk\n");
    expectAdvancedBy(generator, state.random, healing);
  }
}

TEST_F(ItemModifiersTest, GunSwapOverridesJunkButTheJunkDrawsStillHappen) {
  prepare({true, false}, 1u | 16u, 99u);
  const Placement before = state.placement;
  const int healing = countIn(kHealth);
  const CRandom generator = state.random;

  applyItemModifiers(state, reporter);

  for (int s = 0; s < kSlotCount; ++s) {
    if (kHealth.count(nameAt(before[s]))) {
      EXPECT_EQ(state.placement[s], kSelfDefenseGunEntry) << "slot " << s;
    }
    EXPECT_EQ(kJunk.count(state.placement[s]), 0u) << "junk left at slot " << s;
  }
  expectAdvancedBy(generator, state.random, healing);
  EXPECT_EQ(console.str(),
            "Swapping out Health items with Junk\n"
            "Swapping all non-key items out with Self-Defense Gun\n");
}

TEST_F(ItemModifiersTest, GunSwapTouchesOnlyListedItemsThatAreNoKeys) {
  for (const Setting setting : kSettings) {
    prepare(setting, 16u);
    const std::set<int32_t> keys = referenceKeyItems(state.lockTable, state.unlockTable);
    const CRandom generator = state.random;
    applyItemModifiers(state, reporter);
    for (int s = 0; s < kSlotCount; ++s) {
      const std::string& name = state.slotNames[s];
      const bool listed = kHealth.count(name) || kAmmo.count(name) || kDefence.count(name) ||
                          kGunExtras.count(name) || name == "Ink Ribbon";
      EXPECT_EQ(state.placement[s], listed && !keys.count(s) ? kSelfDefenseGunEntry : s) << "slot " << s << " " << name;
    }
    expectAdvancedBy(generator, state.random, 0);
    // Key items, the gun itself and look-alikes of listed names stay.
    EXPECT_EQ(state.placement[3], 3);      // Shield Key
    EXPECT_EQ(state.placement[137], 137);  // Self Defense Gun
    EXPECT_EQ(state.placement[118], 118);  // Survival Knife
    EXPECT_EQ(state.placement[59], 59);    // Battery
    EXPECT_EQ(state.placement[178], 178);  // Fuel Supply Capsule (Empty)
    if (setting.hard) {
      EXPECT_EQ(state.placement[46], 46);  // Dagger (after getting plant 42 item)
    }
    // Listed names that are key items stay: the Broken Shotgun opens zone
    // 37, and Chris's "Jill's Handgun" (Jill's "Lighter") stands in zone 38's
    // unlock row. Slot 37 is Jill's "Grenade Launcher" but Chris's "Old Key".
    EXPECT_EQ(state.placement[11], 11);
    EXPECT_EQ(state.placement[0], 0);
    EXPECT_EQ(state.placement[37], setting.chris ? 37 : kSelfDefenseGunEntry);
  }
}

TEST_F(ItemModifiersTest, ArmedFuelCapsuleReplacesTheEmptyOneExactlyOnce) {
  for (const unsigned modifiers : {32u, 32u | 16u}) {
    prepare({false, true}, modifiers, 3u);
    const Placement before = state.placement;
    const auto capsuleSlot = std::find(before.begin(), before.end(), 178) - before.begin();
    const CRandom generator = state.random;

    applyItemModifiers(state, reporter);

    EXPECT_EQ(std::count(state.placement.begin(), state.placement.end(), 178), 0);
    EXPECT_EQ(std::count(state.placement.begin(), state.placement.end(), kExtraNameIndex), 1);
    EXPECT_EQ(state.placement[capsuleSlot], kExtraNameIndex);
    expectAdvancedBy(generator, state.random, 0);
    if (modifiers == 32u) {
      Placement expected = before;
      expected[capsuleSlot] = kExtraNameIndex;
      EXPECT_EQ(state.placement, expected);
      EXPECT_EQ(console.str(), "");
    }
  }
}

TEST_F(ItemModifiersTest, PinnedInkRibbonStillTurnsToJunk) {
  prepare({false, true}, 4u);
  ASSERT_EQ(state.slotNames[27], "Ink Ribbon");
  const int ribbons = countIn({"Ink Ribbon"});
  const CRandom generator = state.random;
  applyItemModifiers(state, reporter);
  EXPECT_EQ(kJunk.count(state.placement[27]), 1u);
  EXPECT_EQ(countIn({"Ink Ribbon"}), 0);
  expectAdvancedBy(generator, state.random, ribbons);
  EXPECT_EQ(console.str(), "Swapping out Ink Ribbons with Junk\n");
}

TEST_F(ItemModifiersTest, AnnouncementsFollowTheMenuOrderAndSkipSwitchedOffOnes) {
  prepare({true, true}, 63u);
  applyItemModifiers(state, reporter);
  EXPECT_EQ(console.str(),
            "Swapping out Health items with Junk\n"
            "Swapping out Ammo items with Junk\n"
            "Swapping out Ink Ribbons with Junk\n"
            "Swapping out Defense Items with Junk\n"
            "Swapping all non-key items out with Self-Defense Gun\n");

  prepare({true, true}, 2u | 8u | 32u);
  applyItemModifiers(state, reporter);
  EXPECT_EQ(console.str(),
            "Swapping out Ammo items with Junk\n"
            "Swapping out Defense Items with Junk\n");
}

TEST_F(ItemModifiersTest, NamesMatchWholeAndCaseSensitively) {
  prepare({true, false}, 1u | 2u | 16u);
  state.slotNames[5] = "green herb (left)";
  state.slotNames[4] = "Handgun Magazine ";
  state.slotNames[6] = "Green Herb (Right";
  const CRandom generator = state.random;
  const int matching = countIn(kHealth) + countIn(kAmmo);
  applyItemModifiers(state, reporter);
  EXPECT_EQ(state.placement[4], 4);
  EXPECT_EQ(state.placement[5], 5);
  EXPECT_EQ(state.placement[6], 6);
  EXPECT_EQ(state.placement[8], kSelfDefenseGunEntry);  // an unaltered "Handgun Magazine"
  expectAdvancedBy(generator, state.random, matching);
}

TEST_F(ItemModifiersTest, JunkDrawsCountOnePerMatchingSlotAcrossClasses) {
  for (const Setting setting : kSettings) {
    prepare(setting, 1u | 2u | 4u | 8u, 11u);
    const int matching = countIn(kHealth) + countIn(kAmmo) + countIn({"Ink Ribbon"}) + countIn(kDefence);
    const CRandom generator = state.random;
    applyItemModifiers(state, reporter);
    expectAdvancedBy(generator, state.random, matching);
    for (const int32_t entry : state.placement) {
      const std::string& name = nameAt(entry);
      EXPECT_FALSE(kHealth.count(name) || kAmmo.count(name) || kDefence.count(name) || name == "Ink Ribbon")
          << name;
    }
  }
}

#ifdef __GLIBC__
TEST_F(ItemModifiersTest, MatchesPlainReferenceOnTheLibraryGenerator) {
  for (const Setting setting : kSettings) {
    for (const unsigned seed : {1u, 77u, 123456789u, 4000000000u}) {
      for (unsigned mask = 0; mask < 64u; ++mask) {
        prepare(setting, mask, seed);
        state.random.reseed(seed);
        std::srand(seed);
        const Placement expected =
            referenceModifiers(state.slotNames, state.placement, state.options, [] { return std::rand(); },
                               referenceKeyItems(state.lockTable, state.unlockTable));
        applyItemModifiers(state, reporter);
        ASSERT_EQ(state.placement, expected) << "seed " << seed << " modifiers " << mask;
        ASSERT_EQ(static_cast<int32_t>(std::rand()), state.random.next()) << "seed " << seed << " modifiers " << mask;
      }
    }
  }
}
#endif

}  // namespace
