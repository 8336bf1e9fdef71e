#pragma once

// The loops on byte vectors that the portable build (16 lanes a vector) and
// the x86 vector builds (32) share, for compilers with vector types (GCC and
// clang). Lanes and ULanes are the build's signed and unsigned byte vectors.
// Like the common pieces, everything here has internal linkage, so each
// build keeps its own copy.

#include <cstring>

#include "placement/search_kernel.h"
#include "placement/search_kernel_common.h"

namespace {

// The first pass follows one vector of lanes: all of them with AVX2, the 16
// items that clash most otherwise (the lanes are in that order), where a
// second vector per draw would cost more than the earlier rejections gain.
template <typename Lanes>
struct ClashLanes {
  Lanes places, inPool, clashes;
};

template <typename Lanes, typename ULanes>
inline ClashLanes<Lanes> startClashLanes(const KernelTables& tables) {
  static_assert(kKernelClashLanes >= static_cast<int>(sizeof(Lanes)), "one whole vector of lanes");
  ULanes items;
  std::memcpy(&items, tables.clashItems, sizeof items);
  return {(Lanes)(items ^ 0x80), (Lanes)(items != 0xff), Lanes{}};
}

// Two draws per step, both against the places before them, the second
// index counting the pool without the first draw's entry (see
// clashesOnLanes): the draws of `slot` and slot + 1 at places
// firstIndex and secondIndex.
template <typename Lanes>
inline void twoDrawsOnLanes(ClashLanes<Lanes>& lanes, const KernelTables& tables, int slot, int8_t firstIndex,
                            int8_t secondIndex) {
  Lanes clashingFirst, clashingSecond;
  std::memcpy(&clashingFirst, tables.clashesInSlot[slot], sizeof clashingFirst);
  std::memcpy(&clashingSecond, tables.clashesInSlot[slot + 1], sizeof clashingSecond);
  const Lanes takenFirst = (Lanes)(lanes.places == firstIndex);
  const Lanes takenSecond = (Lanes)(lanes.places == secondIndex);
  lanes.clashes |= ((takenFirst & clashingFirst) | (takenSecond & clashingSecond)) & lanes.inPool;
  lanes.inPool &= ~(takenFirst | takenSecond);
  lanes.places += (Lanes)(lanes.places > firstIndex) + (Lanes)(lanes.places > secondIndex);
}

// SearchKernel::clashesWhileDrawing on one vector of lanes. Once per four
// draws it calls meanwhile() (where a build may make some of the next
// batch's words) and twoDraws(lanes, slot, firstIndex, secondIndex) twice;
// anyLaneSet(lanes) says whether a lane is set.
template <typename Lanes, typename ULanes, typename Meanwhile, typename TwoDraws, typename AnyLaneSet>
inline bool clashesOnLanes(const KernelTables& tables, const uint32_t* words, uint8_t* indices, Meanwhile meanwhile,
                           TwoDraws twoDraws, AnyLaneSet anyLaneSet) {
  static_assert(kSlots % 4 == 0, "four draws per look");
  ClashLanes<Lanes> lanes = startClashLanes<Lanes, ULanes>(tables);
  for (int slot = 0; slot < kSlots; slot += 4) {
    meanwhile();
    // The remainders stay scalar: vector ones cost more to bring into the
    // lanes than they save.
    for (int k = 0; k < 4; ++k) indices[slot + k] = scalarIndex(words, slot + k);
    for (int k = 0; k < 4; k += 2) {
      // The second index counts the pool without the first draw's entry,
      // so it names the place one further on when it is not before that
      // entry.
      const int first = indices[slot + k];
      const int second = indices[slot + k + 1] + (indices[slot + k + 1] >= first ? 1 : 0);
      twoDraws(lanes, slot + k, placeByte(first), placeByte(second));
    }
    // A clash is final, so one look every four draws is enough.
    if (anyLaneSet(lanes.clashes)) return true;
  }
  return false;
}

// clashesOnLanes with the steps of twoDrawsOnLanes and no words made
// meanwhile.
template <typename Lanes, typename ULanes, typename AnyLaneSet>
inline bool clashesOnLanesAlone(const KernelTables& tables, const uint32_t* words, uint8_t* indices,
                                AnyLaneSet anyLaneSet) {
  return clashesOnLanes<Lanes, ULanes>(
      tables, words, indices, [] {},
      [&](ClashLanes<Lanes>& lanes, int slot, int8_t firstIndex, int8_t secondIndex) {
        twoDrawsOnLanes(lanes, tables, slot, firstIndex, secondIndex);
      },
      anyLaneSet);
}

// SearchKernel::followDraws on vectors of lanes. Once drawn, a lane goes on
// moving like an item still in the pool and may match a later index, but
// only its first match counts: per lane the largest of 0xff - slot over the
// matching slots.
// Four draws per step, all against the places before them: each step's
// places wait on the step before, so fewer steps finish sooner. Each index
// counts the pool without the entries of the draws before it in the step, so
// it names the place one further on for each of those entries at or before
// it (taken in ascending order); the four name different places, so a lane
// matches at most one of them.
template <typename Lanes, typename ULanes>
inline void followDrawsOnLanes(const KernelTables& tables, const uint8_t* indices, uint8_t* drawnBy) {
  static_assert(kSlots % 4 == 0, "four draws per step");
  constexpr int kWidth = sizeof(Lanes);
  constexpr int kFollowVectors = kKernelFollowLanes / kWidth;
  static_assert(kKernelFollowLanes % kWidth == 0, "whole vectors of lanes");
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

}  // namespace
