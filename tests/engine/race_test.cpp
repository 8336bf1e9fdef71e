// The seed of a race, drawn from the system's secure random source.
#include "engine/race.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <sstream>

namespace {

// A race seed uses all its 32 bits: over 16 draws every byte takes two values
// or more (a byte the same in all 16 by chance: 1 in 2^120).
TEST(RaceTest, EveryByteOfTheSeedVaries) {
  std::ostringstream errors;
  Reporter reporter(errors, errors);
  std::set<uint32_t> values[4];
  for (int draw = 0; draw < 16; ++draw) {
    uint32_t seed = 0;
    ASSERT_TRUE(raceSeed(reporter, seed)) << errors.str();
    for (int byte = 0; byte < 4; ++byte) values[byte].insert(seed >> (8 * byte) & 0xffu);
  }
  for (int byte = 0; byte < 4; ++byte) EXPECT_GT(values[byte].size(), 1u) << "byte " << byte;
}

}  // namespace
