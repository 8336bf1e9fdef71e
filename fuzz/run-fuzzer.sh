#!/usr/bin/env bash
# Builds one fuzzer with clang and runs it for a bounded time.
#
#   fuzz/run-fuzzer.sh menu|item-list [seconds]        (default 60)
#
# The fuzzer starts from a copy of fuzz/corpus/<name>, so the committed corpus
# only changes when someone adds an input to it on purpose. Exits non-zero on
# any crash, hang (over 10 s for one input) or leak; the failing input is kept
# in <build folder>/<name>-fuzzer-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

name="${1:?usage: fuzz/run-fuzzer.sh menu|item-list [seconds]}"
seconds="${2:-60}"
build="${MANSION_FUZZ_BUILD_DIR:-build-fuzz}"
case "$name" in
  menu | item-list) ;;
  *) echo "unknown fuzzer '$name': expected menu or item-list" >&2; exit 2 ;;
esac
target="${name//-/_}_fuzzer"

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMANSION_BUILD_FUZZERS=ON -DMANSION_BUILD_TESTS=OFF
cmake --build "$build" -j2 --target "$target"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -R "fuzz/corpus/$name" "$work/corpus"
mkdir "$work/artifacts"

status=0
# Inputs stay under 4 KB: a menu input only adds more of the same lines, and
# an item list is under 2 KB. The 100 KB menu corpus inputs are replayed whole
# by menu_corpus_test.
"$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" 2> "$work/log" || status=$?
# The log is long; its end says what happened.
tail -n 40 "$work/log"

runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")"
echo "$name fuzzer: ${runs:-unknown number of} runs, limit ${seconds} s, exit status ${status}"

if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
  mkdir -p "$build/$name-fuzzer-artifacts"
  cp -R "$work/artifacts/." "$build/$name-fuzzer-artifacts/"
  cp "$work/log" "$build/$name-fuzzer-artifacts/log"
  echo "$name fuzzer failed; inputs and log are in $build/$name-fuzzer-artifacts/" >&2
  exit $(( status != 0 ? status : 1 ))
fi
