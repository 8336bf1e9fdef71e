#pragma once

#include <cstdint>

// The C library's rand() as glibc implements it (the additive feedback
// generator with 31 words of state), reproduced exactly so that one seed gives
// the same randomization on every platform and compiler.
struct CRandom {
  static constexpr int kDegree = 31;
  static constexpr int kSeparation = 3;

  // Same sequence as srand(seed) followed by rand() calls on glibc.
  explicit CRandom(uint32_t seed = 1) { reseed(seed); }

  // Restarts the sequence as srand(seed) does.
  void reseed(uint32_t seed);

  // Next value in 0..RAND_MAX (2147483647), as rand() would return it.
  int32_t next() {
    uint32_t value = state[front] += state[rear];
    if (++front == kDegree) front = 0;
    if (++rear == kDegree) rear = 0;
    return static_cast<int32_t>(value >> 1);
  }

  // rand() % n with the unsigned remainder used throughout the program.
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(next()) % n; }

  uint32_t state[kDegree] = {};
  int front = kSeparation;  // the word updated next
  int rear = 0;             // the word added to it
};
