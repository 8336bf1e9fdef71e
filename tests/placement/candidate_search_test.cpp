#include "placement/candidate_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <sstream>
#include <vector>

#include "catalogue/slot_catalogue.h"
#include "placement/constraint_tables.h"
#include "placement/reference_placement.h"
#include "catalogue/pins.h"
#include "placement/shuffle.h"

namespace {

// The verdict of the reference validator on `placement`.
bool referenceVerdict(GenerationState& reference, const Placement& placement) {
  reference.placement = placement;
  std::ostringstream console;
  referenceValidatePlacement(reference, console);
  const bool passed = reference.placementValid;
  reference.placementValid = false;
  return passed;
}

// The self-lock check alone, to know how many candidates reach the chain check.
bool passesSelfLock(const GenerationState& state, const Placement& placement) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const auto locks = state.lockTable.find(placement[slot]);
    if (locks == state.lockTable.end()) continue;
    const std::vector<Zone>& zones = locks->second;
    if (std::find(zones.begin(), zones.end(), state.slotZones[slot]) != zones.end()) return false;
  }
  return true;
}

// A uniformly random permutation of the slots, with the pins of `options`.
Placement randomCandidate(CRandom& random, const RunOptions& options) {
  Placement placement(kSlotCount);
  std::iota(placement.begin(), placement.end(), 0);
  for (uint32_t i = kSlotCount - 1; i > 0; --i) std::swap(placement[i], placement[random.below(i + 1)]);
  for (SlotIndex k : pinnedSlotOrder(options)) pinSlot(placement, k);
  return placement;
}

TEST(SearchTablesTest, NotUsableWhenAZoneOrTheKeyItemsExceedTheMasks) {
  const GenerationState base = builtState(false, false);
  const SearchTables tables = deriveSearchTables(base, "");
  EXPECT_TRUE(tables.usable);
  EXPECT_TRUE(tables.followFits);

  GenerationState zone63 = base;
  zone63.slotZones[10] = kMaskBits - 1;
  EXPECT_TRUE(deriveSearchTables(zone63, "").usable);
  GenerationState zone64 = base;
  zone64.slotZones[10] = kMaskBits;
  EXPECT_FALSE(deriveSearchTables(zone64, "").usable);

  GenerationState manyKeys = base;
  for (int32_t item = 0; item <= kMaskBits; ++item) manyKeys.unlockTable[2].push_back(item);
  EXPECT_FALSE(deriveSearchTables(manyKeys, "").usable);

  // Items that clash somewhere (zone 21 is slot 106) must be followed; enough
  // of them overflow the second pass, which the search then does without.
  GenerationState manyLocks = base;
  for (int32_t item = 20; item < 160; ++item) manyLocks.lockTable[item].push_back(21);
  const SearchTables overflowing = deriveSearchTables(manyLocks, "");
  EXPECT_TRUE(overflowing.usable);
  EXPECT_FALSE(overflowing.followFits);
}

// The verdict on random candidates of both difficulties. The reference
// validator judges every candidate that gets past the self-lock check (a few
// in a hundred, so the chain check is exercised in thousands) and a sample of
// the others, which would cost most of the time and add little.
TEST(PlacementPassesTest, MatchesTheValidatorOnRandomCandidates) {
  const long long perCharacter = scaledCount(250000, 20000);
  constexpr int kSampledFailures = 16;
  for (bool chris : {false, true}) {
    GenerationState reference = builtState(chris, false);
    RunOptions normal = reference.options;
    RunOptions hard = normal;
    hard.hardDifficulty = true;
    const SearchTables tables = deriveSearchTables(reference, "");
    CRandom random(chris ? 7 : 8);
    long long selfLockPassing = 0;
    long long passing = 0;
    for (long long i = 0; i < perCharacter; ++i) {
      const Placement candidate = randomCandidate(random, i % 2 == 0 ? normal : hard);
      const bool selfLock = passesSelfLock(reference, candidate);
      const bool verdict = placementPasses(tables, candidate);
      if (selfLock || i % kSampledFailures == 0) {
        ASSERT_EQ(verdict, referenceVerdict(reference, candidate)) << "candidate " << i << ", chris " << chris;
      } else {
        ASSERT_FALSE(verdict) << "candidate " << i << ", chris " << chris;
      }
      selfLockPassing += selfLock;
      passing += verdict;
    }
    EXPECT_GT(selfLockPassing, perCharacter / 50) << "chris " << chris;
    EXPECT_LT(passing, selfLockPassing);
  }
}

// Candidates one to three swaps away from valid placements: both verdicts in
// numbers, many decided by the chain check alone.
TEST(PlacementPassesTest, MatchesTheValidatorNearValidPlacements) {
  const int perCharacter = static_cast<int>(scaledCount(6000, 600));
  for (bool chris : {false, true}) {
    GenerationState reference = builtState(chris, false);
    const SearchTables tables = deriveSearchTables(reference, "");
    std::vector<Placement> valid;
    for (uint32_t seed : {338u, 621u, 1073u}) {
      GenerationState search = reference;
      search.random.reseed(seed);
      ASSERT_TRUE(searchCandidates(search, tables, 1 << 22)) << "seed " << seed;
      valid.push_back(search.placement);
    }
    CRandom random(99);
    int passing = 0;
    int chainOnly = 0;
    for (int i = 0; i < perCharacter; ++i) {
      Placement candidate = valid[i % valid.size()];
      const int swaps = 1 + static_cast<int>(random.below(3));
      for (int s = 0; s < swaps; ++s) std::swap(candidate[random.below(kSlotCount)], candidate[random.below(kSlotCount)]);
      const bool expected = referenceVerdict(reference, candidate);
      ASSERT_EQ(placementPasses(tables, candidate), expected) << "candidate " << i << ", chris " << chris;
      passing += expected;
      chainOnly += !expected && passesSelfLock(reference, candidate);
    }
    EXPECT_GT(passing, perCharacter / 20) << "chris " << chris;
    EXPECT_LT(passing, perCharacter * 19 / 20) << "chris " << chris;
    EXPECT_GT(chainOnly, perCharacter / 100) << "chris " << chris;
  }
}

