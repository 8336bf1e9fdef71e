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

  // Moves the sequence `draws` values ahead at once, as many next() calls
  // would, in a few microseconds whatever the distance.
  void skip(uint64_t draws);

  uint32_t state[kDegree] = {};
  int front = kSeparation;  // the word updated next
  int rear = 0;             // the word added to it
};

// A fixed distance along the sequence, prepared once to move many generators
// by it cheaply: row j gives the j-th word after the jump as a sum of
// multiples of the current words, oldest first. Each word is the sum of the
// words kDegree and kSeparation places back, modulo 2^32, so every later word
// is such a combination.
struct CRandomJump {
  uint32_t rows[CRandom::kDegree][CRandom::kDegree];
};

// The jump over `draws` values.
CRandomJump makeJump(uint64_t draws);

// Moves `random` ahead by the jump's distance.
void jump(CRandom& random, const CRandomJump& distance);
