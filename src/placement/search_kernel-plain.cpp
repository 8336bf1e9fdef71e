// The plain loops: byte lanes in fixed-length loops without vector types.
// MSVC, which has no vector types, builds them as its portable loops (with
// MANSION_KERNEL_AS_PORTABLE); GCC and clang build them beside the vector
// loops, so that the tests run them.
#include <cstring>

#include "placement/search_kernel.h"
#include "placement/search_kernel_common.h"

namespace {

// GCC unrolls a short lane loop completely before it would vectorize it;
// keeping it rolled lets all lanes of a draw run in one vector operation.
#if defined(__GNUC__) && !defined(__clang__)
#define EVERY_LANE _Pragma("GCC unroll 1")
#else
#define EVERY_LANE
#endif

// Whether any of the 16 lanes is set: read as whole words, cheaper than
// combining them byte by byte.
bool anyLaneSet(const uint8_t* lanes) {
  uint64_t any = 0;
  for (int lane = 0; lane < 16; lane += 8) {
    uint64_t eight;
    std::memcpy(&eight, lanes + lane, sizeof eight);
    any |= eight;
  }
  return any != 0;
}

// The lane loops have a fixed length and no branch, so a vectorizing
// compiler runs all lanes of a draw side by side. The first pass follows the
// 16 items that clash most, as many as one 128-bit register holds.
bool clashesWhileDrawing(const KernelTables& tables, const uint32_t* words, uint8_t* indices, WordsInProgress& next) {
  constexpr int kLanes = 16;
  static_assert(kLanes <= kKernelClashLanes && kLanes % 8 == 0, "the lanes are read as whole words");
  (void)next;
  int8_t places[kLanes];
  uint8_t inPool[kLanes];
  uint8_t clashes[kLanes] = {};
  EVERY_LANE for (int lane = 0; lane < kLanes; ++lane) {
    places[lane] = placeByte(tables.clashItems[lane]);
    inPool[lane] = static_cast<uint8_t>(tables.clashItems[lane] == 0xff ? 0 : 0xff);
  }
  for (int slot = 0; slot < kSlots; ++slot) {
    indices[slot] = scalarIndex(words, slot);
    const int8_t index = placeByte(indices[slot]);
    const uint8_t* clashing = tables.clashesInSlot[slot];
    EVERY_LANE for (int lane = 0; lane < kLanes; ++lane) {
      const int8_t place = places[lane];
      const uint8_t taken = static_cast<uint8_t>((place == index ? 0xff : 0) & inPool[lane]);
      inPool[lane] = static_cast<uint8_t>(inPool[lane] & ~taken);
      clashes[lane] = static_cast<uint8_t>(clashes[lane] | (taken & clashing[lane]));
      places[lane] = static_cast<int8_t>(place + (place > index ? -1 : 0));
    }
    // A clash is final, so one look every four draws is enough.
    if (slot % 4 == 3 && anyLaneSet(clashes)) return true;
  }
  return false;
}

void followDraws(const KernelTables& tables, const uint8_t* indices, uint8_t* drawnBy) {
  constexpr int kLanes = kKernelFollowLanes;
  int8_t places[kLanes];
  uint8_t first[kLanes] = {};
  EVERY_LANE for (int lane = 0; lane < kLanes; ++lane) places[lane] = placeByte(tables.followedItems[lane]);
  for (int slot = 0; slot < kSlots; ++slot) {
    const int8_t index = placeByte(indices[slot]);
    const uint8_t mark = static_cast<uint8_t>(0xff - slot);
    EVERY_LANE for (int lane = 0; lane < kLanes; ++lane) {
      const int8_t place = places[lane];
      const uint8_t match = static_cast<uint8_t>((place == index ? 0xff : 0) & mark);
      first[lane] = first[lane] > match ? first[lane] : match;
      places[lane] = static_cast<int8_t>(place + (place > index ? -1 : 0));
    }
  }
  EVERY_LANE for (int lane = 0; lane < kLanes; ++lane) drawnBy[lane] = static_cast<uint8_t>(0xff - first[lane]);
}

}  // namespace

#if defined(MANSION_KERNEL_AS_PORTABLE)
const SearchKernel kSearchKernelPortable = {"portable", makeWordsInChains, drawIndices, clashesWhileDrawing, followDraws};
#else
const SearchKernel kSearchKernelPlain = {"plain", makeWordsInChains, drawIndices, clashesWhileDrawing, followDraws};
#endif
