#include "state/c_random.h"

#include <algorithm>
#include <array>

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

namespace {

constexpr int kDegree = CRandom::kDegree;
constexpr int kLag = CRandom::kDegree - CRandom::kSeparation;

// x^n modulo x^kDegree - x^kLag - 1, coefficients modulo 2^32: the n-th word
// from now as a combination of the current ones, since word n + kDegree is
// word n + kLag plus word n.
using Combination = std::array<uint32_t, kDegree>;

Combination multiply(const Combination& a, const Combination& b) {
  uint32_t product[2 * kDegree - 1] = {};
  for (int i = 0; i < kDegree; ++i) {
    for (int j = 0; j < kDegree; ++j) product[i + j] += a[i] * b[j];
  }
  for (int d = 2 * kDegree - 2; d >= kDegree; --d) {
    product[d - kDegree + kLag] += product[d];
    product[d - kDegree] += product[d];
  }
  Combination result;
  std::copy(product, product + kDegree, result.begin());
  return result;
}

// One word further on.
Combination shifted(const Combination& a) {
  Combination result;
  const uint32_t top = a[kDegree - 1];
  for (int i = kDegree - 1; i > 0; --i) result[i] = a[i - 1];
  result[0] = top;
  result[kLag] += top;
  return result;
}

}  // namespace

CRandomJump makeJump(uint64_t draws) {
  Combination power{};
  power[0] = 1;
  Combination base{};
  base[1] = 1;
  for (uint64_t rest = draws; rest != 0; rest >>= 1) {
    if (rest & 1) power = multiply(power, base);
    if (rest > 1) base = multiply(base, base);
  }
  CRandomJump distance;
  for (int row = 0; row < kDegree; ++row) {
    std::copy(power.begin(), power.end(), distance.rows[row]);
    power = shifted(power);
  }
  return distance;
}

void jump(CRandom& random, const CRandomJump& distance) {
  uint32_t words[kDegree];
  for (int i = 0; i < kDegree; ++i) words[i] = random.state[(random.front + i) % kDegree];
  for (int row = 0; row < kDegree; ++row) {
    uint32_t sum = 0;
    for (int i = 0; i < kDegree; ++i) sum += distance.rows[row][i] * words[i];
    random.state[row] = sum;
  }
  random.front = 0;
  random.rear = kLag;
}

void CRandom::skip(uint64_t draws) { jump(*this, makeJump(draws)); }
