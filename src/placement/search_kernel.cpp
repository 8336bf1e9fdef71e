// Compiled once per instruction set: without a MANSION_KERNEL_ definition as
// the portable build (which also chooses among the builds at run time, and
// has loops of its own for WebAssembly's vectors), with MANSION_KERNEL_AVX2
// or MANSION_KERNEL_AVX512 and the matching compiler flags as those builds,
// with MANSION_KERNEL_PLAIN as the plain loops. Everything here but the one
// SearchKernel object of the build has internal linkage, and nothing from a
// header with inline functions is used, so no build's code can stand in for
// another's.
#include "placement/search_kernel.h"

#include <cstring>

// The intrinsics are static or never emitted out of line, so they too stay
// within their build.
#if defined(__SSE2__) || defined(__AVX512F__)
#include <immintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

// Lanes are byte vectors where the compiler has vector types; MSVC has none
// and gets plain loops, which MANSION_KERNEL_PLAIN builds elsewhere too, so
// that the tests run them.
#if (defined(__GNUC__) || defined(__clang__)) && !defined(MANSION_KERNEL_PLAIN)
#define KERNEL_VECTORS 1
#else
#define KERNEL_VECTORS 0
#endif

namespace {

constexpr int kSlots = kKernelSlots;

// Per draw, ceil(2^40 / pool size): the remainder by the pool size then takes
// two multiplications instead of a division.
struct Divisors {
  uint64_t factor[kSlots];
};
constexpr Divisors makeDivisors() {
  Divisors divisors{};
  for (int slot = 0; slot < kSlots; ++slot) {
    const uint64_t size = static_cast<uint64_t>(kSlots - slot);
    divisors.factor[slot] = ((uint64_t{1} << 40) + size - 1) / size;
  }
  return divisors;
}
constexpr Divisors kDivisors = makeDivisors();

// rand() % pool size for draw `slot`, rand() being the word shifted right by
// one: with F = 2^40 and factor = (F + e) / size, 0 <= e < size, the masked
// product is below F and the error term below 1, so this is exact for every
// value below 2^31 and every size up to 255.
inline uint8_t scalarIndex(const uint32_t* words, int slot) {
  constexpr uint64_t kFractionMask = (uint64_t{1} << 40) - 1;
  const uint64_t fraction = (kDivisors.factor[slot] * (words[slot] >> 1)) & kFractionMask;
  return static_cast<uint8_t>((fraction * static_cast<uint32_t>(kSlots - slot)) >> 40);
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

#if defined(__AVX512F__)
// Fifteen words at a time, one register each (the top lane unused): word t
// of the fifteen from i is the word 15 places back plus those 31, 34, ...,
// 43 places back (the recurrence unrolled five times). The word 15 back is
// the same lane of the register just made, and the others lie in the two
// registers before it, so only one addition lies between one register's
// words and the next's; the others are summed meanwhile. Words stay in
// registers, as reading one back from memory straight after writing it
// stalls when the read spans two writes.

// Per lag from 31 on, the permutation of the registers three and two before
// the new one that brings each of the fifteen the word `lag` places before it.
constexpr int kFarLags = 5;
struct WordsBack {
  alignas(64) int32_t lanes[kFarLags][16];
};
constexpr WordsBack makeWordsBack() {
  WordsBack table{};
  for (int k = 0; k < kFarLags; ++k) {
    const int lag = 31 + 3 * k;
    for (int t = 0; t < 16; ++t) {
      const int word = (t < 15 ? t : 14) - lag;  // from -45 (lane 0 of the older) to -16
      table.lanes[k][t] = word >= -30 ? 16 + (word + 30) : word + 45;
    }
  }
  return table;
}
constexpr WordsBack kWordsBack = makeWordsBack();
inline __m512i wordsBack(int k) { return _mm512_load_si512(kWordsBack.lanes[k]); }

// The last three registers of words, made from one to the next.
struct WordMaker {
  __m512i last, older, oldest;
};

// Picks up the making of words at words[from] from the words before it
// (fifteen to a register: the word at words[from] may not exist yet).
inline WordMaker resumeWords(const uint32_t* words, int from) {
  static_assert(kKernelHistory >= 45 && kKernelWords % kKernelChunk == 0 && kKernelChunk == 15,
                "three registers back, whole registers on");
  constexpr __mmask16 kFifteen = 0x7fff;
  return {_mm512_maskz_loadu_epi32(kFifteen, words + from - 15), _mm512_maskz_loadu_epi32(kFifteen, words + from - 30),
          _mm512_maskz_loadu_epi32(kFifteen, words + from - 45)};
}

// Makes the fifteen words at `out`.
inline void makeFifteen(WordMaker& maker, uint32_t* out) {
  const auto farWords = [&](int k) { return _mm512_permutex2var_epi32(maker.oldest, wordsBack(k), maker.older); };
  const __m512i far = _mm512_add_epi32(_mm512_add_epi32(farWords(0), farWords(1)),
                                       _mm512_add_epi32(farWords(2), _mm512_add_epi32(farWords(3), farWords(4))));
  const __m512i next = _mm512_add_epi32(maker.last, far);
  _mm512_mask_storeu_epi32(out, 0x7fff, next);
  maker.oldest = maker.older;
  maker.older = maker.last;
  maker.last = next;
}

void makeWords(uint32_t* words, int from, int to) {
  WordMaker maker = resumeWords(words, from);
  for (int start = from; start < to; start += 15) makeFifteen(maker, words + start);
}
#else
// Three words at a time, one chain each. Combined into vectors, the three
// sums would be read back 31 words later as one read spanning two writes,
// which stalls while those writes are still on their way to the cache; the
// empty statements keep the compiler from combining them.
#if defined(__GNUC__) || defined(__clang__)
#define KEEP_IN_SCALAR_REGISTERS(a, b, c) __asm__("" : "+r"(a), "+r"(b), "+r"(c))
#else
#define KEEP_IN_SCALAR_REGISTERS(a, b, c)
#endif
#if defined(__wasm__)
// A chunk at a time from the oldest word it reads, so that every access is
// at a fixed offset ahead, as WebAssembly's offsets cannot be negative.
// (Compiled for x86-64, the same loop takes longer.)
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
#else
void makeWords(uint32_t* words, int from, int to) {
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
#endif
#endif

void drawIndices(const uint32_t* words, uint8_t* indices) {
  for (int slot = 0; slot < kSlots; ++slot) indices[slot] = scalarIndex(words, slot);
}

#if KERNEL_VECTORS && defined(__wasm_simd128__)
// WebAssembly's own loops, on its 128-bit vectors. Lane masks are combined
// by and-not, or and unsigned minimum only: the compiler turns "mask & x" on
// vector types into a select, which engines make three instructions on
// x86-64. Scalar accesses go through pointers moved on by a step, so that
// each is at a fixed offset from one of them.

// x where the mask of whole bytes is set, else 0.
inline v128_t where(v128_t mask, v128_t x) { return wasm_u8x16_min(mask, x); }

// scalarIndex of the draw whose word and factor are at `word` and `factor`,
// from a pool of `size`.
inline uint32_t remainderOf(const uint32_t* word, const uint64_t* factor, uint32_t size) {
  constexpr uint64_t kFractionMask = (uint64_t{1} << 40) - 1;
  return static_cast<uint32_t>((((*factor * (*word >> 1)) & kFractionMask) * size) >> 40);
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

#elif KERNEL_VECTORS
// Lanes as byte vectors of the widest width the build's instruction set has
// comparisons for: the compiler splits wider ones byte by byte.
#if defined(__AVX2__)
constexpr int kWidth = 32;
#else
constexpr int kWidth = 16;
#endif
typedef int8_t Lanes __attribute__((vector_size(kWidth)));
typedef uint8_t ULanes __attribute__((vector_size(kWidth)));
// The first pass follows one vector of lanes: all of them with AVX2, the 16
// items that clash most otherwise (the lanes are in that order), where a
// second vector per draw would cost more than the earlier rejections gain.
constexpr int kClashVectors = 1;
constexpr int kFollowVectors = kKernelFollowLanes / kWidth;
static_assert(kKernelClashLanes >= kWidth && kKernelFollowLanes % kWidth == 0, "whole vectors of lanes");

// Whether any lane is nonzero; lanes are 0 or 0xff. The byte sign masks take
// one instruction where the build has them.
inline bool anyLaneSet(Lanes lanes) {
#if defined(__AVX2__)
  return _mm256_movemask_epi8((__m256i)lanes) != 0;
#elif defined(__SSE2__)
  return _mm_movemask_epi8((__m128i)lanes) != 0;
#else
  uint64_t halves[kWidth / 8];
  std::memcpy(halves, &lanes, sizeof halves);
  uint64_t set = 0;
  for (uint64_t half : halves) set |= half;
  return set != 0;
#endif
}


bool clashesWhileDrawing(const KernelTables& tables, const uint32_t* words, uint8_t* indices, WordsInProgress& next) {
  static_assert(kSlots % 4 == 0, "four draws per look");
  Lanes places[kClashVectors], inPool[kClashVectors], clashes[kClashVectors];
  for (int v = 0; v < kClashVectors; ++v) {
    ULanes items;
    std::memcpy(&items, tables.clashItems + v * kWidth, sizeof items);
    places[v] = (Lanes)(items ^ 0x80);
    inPool[v] = (Lanes)(items != 0xff);
    clashes[v] = Lanes{};
  }
#if defined(__AVX512F__)
  // The words of the next batch are made a register at a time alongside
  // the draws, whose every step waits on the one before: in between, the
  // processor has room for them.
  int made = next.made;
  WordMaker maker = resumeWords(next.words, made);
#else
  (void)next;
#endif
  for (int slot = 0; slot < kSlots; slot += 4) {
#if defined(__AVX512F__)
    if (made < kKernelWords) {
      makeFifteen(maker, next.words + made);
      made += kKernelChunk;
    }
#endif
    // The remainders stay scalar: vector ones cost more to bring into the
    // lanes than they save.
    for (int k = 0; k < 4; ++k) indices[slot + k] = scalarIndex(words, slot + k);
    for (int k = 0; k < 4; k += 2) {
      // Two draws per step, both against the places before them: the second
      // index counts the pool without the first draw's entry, so it names
      // the place one further on when it is not before that entry.
      const int first = indices[slot + k];
      const int second = indices[slot + k + 1] + (indices[slot + k + 1] >= first ? 1 : 0);
      const int8_t firstIndex = placeByte(first);
      const int8_t secondIndex = placeByte(second);
#if defined(__AVX512F__)
      // Spelled out so that each comparison is made once, as a vector, and
      // the masks are combined three at a time: the compiler otherwise makes
      // some comparisons twice, once into a mask register.
      static_assert(kClashVectors == 1, "one vector of lanes");
      constexpr int kTakenOrHit = 0xec;    // (a & c) | b
      constexpr int kOrBoth = 0xf8;        // a | (b & c)
      constexpr int kAndNeither = 0x10;    // a & ~(b | c)
      const __m256i lanePlaces = (__m256i)places[0];
      const __m256i firstPlace = _mm256_set1_epi8(firstIndex);
      const __m256i secondPlace = _mm256_set1_epi8(secondIndex);
      const __m256i takenFirst = _mm256_cmpeq_epi8(lanePlaces, firstPlace);
      const __m256i takenSecond = _mm256_cmpeq_epi8(lanePlaces, secondPlace);
      const __m256i hitSecond = _mm256_and_si256(
          takenSecond, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tables.clashesInSlot[slot + k + 1])));
      const __m256i hits = _mm256_ternarylogic_epi32(
          takenFirst, hitSecond, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tables.clashesInSlot[slot + k])),
          kTakenOrHit);
      clashes[0] = (Lanes)_mm256_ternarylogic_epi32((__m256i)clashes[0], hits, (__m256i)inPool[0], kOrBoth);
      inPool[0] = (Lanes)_mm256_ternarylogic_epi32((__m256i)inPool[0], takenFirst, takenSecond, kAndNeither);
      places[0] = (Lanes)_mm256_add_epi8(
          lanePlaces, _mm256_add_epi8(_mm256_cmpgt_epi8(lanePlaces, firstPlace), _mm256_cmpgt_epi8(lanePlaces, secondPlace)));
#else
      for (int v = 0; v < kClashVectors; ++v) {
        Lanes clashingFirst, clashingSecond;
        std::memcpy(&clashingFirst, tables.clashesInSlot[slot + k] + v * kWidth, sizeof clashingFirst);
        std::memcpy(&clashingSecond, tables.clashesInSlot[slot + k + 1] + v * kWidth, sizeof clashingSecond);
        const Lanes takenFirst = (Lanes)(places[v] == firstIndex);
        const Lanes takenSecond = (Lanes)(places[v] == secondIndex);
        clashes[v] |= ((takenFirst & clashingFirst) | (takenSecond & clashingSecond)) & inPool[v];
        inPool[v] &= ~(takenFirst | takenSecond);
        places[v] += (Lanes)(places[v] > firstIndex) + (Lanes)(places[v] > secondIndex);
      }
#endif
    }
    // A clash is final, so one look every four draws is enough.
    Lanes any = clashes[0];
    for (int v = 1; v < kClashVectors; ++v) any |= clashes[v];
    if (anyLaneSet(any)) {
#if defined(__AVX512F__)
      next.made = made;
#endif
      return true;
    }
  }
#if defined(__AVX512F__)
  next.made = made;
#endif
  return false;
}

