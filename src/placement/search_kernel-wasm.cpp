// The WebAssembly loops, on its 128-bit vectors (the web build compiles with
// -msimd128). Lane masks are combined by and-not, or and unsigned minimum
// only: the compiler turns "mask & x" on vector types into a select, which
// engines make three instructions on x86-64. Scalar accesses go through
// pointers moved on by a step, so that each is at a fixed offset from one of
// them, as WebAssembly's offsets cannot be negative.
#include <wasm_simd128.h>  // static or never emitted out of line: stays within this build

#include "placement/search_kernel.h"
#include "placement/search_kernel_common.h"

namespace {

// A chunk at a time from the oldest word it reads, so that every access is
// at a fixed offset ahead. (Compiled for x86-64, the same loop takes longer
// than makeWordsInChains.)
void makeWords(uint32_t* words, int from, int to) {
  static_assert(kKernelChunk % 3 == 0, "three words per step");
  uint32_t a = words[from - 3];
  uint32_t b = words[from - 2];
  uint32_t c = words[from - 1];
  for (uint32_t* back = words + from - 31; back != words + to - 31; back += kKernelChunk) {
    for (int i = 0; i < kKernelChunk; i += 3) {
      uint32_t x = back[i], y = back[i + 1], z = back[i + 2];
      KEEP_IN_SCALAR_REGISTERS(x, y, z);
      a += x;
      b += y;
      c += z;
      KEEP_IN_SCALAR_REGISTERS(a, b, c);
      back[31 + i] = a;
      back[32 + i] = b;
      back[33 + i] = c;
    }
  }
}

// x where the mask of whole bytes is set, else 0.
inline v128_t where(v128_t mask, v128_t x) { return wasm_u8x16_min(mask, x); }

// scalarIndex of the draw whose word and factor are at `word` and `factor`,
// from a pool of `size`.
inline uint32_t remainderOf(const uint32_t* word, const uint64_t* factor, uint32_t size) {
  return remainderByFactor(*word >> 1, size, *factor);
}

bool clashesWhileDrawing(const KernelTables& tables, const uint32_t* words, uint8_t* indices, WordsInProgress& next) {
  static_assert(kSlots % 4 == 0 && kKernelClashLanes >= 16, "four draws per look, one vector of lanes");
  (void)next;
  const v128_t items = wasm_v128_load(tables.clashItems);
  v128_t places = wasm_v128_xor(items, wasm_i8x16_splat(-128));
  v128_t inPool = wasm_v128_not(wasm_i8x16_eq(items, wasm_i8x16_splat(-1)));
  v128_t clashes = wasm_i8x16_splat(0);
  const uint32_t* word = words;
  const uint64_t* factor = kDivisors.factor;
  const uint8_t* clashing = tables.clashesInSlot[0];
  uint8_t* index = indices;
  for (uint32_t size = kSlots; size != 0; size -= 4) {
    const uint32_t drawn[4] = {remainderOf(word, factor, size), remainderOf(word + 1, factor + 1, size - 1),
                               remainderOf(word + 2, factor + 2, size - 2), remainderOf(word + 3, factor + 3, size - 3)};
    for (int k = 0; k < 4; ++k) index[k] = static_cast<uint8_t>(drawn[k]);
    // Two draws per step, as in the other builds.
    for (int k = 0; k < 4; k += 2) {
      const uint32_t second = drawn[k + 1] + (drawn[k + 1] >= drawn[k] ? 1 : 0);
      const v128_t firstPlace = wasm_i8x16_splat(placeByte(static_cast<int32_t>(drawn[k])));
      const v128_t secondPlace = wasm_i8x16_splat(placeByte(static_cast<int32_t>(second)));
      const v128_t takenFirst = wasm_i8x16_eq(places, firstPlace);
      const v128_t takenSecond = wasm_i8x16_eq(places, secondPlace);
      const v128_t hits = wasm_v128_or(where(takenFirst, wasm_v128_load(clashing + k * kKernelClashLanes)),
                                       where(takenSecond, wasm_v128_load(clashing + (k + 1) * kKernelClashLanes)));
      clashes = wasm_v128_or(clashes, where(inPool, hits));
      inPool = wasm_v128_andnot(inPool, wasm_v128_or(takenFirst, takenSecond));
      places = wasm_i8x16_add(places,
                              wasm_i8x16_add(wasm_i8x16_gt(places, firstPlace), wasm_i8x16_gt(places, secondPlace)));
    }
    if (wasm_v128_any_true(clashes)) return true;
    word += 4;
    factor += 4;
    clashing += 4 * kKernelClashLanes;
    index += 4;
  }
  return false;
}

// Per draw, 0xff - the draw: per lane the largest over its matches marks the
// first.
struct DrawMarks {
  uint8_t mark[kSlots];
};
constexpr DrawMarks makeDrawMarks() {
  DrawMarks marks{};
  for (int slot = 0; slot < kSlots; ++slot) marks.mark[slot] = static_cast<uint8_t>(0xff - slot);
  return marks;
}
constexpr DrawMarks kDrawMarks = makeDrawMarks();

// As the other builds' second pass, with the four places of each step worked
// out for all draws first: each step's places and marks are then splat
// straight from memory, and two vectors of lanes at a time go through all
// the draws, so that the places, first matches and splats fit the sixteen
// vector registers engines have on x86-64 (all six vectors at once spill).
void followDraws(const KernelTables& tables, const uint8_t* indices, uint8_t* drawnBy) {
  static_assert(kSlots % 4 == 0, "four draws per step");
  int8_t draws[kSlots];
  for (int slot = 0; slot < kSlots; slot += 4) {
    stepPlaces(indices, slot, draws + slot);
  }
  constexpr int kGroup = 2;
  static_assert(kKernelFollowLanes % (16 * kGroup) == 0, "whole groups of vectors");
  for (int group = 0; group < kKernelFollowLanes / 16; group += kGroup) {
    v128_t places[kGroup], first[kGroup];
    for (int v = 0; v < kGroup; ++v) {
      places[v] = wasm_v128_xor(wasm_v128_load(tables.followedItems + 16 * (group + v)), wasm_i8x16_splat(-128));
      first[v] = wasm_i8x16_splat(0);
    }
    const int8_t* draw = draws;
    const uint8_t* mark = kDrawMarks.mark;
    for (int slot = 0; slot < kSlots; slot += 4, draw += 4, mark += 4) {
      v128_t index[4], marks[4];
      for (int k = 0; k < 4; ++k) {
        index[k] = wasm_v128_load8_splat(draw + k);
        marks[k] = wasm_v128_load8_splat(mark + k);
      }
      for (int v = 0; v < kGroup; ++v) {
        // The four places differ, so a lane matches at most one of them.
        const v128_t match = wasm_v128_or(wasm_v128_or(where(wasm_i8x16_eq(places[v], index[0]), marks[0]),
                                                       where(wasm_i8x16_eq(places[v], index[1]), marks[1])),
                                          wasm_v128_or(where(wasm_i8x16_eq(places[v], index[2]), marks[2]),
                                                       where(wasm_i8x16_eq(places[v], index[3]), marks[3])));
        first[v] = wasm_u8x16_max(first[v], match);
        places[v] = wasm_i8x16_add(places[v], wasm_i8x16_add(wasm_i8x16_add(wasm_i8x16_gt(places[v], index[0]),
                                                                            wasm_i8x16_gt(places[v], index[1])),
                                                             wasm_i8x16_add(wasm_i8x16_gt(places[v], index[2]),
                                                                            wasm_i8x16_gt(places[v], index[3]))));
      }
    }
    for (int v = 0; v < kGroup; ++v) wasm_v128_store(drawnBy + 16 * (group + v), wasm_v128_not(first[v]));
  }
}

}  // namespace

const SearchKernel kSearchKernelPortable = {"portable", makeWords, drawIndices, clashesWhileDrawing, followDraws};
