#include "catalogue/slot_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace {

GenerationState built(bool chris, bool hard) {
  GenerationState state;
  state.options.character = chris;
  state.options.hardDifficulty = hard;
  buildSlotCatalogue(state);
  return state;
}

struct Setting {
  bool chris;
  bool hard;
  size_t distinctNames;
};

TEST(SlotCatalogueTest, EverySettingHas181NamesAnd180Zones) {
  for (Setting setting : {Setting{true, false, 86}, Setting{true, true, 85}, Setting{false, false, 92},
                          Setting{false, true, 90}}) {
    const GenerationState state = built(setting.chris, setting.hard);
    ASSERT_EQ(state.slotNames.size(), 181u);
    ASSERT_EQ(state.slotZones.size(), 180u);
    EXPECT_EQ(state.slotNames[kExtraNameIndex], "Fuel Supply Capsule (ARMED)");
    EXPECT_EQ(std::set<std::string>(state.slotNames.begin(), state.slotNames.end()).size(),
              setting.distinctNames)
        << "chris " << setting.chris << " hard " << setting.hard;
    for (const std::string& name : state.slotNames) {
      for (char c : name) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << name;
    }
  }
}

TEST(SlotCatalogueTest, FirstSlotDependsOnTheCharacter) {
  const GenerationState chris = built(true, false);
  const GenerationState jill = built(false, false);
  EXPECT_EQ(chris.slotNames[0], "Jill's Handgun");
  EXPECT_EQ(chris.slotZones[0], 2);
  EXPECT_EQ(jill.slotNames[0], "Lighter");
  EXPECT_EQ(jill.slotZones[0], 7);
}

TEST(SlotCatalogueTest, ZonesDependOnTheCharacterOnly) {
  EXPECT_EQ(built(true, false).slotZones, built(true, true).slotZones);
  EXPECT_EQ(built(false, false).slotZones, built(false, true).slotZones);
  const GenerationState chris = built(true, false);
  const GenerationState jill = built(false, false);
  std::vector<int> differing;
  for (int s = 0; s < kSlotCount; ++s) {
    if (chris.slotZones[s] != jill.slotZones[s]) differing.push_back(s);
  }
  EXPECT_EQ(differing, (std::vector<int>{0, 37, 72, 74, 75, 76, 85, 94}));
}

TEST(SlotCatalogueTest, ZoneValuesThatOccur) {
  std::set<Zone> chrisZones, jillZones;
  for (Zone z : built(true, false).slotZones) chrisZones.insert(z);
  for (Zone z : built(false, false).slotZones) jillZones.insert(z);
  std::set<Zone> expected;
  for (Zone z = 2; z <= 37; ++z) {
    if (z != 24 && z != 35) expected.insert(z);
  }
  EXPECT_EQ(chrisZones, expected);
  expected.insert(38);
  EXPECT_EQ(jillZones, expected);
}

int differences(const GenerationState& a, const GenerationState& b) {
  int count = 0;
  for (int s = 0; s < kSlotCount; ++s) count += a.slotNames[s] != b.slotNames[s];
  return count;
}

TEST(SlotCatalogueTest, NamesThatDifferBetweenSettings) {
  EXPECT_EQ(differences(built(true, false), built(false, false)), 25);
  EXPECT_EQ(differences(built(true, true), built(false, true)), 21);
  EXPECT_EQ(differences(built(true, false), built(true, true)), 10);
  EXPECT_EQ(differences(built(false, false), built(false, true)), 11);
}

TEST(SlotCatalogueTest, NamedSlots) {
  EXPECT_EQ(built(true, false).slotNames[177], "Shotgun Shells");
  EXPECT_EQ(built(true, true).slotNames[177], "Shotgun Shells");
  EXPECT_EQ(built(false, false).slotNames[177], "Grenade Shells");
  EXPECT_EQ(built(false, true).slotNames[177], "Incendiary Shells");
  for (bool chris : {true, false}) {
    EXPECT_EQ(built(chris, false).slotNames[45], "First Aid Spray (after getting plant 42 item)");
    EXPECT_EQ(built(chris, true).slotNames[45], "Shotgun Shells (after getting plant 42 item)");
    // Entries the modifiers rely on hold the same item in every setting.
    for (bool hard : {false, true}) {
      const GenerationState state = built(chris, hard);
      EXPECT_EQ(state.slotNames[78], "Wooden Mount");
      EXPECT_EQ(state.slotNames[137], "Self Defense Gun");
      EXPECT_EQ(state.slotNames[166], "Slide Filter");
      EXPECT_EQ(state.slotNames[167], "X-Ray of CLARK");
      EXPECT_EQ(state.slotNames[168], "X-Ray of GAIL");
      EXPECT_EQ(state.slotNames[178], "Fuel Supply Capsule (Empty)");
    }
  }
  const GenerationState jill = built(false, false);
  EXPECT_EQ(jill.slotNames[94], "Bottle #1");
  EXPECT_EQ(jill.slotNames[75], "Bottle #2");
  EXPECT_EQ(jill.slotNames[76], "Bottle #3");
  EXPECT_EQ(jill.slotNames[85], "Bottle #4");
}

}  // namespace
