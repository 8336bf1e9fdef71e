#include "placement/generation.h"

#include "placement/shuffle.h"
#include "placement/validator.h"

void generatePlacement(GenerationState& state) {
  while (!state.placementValid) {
    shufflePlacement(state);
    validatePlacement(state);
  }
}
