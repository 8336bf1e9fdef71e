#include "placement/search_kernel.h"

#include <gtest/gtest.h>

#include <vector>

#include "catalogue/slot_catalogue.h"
#include "placement/candidate_search.h"
#include "placement/constraint_tables.h"
#include "placement/reference_placement.h"
#include "placement/search_kernel_common.h"

namespace {

// Every build's pool indices where the remainder is most easily off by one:
// at and next to multiples of the pool size, up to the largest value.
TEST(SearchKernelTest, DrawIndicesEqualTheRemainderAtTheEdges) {
  ASSERT_GE(searchKernelCount(), 1);
  EXPECT_STREQ(deriveSearchTables(builtState(true, true), "").kernel->name,
               searchKernel(searchKernelCount() - 1).name);
  constexpr uint32_t kLargest = 0x7fffffff;  // RAND_MAX
  for (int k = 0; k < searchKernelCount(); ++k) {
    const SearchKernel& kernel = searchKernel(k);
    for (uint32_t step = 0; step < 8; ++step) {
      uint32_t words[kKernelWords] = {};
      for (int slot = 0; slot < kSlotCount; ++slot) {
        const uint32_t size = static_cast<uint32_t>(kSlotCount - slot);
        const uint32_t top = kLargest / size * size;
        const uint32_t values[8] = {top - 1, top, top + 1 <= kLargest ? top + 1 : top, kLargest,
                                    size - 1, size, top - size, 0};
        words[slot] = values[step] << 1 | (slot & 1);  // the low bit is dropped
      }
      uint8_t indices[kSlotCount];
      kernel.drawIndices(words, indices);
      for (int slot = 0; slot < kSlotCount; ++slot) {
        ASSERT_EQ(indices[slot], (words[slot] >> 1) % static_cast<uint32_t>(kSlotCount - slot))
            << kernel.name << ", slot " << slot << ", word " << words[slot];
      }
    }
  }
}

TEST(RemainderByFactorTest, EqualsTheRemainderForEveryPoolSize) {
  constexpr uint32_t kLargest = 0x7fffffff;  // RAND_MAX
  CRandom random(4242);
  for (uint32_t divisor = 1; divisor <= 255; ++divisor) {
    const uint64_t factor = remainderFactor(divisor);
    std::vector<uint32_t> values = {0, 1, divisor - 1, divisor, divisor + 1, kLargest, kLargest - 1};
    // The multiples of the divisor near the top, where the error term peaks.
    const uint32_t top = kLargest / divisor * divisor;
    for (uint32_t back = 0; back < 3; ++back) {
      const uint32_t multiple = top - back * divisor;
      values.insert(values.end(), {multiple - 1, multiple, multiple + 1});
    }
    for (int i = 0; i < 2000; ++i) values.push_back(static_cast<uint32_t>(random.next()));
    for (uint32_t value : values) {
      if (value > kLargest) continue;
      ASSERT_EQ(remainderByFactor(value, divisor, factor), value % divisor) << value << " % " << divisor;
    }
  }
}

}  // namespace
