#pragma once

// The inner loops of the candidate search, compiled once per instruction set
// (a portable build everywhere; AVX2 and AVX-512 builds, and one of the plain
// loops MSVC gets, on x86-64 where the compiler can target them) and chosen
// at run time from what the processor has. Each build is a file of its own,
// search_kernel-<build>.cpp; the pieces they share are in
// search_kernel_common.h and search_kernel_lanes.h with internal linkage.
// Only plain data crosses this interface, so the builds share no inline code
// that could be taken from the wrong one.

#include <cstdint>

constexpr int kKernelSlots = 180;
// Items the first pass follows, and the most the second pass can follow.
constexpr int kKernelClashLanes = 32;
constexpr int kKernelFollowLanes = 96;

// Generator words: each is the sum of the words 31 and 3 places before it
// (modulo 2^32). They are made for kKernelBatch candidates at a time, in
// pieces of kKernelChunk words, each from the kKernelHistory words before it.
constexpr int kKernelHistory = 64;
constexpr int kKernelBatch = 4;
constexpr int kKernelWords = kKernelBatch * kKernelSlots;
constexpr int kKernelChunk = 15;

// The words of the next batch while they are made: the first of them (with
// the kKernelHistory words before it in place) and how many are made.
struct WordsInProgress {
  uint32_t* words;
  int made;
};

// What the loops read, derived by deriveSearchTables.
struct KernelTables {
  // First pass: one item per lane (0xff for an unused lane), and per slot
  // 0xff in the lane of every such item that clashes in that slot.
  uint8_t clashItems[kKernelClashLanes];
  uint8_t clashesInSlot[kKernelSlots][kKernelClashLanes];
  // Second pass: one item per lane, 0xff for an unused lane.
  uint8_t followedItems[kKernelFollowLanes];
};

// One build of the loops.
struct SearchKernel {
  // plain, portable, avx2 or avx512: the name MANSION_KERNEL takes.
  const char* name;
  // Makes words[from] up to words[to - 1], from and to multiples of
  // kKernelChunk up to kKernelWords.
  void (*makeWords)(uint32_t* words, int from, int to);
  // The pool index of each of the 180 draws of a candidate: (word >> 1) %
  // (180 - draw), from the candidate's 180 generator words.
  void (*drawIndices)(const uint32_t* words, uint8_t* indices);
  // First pass: whether drawing from `words` puts a first-pass item into a
  // slot it clashes in. The pool indices of the draws made so far are left
  // in `indices` (all 180 when it returns false). Meanwhile it may make some
  // of the next batch's words, moving next.made on by whole chunks.
  bool (*clashesWhileDrawing)(const KernelTables& tables, const uint32_t* words, uint8_t* indices,
                              WordsInProgress& next);
  // Second pass: the slot that draws each followed item, per lane, given the
  // pool index of every draw.
  void (*followDraws)(const KernelTables& tables, const uint8_t* indices, uint8_t* drawnBy);
};

// The builds, each defined by its own file when this program has it (the
// chooser below knows which): the plain loops, the portable ones (WebAssembly's
// on the web, the plain loops again with MSVC), AVX2 and AVX-512.
extern const SearchKernel kSearchKernelPlain;
extern const SearchKernel kSearchKernelPortable;
extern const SearchKernel kSearchKernelAvx2;
extern const SearchKernel kSearchKernelAvx512;

// The builds this processor can run, slowest first: where the AVX builds
// exist, the plain loops of compilers without vector types (for the tests),
// then always the portable build, then AVX2 and AVX-512 as the processor has
// them. Never empty; the search runs the last.
int searchKernelCount();
const SearchKernel& searchKernel(int index);

// The build called `name` (plain, portable, avx2 or avx512) when this program
// has it and this processor can run it; otherwise nullptr, with `reason`
// (a string literal) saying what is missing.
const SearchKernel* searchKernelNamed(const char* name, const char*& reason);
