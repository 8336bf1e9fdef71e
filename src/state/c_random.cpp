#include "state/c_random.h"

void CRandom::reseed(uint32_t seed) {
  if (seed == 0) seed = 1;  // glibc maps seed 0 to 1
  // The seed is taken as a signed 32-bit word, as glibc stores it.
  int32_t word = static_cast<int32_t>(seed);
  state[0] = static_cast<uint32_t>(word);
  for (int i = 1; i < kDegree; ++i) {
    // 16807 * word % 2147483647 without overflowing 31 bits (Schrage).
    int64_t hi = word / 127773;
    int64_t lo = word % 127773;
    int64_t next = 16807 * lo - 2836 * hi;
    if (next < 0) next += 2147483647;
    word = static_cast<int32_t>(next);
    state[i] = static_cast<uint32_t>(word);
  }
  front = kSeparation;
  rear = 0;
  // glibc discards the first ten rounds of the state.
  for (int i = 0; i < kDegree * 10; ++i) next();
}