// Once drawn, a lane goes on moving like an item still in the pool and may
// match a later index, but only its first match counts: per lane the largest
// of 0xff - slot over the matching slots.
// Four draws per step, all against the places before them: each step's
// places wait on the step before, so fewer steps finish sooner. Each index
// counts the pool without the entries of the draws before it in the step, so
// it names the place one further on for each of those entries at or before
// it (taken in ascending order); the four name different places, so a lane
// matches at most one of them.
void followDraws(const KernelTables& tables, const uint8_t* indices, uint8_t* drawnBy) {
  static_assert(kSlots % 4 == 0, "four draws per step");
  Lanes places[kFollowVectors];
  ULanes first[kFollowVectors];
  for (int v = 0; v < kFollowVectors; ++v) {
    ULanes items;
    std::memcpy(&items, tables.followedItems + v * kWidth, sizeof items);
    places[v] = (Lanes)(items ^ 0x80);
    first[v] = ULanes{};
  }
  for (int slot = 0; slot < kSlots; slot += 4) {
    int8_t index[4];
    stepPlaces(indices, slot, index);
    for (int v = 0; v < kFollowVectors; ++v) {
      ULanes match = ULanes{};
      for (int k = 0; k < 4; ++k) match |= (ULanes)(places[v] == index[k]) & static_cast<uint8_t>(0xff - slot - k);
      first[v] = first[v] > match ? first[v] : match;
      places[v] += ((Lanes)(places[v] > index[0]) + (Lanes)(places[v] > index[1])) +
                   ((Lanes)(places[v] > index[2]) + (Lanes)(places[v] > index[3]));
    }
  }
  for (int v = 0; v < kFollowVectors; ++v) {
    const ULanes drawn = 0xff - first[v];
    std::memcpy(drawnBy + v * kWidth, &drawn, sizeof drawn);
  }
}

