#!/usr/bin/env bash
# Runs the placement search's differential tests (tests/placement/
# candidate_search_test.cpp: every verdict against the literal reference,
# candidate by candidate; search_kernel_test.cpp: the loops' pool indices)
# on the WebAssembly build of the search, in Node: ctest runs only the
# native builds, and the page has loops of its own.
# Needs em++ (Debian's emscripten) and Google Test's sources (Debian's
# googletest, in /usr/src/googletest).
#   bash web/test/wasm-search-test.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
gtest="${GTEST_SOURCE:-/usr/src/googletest/googletest}"
# Emscripten's own tools run on Node and need Debian's Node modules when the
# machine's Node is another one.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The version header CMake makes from project() in CMakeLists.txt.
version="$(sed -n 's/^project([^)]* VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
mkdir -p "$work/generated/state"
sed "s/@PROJECT_VERSION@/$version/" "$root/cmake/version.h.in" > "$work/generated/state/version.h"

# The page's flags for the engine; Google Test without threads.
flags=(-std=c++17 -O3 -msimd128 -DGTEST_HAS_PTHREAD=0 -I"$root/src" -I"$work/generated" -I"$root/tests"
  -I"$gtest/include" -I"$gtest")
# Of the search's loops, the web build's alone (search_kernel-wasm.cpp).
sources=("$root"/src/state/*.cpp "$root"/src/catalogue/*.cpp)
for source in "$root"/src/placement/*.cpp; do
  case "$source" in */search_kernel-*.cpp) ;; *) sources+=("$source") ;; esac
done
sources+=("$root/src/placement/search_kernel-wasm.cpp"
  "$root/tests/placement/candidate_search_test.cpp" "$root/tests/placement/search_kernel_test.cpp"
  "$root/tests/placement/reference_placement.cpp"
  "$gtest/src/gtest-all.cc" "$gtest/src/gtest_main.cc")
objects=()
pids=()
for source in "${sources[@]}"; do
  object="$work/${#objects[@]}-$(basename "$source").o"
  objects+=("$object")
  em++ "${flags[@]}" -c "$source" -o "$object" &
  pids+=($!)
  # Two compilers at a time.
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}"
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid"; done
em++ -O3 -msimd128 -sENVIRONMENT=node -sSINGLE_FILE -sALLOW_MEMORY_GROWTH -sTOTAL_STACK=8MB "${objects[@]}" \
  -o "$work/candidate_search_test.js"
node "$work/candidate_search_test.js" "$@"
