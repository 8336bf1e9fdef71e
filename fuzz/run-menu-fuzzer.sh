#!/usr/bin/env bash
# Builds the menu fuzzer with clang and runs it for a bounded time.
#
#   fuzz/run-menu-fuzzer.sh [seconds]        (default 60)
#
# The fuzzer starts from a copy of fuzz/corpus/menu, so the committed corpus
# only changes when someone adds an input to it on purpose. Exits non-zero on
# any crash, hang (over 10 s for one input) or leak; the failing input is kept
# in <build folder>/menu-fuzzer-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build="${MANSION_FUZZ_BUILD_DIR:-build-fuzz}"

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMANSION_BUILD_FUZZERS=ON -DMANSION_BUILD_TESTS=OFF
cmake --build "$build" -j2 --target menu_fuzzer

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -R fuzz/corpus/menu "$work/corpus"
mkdir "$work/artifacts"

status=0
# Inputs stay under 4 KB: longer ones only add more of the same lines, at half
# the speed. The 100 KB corpus inputs are replayed whole by menu_corpus_test.
"$build/fuzz/menu_fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" 2> "$work/log" || status=$?
# The log is long; its end says what happened.
tail -n 40 "$work/log"

runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")"
echo "menu fuzzer: ${runs:-unknown number of} runs, limit ${seconds} s, exit status ${status}"

if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
  mkdir -p "$build/menu-fuzzer-artifacts"
  cp -R "$work/artifacts/." "$build/menu-fuzzer-artifacts/"
  cp "$work/log" "$build/menu-fuzzer-artifacts/log"
  echo "menu fuzzer failed; inputs and log are in $build/menu-fuzzer-artifacts/" >&2
  exit $(( status != 0 ? status : 1 ))
fi