#else  // plain loops

// GCC unrolls a short lane loop completely before it would vectorize it;
// keeping it rolled lets all lanes of a draw run in one vector operation.
#if defined(__GNUC__) && !defined(__clang__)
#define EVERY_LANE _Pragma("GCC unroll 1")
#else
#define EVERY_LANE
#endif

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
    // A clash is final, so one look every four draws is enough; the lanes
    // are read as whole words, cheaper than combining them byte by byte.
    if (slot % 4 == 3) {
      uint64_t any = 0;
      for (int lane = 0; lane < kLanes; lane += 8) {
        uint64_t eight;
        std::memcpy(&eight, clashes + lane, sizeof eight);
        any |= eight;
      }
      if (any != 0) return true;
    }
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

#endif

}  // namespace

#if defined(MANSION_KERNEL_PLAIN)
extern const SearchKernel kSearchKernelPlain;
const SearchKernel kSearchKernelPlain = {"plain", makeWords, drawIndices, clashesWhileDrawing, followDraws};
#elif defined(MANSION_KERNEL_AVX512)
extern const SearchKernel kSearchKernelAvx512;
const SearchKernel kSearchKernelAvx512 = {"avx512", makeWords, drawIndices, clashesWhileDrawing, followDraws};
#elif defined(MANSION_KERNEL_AVX2)
extern const SearchKernel kSearchKernelAvx2;
const SearchKernel kSearchKernelAvx2 = {"avx2", makeWords, drawIndices, clashesWhileDrawing, followDraws};
#else