// searchCandidates one candidate at a time, with every build of the inner
// loops this processor runs, against the reference shuffle and validator on
// the same generator: every verdict (so every early rejection and every pass
// through the followed items), every accepted placement and the generator
// position match. The last setting locks a pinned item out of its own slot's
// zone, which no candidate then survives (Jill on Normal would pass about one
// in two thousand otherwise). The plando settings bring items to slots after
// the pins by a literal exchange; the first two move a key and the item its
// target slot's zone needs, the third exchanges two items among themselves.
TEST(SearchCandidatesTest, MatchesTheReferenceCandidateByCandidate) {
  const int perSetting = static_cast<int>(scaledCount(25000, 1500));
  struct Setting {
    bool chris, hard, pinnedItemLockedOut;
    FixedItems plando;
  };
  const FixedItems keys = {{13, 3}, {6, 2}, {60, 25}, {100, 9}};
  for (const Setting& setting :
       {Setting{false, false, false, {}}, Setting{false, true, false, {}}, Setting{true, false, false, {}},
        Setting{true, true, false, {}}, Setting{false, false, true, {}}, Setting{false, false, false, keys},
        Setting{true, true, false, keys}, Setting{true, false, false, {{4, 1}, {1, 4}, {0, 179}}}}) {
    const bool chris = setting.chris;
    const bool hard = setting.hard;
    std::ostringstream referenceConsole;
    GenerationState reference = builtState(chris, hard);
    if (setting.pinnedItemLockedOut) {
      const SlotIndex pinned = pinnedSlotOrder(reference.options).front();
      reference.lockTable[pinned].push_back(reference.slotZones[pinned]);
    }
    GenerationState built = reference;
    const uint32_t seed = 1000 + (chris ? 2 : 0) + (hard ? 1 : 0);
    std::vector<GenerationState> fast(searchKernelCount(), built);
    std::vector<SearchTables> tables(fast.size(), deriveSearchTables(built, "", setting.plando));
    for (size_t k = 0; k < fast.size(); ++k) {
      tables[k].kernel = &searchKernel(static_cast<int>(k));
      fast[k].random.reseed(seed);
    }
    ReferenceRandom random(seed);
    int passing = 0;
    for (int i = 0; i < perSetting; ++i) {
      referenceShufflePlacement(reference, random);
      for (const FixedItem& fixed : setting.plando) {
        size_t at = 0;
        while (reference.placement[at] != fixed.item) ++at;
        reference.placement[at] = reference.placement[fixed.slot];
        reference.placement[fixed.slot] = fixed.item;
      }
      referenceValidatePlacement(reference, referenceConsole);
      for (size_t k = 0; k < fast.size(); ++k) {
        const bool passed = searchCandidates(fast[k], tables[k], 1);
        ASSERT_EQ(passed, reference.placementValid)
            << tables[k].kernel->name << ", attempt " << reference.attemptCount;
        if (passed) {
          ASSERT_EQ(fast[k].placement, reference.placement)
              << tables[k].kernel->name << ", attempt " << reference.attemptCount;
        }
      }
      passing += reference.placementValid;
      reference.placementValid = false;
    }
    if (setting.pinnedItemLockedOut) {
      EXPECT_EQ(passing, 0);
    } else if (!chris && !kSlowBuild) {
      EXPECT_GT(passing, 0);
    }
    std::vector<uint32_t> after;
    for (int i = 0; i < 50; ++i) after.push_back(random.next());
    for (GenerationState& state : fast) {
      EXPECT_EQ(state.attemptCount, reference.attemptCount);
      std::vector<uint32_t> drawn;
      for (size_t i = 0; i < after.size(); ++i) drawn.push_back(static_cast<uint32_t>(state.random.next()));
      EXPECT_EQ(drawn, after);
    }
  }
}

TEST(SearchCandidatesTest, StopsAtTheAttemptLimitWithTheGeneratorAdvanced) {
  GenerationState state = builtState(true, true);
  state.random.reseed(5);
  state.attemptCount = 7;
  const Placement before = {1, 2, 3};
  state.placement = before;
  ASSERT_FALSE(searchCandidates(state, deriveSearchTables(state, ""), 1000));
  EXPECT_EQ(state.attemptCount, 1007);
  EXPECT_EQ(state.placement, before);
  CRandom expected(5);
  for (int i = 0; i < 1000 * kSlotCount; ++i) expected.next();
  for (int i = 0; i < 40; ++i) ASSERT_EQ(state.random.next(), expected.next());
}

}  // namespace
