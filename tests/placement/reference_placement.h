#pragma once

// The generation loop written out step by step, as plainly and slowly as it
// was first written: a pool erased entry by entry, pins that search for the
// pinned item, a validator that searches for the slot of every item and walks
// every chain again from every item. It shares no code with src/placement
// beyond the tables, so the fast search is checked against it, and the
// benchmark measures against it.

#include <cstdint>
#include <iosfwd>

#include "state/c_random.h"
#include "state/generation_state.h"

// True in builds with AddressSanitizer or without optimisation, where the
// heavy differential loops run on fewer candidates.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSlowBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSlowBuild = true;
#else
constexpr bool kSlowBuild = false;
#endif
#elif defined(__GNUC__) && !defined(__OPTIMIZE__)
constexpr bool kSlowBuild = true;
#else
constexpr bool kSlowBuild = false;
#endif

// Attempt limit of the tests' searches: over six times what a Chris run on
// Hard takes on average (about 1.3 million), so a new seed is cut short once
// in several hundred, yet low enough that a search fault which lets no
// candidate pass ends a test in seconds rather than at the 600 s timeout
// (the plain reference loop, on tables that admit none, in about a minute).
constexpr int64_t kTestAttemptLimit = int64_t{1} << 23;

// `normal` in an optimised build, `slow` in a slow one.
constexpr long long scaledCount(long long normal, long long slow) { return kSlowBuild ? slow : normal; }

// The C library's generator: std::srand and std::rand where the C library is
// glibc, whose sequence defines the program's results; CRandom elsewhere. The
// glibc form is process-wide, so only one may be in use at a time.
struct ReferenceRandom {
  // Same as srand(seed).
  explicit ReferenceRandom(uint32_t seed);
  // Same as rand().
  uint32_t next();

  CRandom fallback;
};

// Replaces state.placement by a shuffle drawn with `random`, pins the slots
// of the chosen character and difficulty and counts the attempt.
void referenceShufflePlacement(GenerationState& state, ReferenceRandom& random);

// Gives slot k its own item: the item slot k drew goes to the first slot that
// holds item k.
void referencePinSlot(Placement& placement, SlotIndex k);

// The self-lock check, then the chain check from every item; on success the
// two acceptance lines on `console` and placementValid set.
void referenceValidatePlacement(GenerationState& state, std::ostream& console);

// True when no chain of needed key items from `item` comes back to an item on
// dependencyPath.
bool referenceFollowKeyChain(GenerationState& state, int32_t item);

// Shuffles and validates until a placement passes or `attemptLimit`
// attempts are made.
void referenceGeneratePlacement(GenerationState& state, ReferenceRandom& random, std::ostream& console,
                                int64_t attemptLimit);

// A state with the catalogue and constraint tables of a character and
// difficulty built by the program's own steps, for the search tests.
GenerationState builtState(bool chris, bool hard);
