// The portable loops: 16 byte lanes a vector, in the compiler's vector types
// (GCC and clang), on any processor. On x86-64 they use SSE2, which every
// such processor has.
#include <cstring>

#include "placement/search_kernel.h"
#include "placement/search_kernel_common.h"
#include "placement/search_kernel_lanes.h"

#if defined(__SSE2__)
#include <immintrin.h>  // static or never emitted out of line: stays within this build
#endif

namespace {

typedef int8_t Lanes __attribute__((vector_size(16)));
typedef uint8_t ULanes __attribute__((vector_size(16)));

// Whether any lane is nonzero; lanes are 0 or 0xff. The byte sign mask takes
// one instruction where the processor has it.
inline bool anyLaneSet(Lanes lanes) {
#if defined(__SSE2__)
  return _mm_movemask_epi8((__m128i)lanes) != 0;
#else
  uint64_t halves[sizeof(Lanes) / 8];
  std::memcpy(halves, &lanes, sizeof halves);
  uint64_t set = 0;
  for (uint64_t half : halves) set |= half;
  return set != 0;
#endif
}

bool clashesWhileDrawing(const KernelTables& tables, const uint32_t* words, uint8_t* indices, WordsInProgress& next) {
  (void)next;
  return clashesOnLanesAlone<Lanes, ULanes>(tables, words, indices, anyLaneSet);
}

void followDraws(const KernelTables& tables, const uint8_t* indices, uint8_t* drawnBy) {
  followDrawsOnLanes<Lanes, ULanes>(tables, indices, drawnBy);
}

}  // namespace

const SearchKernel kSearchKernelPortable = {"portable", makeWordsInChains, drawIndices, clashesWhileDrawing,
                                            followDraws};
