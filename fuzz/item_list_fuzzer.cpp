// libFuzzer entry point: any bytes offered as an item list must be read,
// judged and routed without a crash, with the route keeping its promises.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "item_list_input_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string problem = checkItemListInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "item list input check failed: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
