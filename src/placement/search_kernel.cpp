// Lists the builds of the search's inner loops that this program has and
// picks one: the build (src/placement/CMakeLists.txt) compiles one file per
// build of the loops, each defining one SearchKernel object.
#include <cstring>

#include "placement/search_kernel.h"

namespace {

// Every build by name, slowest first: whether this program has it, and
// whether this processor can run it.
struct KnownKernel {
  const char* name;
  const SearchKernel* built;
  bool runs;
  const char* lacking;  // why not, when it does not run
};
struct KnownKernels {
  KnownKernel kernels[4];
  const SearchKernel* available[4];
  int count = 0;
};

KnownKernels detectKernels() {
#if defined(MANSION_X86_KERNELS)
  // The C runtime also checks that the system saves the wide registers.
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq");
  const SearchKernel* plain = &kSearchKernelPlain;
  const SearchKernel* avx2Build = &kSearchKernelAvx2;
  const SearchKernel* avx512Build = &kSearchKernelAvx512;
#else
  const bool avx2 = false, avx512 = false;
  const SearchKernel* plain = nullptr;
  const SearchKernel* avx2Build = nullptr;
  const SearchKernel* avx512Build = nullptr;
#endif
  KnownKernels known{{{"plain", plain, plain != nullptr, nullptr},
                      {"portable", &kSearchKernelPortable, true, nullptr},
                      {"avx2", avx2Build, avx2, "this processor lacks AVX2 or FMA"},
                      {"avx512", avx512Build, avx512, "this processor lacks AVX-512 (F, BW, VL and DQ)"}},
                     {},
                     0};
  for (const KnownKernel& kernel : known.kernels) {
    if (kernel.built != nullptr && kernel.runs) known.available[known.count++] = kernel.built;
  }
  return known;
}

const KnownKernels& knownKernels() {
  static const KnownKernels known = detectKernels();
  return known;
}

}  // namespace

int searchKernelCount() { return knownKernels().count; }

const SearchKernel& searchKernel(int index) { return *knownKernels().available[index]; }

const SearchKernel* searchKernelNamed(const char* name, const char*& reason) {
  for (const KnownKernel& kernel : knownKernels().kernels) {
    if (std::strcmp(kernel.name, name) != 0) continue;
    if (kernel.built == nullptr) {
      reason = "this build of the program has no such kernel";
      return nullptr;
    }
    if (!kernel.runs) {
      reason = kernel.lacking;
      return nullptr;
    }
    return kernel.built;
  }
  reason = "no such kernel (the kernels are plain, portable, avx2 and avx512)";
  return nullptr;
}

