#include "placement/validator.h"

#include <gtest/gtest.h>

#include <numeric>
#include <iostream>
#include <sstream>

#include "catalogue/slot_catalogue.h"
#include "placement/constraint_tables.h"

namespace {

struct Fixture {
  GenerationState state;
  std::ostringstream console;
  Reporter reporter{console, std::cerr};

  explicit Fixture(bool chris, bool hard = false) {
    state.options.character = chris;
    state.options.hardDifficulty = hard;
    buildSlotCatalogue(state);
    buildConstraintTables(state);
    state.placement.resize(kSlotCount);
    std::iota(state.placement.begin(), state.placement.end(), 0);
  }

  // Swaps the items of two slots.
  void swapSlots(int a, int b) { std::swap(state.placement[a], state.placement[b]); }

  // A slot of `zone` other than `except`.
  int slotInZone(Zone zone, int except = -1) const {
    for (int s = 0; s < kSlotCount; ++s) {
      if (state.slotZones[s] == zone && s != except) return s;
    }
    return -1;
  }
};

TEST(ValidatorTest, IdentityPassesForJill) {
  Fixture f(false);
  f.state.attemptCount = 1;
  validatePlacement(f.state, f.reporter);
  EXPECT_TRUE(f.state.placementValid);
  EXPECT_EQ(f.console.str(),
            "Valid sequence generated!\n"
            "Number of times the items were randomized before finding a valid sequence:1\n");
  EXPECT_TRUE(f.state.dependencyPath.empty());
}

TEST(ValidatorTest, IdentityFailsTheChainCheckForChris) {
  Fixture f(true);
  // Item 9 lies in zone 9, which needs item 48; item 48 lies in zone 36,
  // which needs item 9.
  GenerationState copy = f.state;
  EXPECT_FALSE(followKeyChain(copy, 9));
  validatePlacement(f.state, f.reporter);
  EXPECT_FALSE(f.state.placementValid);
  EXPECT_TRUE(f.state.dependencyPath.empty());
  EXPECT_EQ(f.console.str(), "");
}

TEST(ValidatorTest, ShieldKeyInItsOwnZoneFailsTheSelfLockCheck) {
  for (bool chris : {true, false}) {
    Fixture f(chris);
    const int slot = f.slotInZone(17);
    ASSERT_GE(slot, 0);
    f.swapSlots(3, slot);
    validatePlacement(f.state, f.reporter);
    EXPECT_FALSE(f.state.placementValid);
    EXPECT_TRUE(f.state.dependencyPath.empty());  // the chain check never ran
    EXPECT_EQ(f.console.str(), "");
  }
}

TEST(ValidatorTest, BrokenShotgunInZone37FailsOnlyTheChainCheck) {
  Fixture f(false);
  const int slot = f.slotInZone(37);
  ASSERT_GE(slot, 0);
  f.swapSlots(11, slot);
  EXPECT_TRUE(f.state.lockTable[11].empty());
  GenerationState chain = f.state;
  EXPECT_FALSE(followKeyChain(chain, 11));
  validatePlacement(f.state, f.reporter);
  EXPECT_FALSE(f.state.placementValid);
  EXPECT_TRUE(f.state.dependencyPath.empty());
}

TEST(ValidatorTest, ItemInZoneWithoutRequirementsEndsItsChainAtOnce) {
  Fixture f(true);
  EXPECT_EQ(f.state.slotZones[1], 2);
  EXPECT_TRUE(followKeyChain(f.state, 1));
  EXPECT_TRUE(f.state.dependencyPath.empty());
}

TEST(ValidatorTest, PassingAfterAFewAttemptsPrintsTheCount) {
  Fixture f(false, true);
  f.state.attemptCount = 5400;
  validatePlacement(f.state, f.reporter);
  EXPECT_TRUE(f.state.placementValid);
  EXPECT_NE(f.console.str().find("sequence:5400\n"), std::string::npos);
}

}  // namespace
