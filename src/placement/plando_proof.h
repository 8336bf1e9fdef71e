#pragma once

#include <vector>

#include "placement/shuffle.h"
#include "state/generation_state.h"

// What building one placement around a plando found.
struct PlandoProof {
  // True when `placement` keeps the pins and every plando line and passes
  // the validator's checks.
  bool feasible = false;
  Placement placement;
  // Otherwise: a pinned or plando item that lies in a zone it locks (-1 when
  // none), else the key items no order of pick-ups reaches.
  int32_t selfLockedItem = -1;
  std::vector<int32_t> unreachedKeys;
  // Otherwise, every key can be reached but the free slots cannot hold the
  // free key items where each is reached before the zones that need it.
  bool slotsShort = false;
  // False when the exact search stopped at its work bound: then nothing is
  // proven either way and `feasible` is false.
  bool decided = true;
};

// Builds a placement keeping the pins of state.options and `plando` (in
// which no slot or item repeats) that passes checkPlacement, when one exists:
// a quick greedy try, then an exact search over the order of pick-ups.
// Catalogue and constraint tables must be built.
PlandoProof provePlacement(const GenerationState& state, const FixedItems& plando);

// The quick heuristic alone (keys one by one where the keys reached open, the
// most promising first): a placement when it finds one, else its unreached
// keys; its "impossible" is not a proof. For comparison with provePlacement.
PlandoProof provePlacementGreedily(const GenerationState& state, const FixedItems& plando);