#if defined(MANSION_X86_KERNELS)
extern const SearchKernel kSearchKernelPlain;
extern const SearchKernel kSearchKernelAvx2;
extern const SearchKernel kSearchKernelAvx512;
#endif

namespace {

const SearchKernel kSearchKernelPortable = {"portable", makeWords, drawIndices, clashesWhileDrawing, followDraws};

// Every build by name, slowest first: whether this program has it, and
// whether this processor can run it.
struct KnownKernel {
  const char* name;
  const SearchKernel* built;
  bool runs;
  const char* lacking;  // why not, when it does not run
};
struct KnownKernels {
  KnownKernel kernels[4];
  const SearchKernel* available[4];
  int count = 0;
};

KnownKernels detectKernels() {
#if defined(MANSION_X86_KERNELS)
  // The C runtime also checks that the system saves the wide registers.
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq");
  const SearchKernel* plain = &kSearchKernelPlain;
  const SearchKernel* avx2Build = &kSearchKernelAvx2;
  const SearchKernel* avx512Build = &kSearchKernelAvx512;
#else
  const bool avx2 = false, avx512 = false;
  const SearchKernel* plain = nullptr;
  const SearchKernel* avx2Build = nullptr;
  const SearchKernel* avx512Build = nullptr;
#endif
  KnownKernels known{{{"plain", plain, plain != nullptr, nullptr},
                      {"portable", &kSearchKernelPortable, true, nullptr},
                      {"avx2", avx2Build, avx2, "this processor lacks AVX2 or FMA"},
                      {"avx512", avx512Build, avx512, "this processor lacks AVX-512 (F, BW, VL and DQ)"}},
                     {},
                     0};
  for (const KnownKernel& kernel : known.kernels) {
    if (kernel.built != nullptr && kernel.runs) known.available[known.count++] = kernel.built;
  }
  return known;
}

const KnownKernels& knownKernels() {
  static const KnownKernels known = detectKernels();
  return known;
}

}  // namespace

int searchKernelCount() { return knownKernels().count; }

const SearchKernel& searchKernel(int index) { return *knownKernels().available[index]; }

const SearchKernel* searchKernelNamed(const char* name, const char*& reason) {
  for (const KnownKernel& kernel : knownKernels().kernels) {
    if (std::strcmp(kernel.name, name) != 0) continue;
    if (kernel.built == nullptr) {
      reason = "this build of the program has no such kernel";
      return nullptr;
    }
    if (!kernel.runs) {
      reason = kernel.lacking;
      return nullptr;
    }
    return kernel.built;
  }
  reason = "no such kernel (the kernels are plain, portable, avx2 and avx512)";
  return nullptr;
}

#endif
