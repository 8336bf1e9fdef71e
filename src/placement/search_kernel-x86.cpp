// The x86-64 vector loops: 32 byte lanes a vector, compiled twice, once with
// AVX2 (and FMA) as the avx2 build, once with AVX-512 (F, BW, VL and DQ) as
// the avx512 build, which also makes its words a 512-bit register at a time
// and spells out the first pass's step in its own instructions.
#include <immintrin.h>  // static or never emitted out of line: stays within this build

#include "placement/search_kernel.h"
#include "placement/search_kernel_common.h"
#include "placement/search_kernel_lanes.h"

namespace {

typedef int8_t Lanes __attribute__((vector_size(32)));
typedef uint8_t ULanes __attribute__((vector_size(32)));

// Whether any lane is nonzero; lanes are 0 or 0xff.
inline bool anyLaneSet(Lanes lanes) { return _mm256_movemask_epi8((__m256i)lanes) != 0; }

void followDraws(const KernelTables& tables, const uint8_t* indices, uint8_t* drawnBy) {
  followDrawsOnLanes<Lanes, ULanes>(tables, indices, drawnBy);
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

// The two draws of twoDrawsOnLanes, spelled out so that each comparison is
// made once, as a vector, and the masks are combined three at a time: the
// compiler otherwise makes some comparisons twice, once into a mask register.
inline void twoDraws(ClashLanes<Lanes>& lanes, const KernelTables& tables, int slot, int8_t firstIndex,
                     int8_t secondIndex) {
  constexpr int kTakenOrHit = 0xec;  // (a & c) | b
  constexpr int kOrBoth = 0xf8;      // a | (b & c)
  constexpr int kAndNeither = 0x10;  // a & ~(b | c)
  const __m256i lanePlaces = (__m256i)lanes.places;
  const __m256i firstPlace = _mm256_set1_epi8(firstIndex);
  const __m256i secondPlace = _mm256_set1_epi8(secondIndex);
  const __m256i takenFirst = _mm256_cmpeq_epi8(lanePlaces, firstPlace);
  const __m256i takenSecond = _mm256_cmpeq_epi8(lanePlaces, secondPlace);
  const __m256i hitSecond = _mm256_and_si256(
      takenSecond, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tables.clashesInSlot[slot + 1])));
  const __m256i hits = _mm256_ternarylogic_epi32(
      takenFirst, hitSecond, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tables.clashesInSlot[slot])),
      kTakenOrHit);
  lanes.clashes = (Lanes)_mm256_ternarylogic_epi32((__m256i)lanes.clashes, hits, (__m256i)lanes.inPool, kOrBoth);
  lanes.inPool = (Lanes)_mm256_ternarylogic_epi32((__m256i)lanes.inPool, takenFirst, takenSecond, kAndNeither);
  lanes.places = (Lanes)_mm256_add_epi8(
      lanePlaces, _mm256_add_epi8(_mm256_cmpgt_epi8(lanePlaces, firstPlace), _mm256_cmpgt_epi8(lanePlaces, secondPlace)));
}

// The words of the next batch are made a register at a time alongside the
// draws, whose every step waits on the one before: in between, the processor
// has room for them.
bool clashesWhileDrawing(const KernelTables& tables, const uint32_t* words, uint8_t* indices, WordsInProgress& next) {
  int made = next.made;
  WordMaker maker = resumeWords(next.words, made);
  const bool clashes = clashesOnLanes<Lanes, ULanes>(
      tables, words, indices,
      [&] {
        if (made < kKernelWords) {
          makeFifteen(maker, next.words + made);
          made += kKernelChunk;
        }
      },
      [&](ClashLanes<Lanes>& lanes, int slot, int8_t firstIndex, int8_t secondIndex) {
        twoDraws(lanes, tables, slot, firstIndex, secondIndex);
      },
      anyLaneSet);
  next.made = made;
  return clashes;
}

#else  // AVX2: the words in scalar chains, the lanes' own steps

void makeWords(uint32_t* words, int from, int to) { makeWordsInChains(words, from, to); }

bool clashesWhileDrawing(const KernelTables& tables, const uint32_t* words, uint8_t* indices, WordsInProgress& next) {
  (void)next;
  return clashesOnLanesAlone<Lanes, ULanes>(tables, words, indices, anyLaneSet);
}

#endif

}  // namespace

#if defined(__AVX512F__)
const SearchKernel kSearchKernelAvx512 = {"avx512", makeWords, drawIndices, clashesWhileDrawing, followDraws};
#else
const SearchKernel kSearchKernelAvx2 = {"avx2", makeWords, drawIndices, clashesWhileDrawing, followDraws};
#endif
