// libFuzzer entry point: any bytes typed at the menu must leave it in the state
// the menu model predicts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "menu_input_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string problem = checkMenuInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "menu input check failed: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
