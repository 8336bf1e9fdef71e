#pragma once

// The pieces every build of the search's inner loops shares: the remainder
// by multiplication, the places of a step's draws, the words in three scalar
// chains. Each build compiles this header with its own instruction set, so
// everything here has internal linkage (an anonymous namespace): no build's
// copy can stand in for another's when the linker merges inline functions.

#include <cstdint>

#include "placement/search_kernel.h"

namespace {

constexpr int kSlots = kKernelSlots;

// rand() % divisor for 0 <= value < 2^31 and 1 <= divisor <= 255, by two
// multiplications with factor == remainderFactor(divisor) instead of a
// division. Exact: with F = 2^40 and factor = (F + e) / divisor, 0 <= e <
// divisor, the masked product (value * factor mod F) is below F and the final
// error term below 1.
inline uint32_t remainderByFactor(uint32_t value, uint32_t divisor, uint64_t factor) {
  constexpr uint64_t kFractionMask = (uint64_t{1} << 40) - 1;
  const uint64_t fraction = (factor * value) & kFractionMask;
  return static_cast<uint32_t>((fraction * divisor) >> 40);
}

// ceil(2^40 / divisor), the factor remainderByFactor needs.
constexpr uint64_t remainderFactor(uint32_t divisor) { return ((uint64_t{1} << 40) + divisor - 1) / divisor; }

// Per draw, the remainderFactor of its pool size (180 - draw).
struct Divisors {
  uint64_t factor[kSlots];
};
constexpr Divisors makeDivisors() {
  Divisors divisors{};
  for (int slot = 0; slot < kSlots; ++slot) divisors.factor[slot] = remainderFactor(static_cast<uint32_t>(kSlots - slot));
  return divisors;
}
constexpr Divisors kDivisors = makeDivisors();

// The pool index of draw `slot`: rand() % pool size, rand() being the word
// shifted right by one and the pool shrinking by one a draw.
inline uint8_t scalarIndex(const uint32_t* words, int slot) {
  return static_cast<uint8_t>(
      remainderByFactor(words[slot] >> 1, static_cast<uint32_t>(kSlots - slot), kDivisors.factor[slot]));
}

// SearchKernel::drawIndices, the same in every build.
inline void drawIndices(const uint32_t* words, uint8_t* indices) {
  for (int slot = 0; slot < kSlots; ++slot) indices[slot] = scalarIndex(words, slot);
}

// A lane's place in the pool is kept as a signed byte 128 below it, so that
// "behind the drawn entry" is one signed comparison.
inline int8_t placeByte(int32_t place) { return static_cast<int8_t>(place - 128); }

// The places in the pool of the four draws of the step from `slot` on, as
// placeByte gives them: each pool index counts past the places the step's
// earlier draws took, so it moves up once for each of them at or below it.
inline void stepPlaces(const uint8_t* indices, int slot, int8_t* places) {
  const int firstDraw = indices[slot];
  const int secondDraw = indices[slot + 1] + (indices[slot + 1] >= firstDraw ? 1 : 0);
  const int low = firstDraw < secondDraw ? firstDraw : secondDraw;
  const int high = firstDraw < secondDraw ? secondDraw : firstDraw;
  int thirdDraw = indices[slot + 2] + (indices[slot + 2] >= low ? 1 : 0);
  thirdDraw += thirdDraw >= high ? 1 : 0;
  const int lowest = low < thirdDraw ? low : thirdDraw;
  const int highest = high > thirdDraw ? high : thirdDraw;
  const int middle = low + high + thirdDraw - lowest - highest;
  int fourthDraw = indices[slot + 3] + (indices[slot + 3] >= lowest ? 1 : 0);
  fourthDraw += fourthDraw >= middle ? 1 : 0;
  fourthDraw += fourthDraw >= highest ? 1 : 0;
  places[0] = placeByte(firstDraw);
  places[1] = placeByte(secondDraw);
  places[2] = placeByte(thirdDraw);
  places[3] = placeByte(fourthDraw);
}

// Words are made three at a time, one chain each. Combined into vectors, the
// three sums would be read back 31 words later as one read spanning two
// writes, which stalls while those writes are still on their way to the
// cache; the empty statements keep the compiler from combining them.
#if defined(__GNUC__) || defined(__clang__)
#define KEEP_IN_SCALAR_REGISTERS(a, b, c) __asm__("" : "+r"(a), "+r"(b), "+r"(c))
#else
#define KEEP_IN_SCALAR_REGISTERS(a, b, c)
#endif

// SearchKernel::makeWords in three scalar chains.
inline void makeWordsInChains(uint32_t* words, int from, int to) {
  static_assert(kKernelChunk % 3 == 0, "three words per step");
  uint32_t a = words[from - 3];
  uint32_t b = words[from - 2];
  uint32_t c = words[from - 1];
  for (int i = from; i < to; i += 3) {
    uint32_t x = words[i - 31], y = words[i - 30], z = words[i - 29];
    KEEP_IN_SCALAR_REGISTERS(x, y, z);
    a += x;
    b += y;
    c += z;
    KEEP_IN_SCALAR_REGISTERS(a, b, c);
    words[i] = a;
    words[i + 1] = b;
    words[i + 2] = c;
  }
}

}  // namespace
