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
};

// Builds a placement keeping the pins of state.options and `plando` (in
// which no slot or item repeats) that passes checkPlacement, placing the
// free key items one by one where no key they need lies behind them.
// Catalogue and constraint tables must be built.
PlandoProof provePlacement(const GenerationState& state, const FixedItems& plando);
