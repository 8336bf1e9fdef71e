#include "catalogue/pins.h"

namespace {

// One at a time: g++ 12 warns falsely about a range insert into an empty vector.
template <typename Range>
void append(std::vector<SlotIndex>& out, const Range& slots) {
  for (SlotIndex slot : slots) out.push_back(slot);
}

}  // namespace

std::vector<SlotIndex> pinnedSlotOrder(const RunOptions& options) {
  std::vector<SlotIndex> order;
  append(order, kCommonPinnedSlots);
  if (options.hardDifficulty) append(order, kHardPinnedSlots);
  if (!options.character) {
    append(order, kJillPinnedSlots);
    if (!options.hardDifficulty) append(order, kJillNormalPinnedSlots);
  } else if (options.hardDifficulty) {
    append(order, kChrisHardPinnedSlots);
  }
  return order;
}
