#!/usr/bin/env bash
# Builds the web generator into OUTDIR: the engine compiled to WebAssembly
# with Emscripten, and the page around it. OUTDIR is then a static folder any
# web server can serve as it is.
#   usage: web/build.sh OUTDIR
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$1"
out="$(cd "$1" && pwd)"
# Emscripten's own tools run on Node and need Debian's Node modules when the
# machine's Node is another one.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
command -v em++ > /dev/null || { echo "$0: em++ not found (Debian package emscripten)" >&2; exit 1; }

# Everything the engine needs, and none of the console front end. -msimd128
# lets the search's vector code and loops become WebAssembly SIMD.
sources=()
for folder in state catalogue placement enemies modifiers output engine web; do
  sources+=("$root"/src/"$folder"/*.cpp)
done
sources+=("$root/src/platform/platform-posix.cpp")

objects="$(mktemp -d)"
trap 'rm -rf "$objects"' EXIT
flags=(-std=c++17 -O3 -msimd128 -Wall -Wextra -Wpedantic -I"$root/src")
pids=()
objectFiles=()
for source in "${sources[@]}"; do
  relative="${source#"$root"/src/}"
  object="$objects/${relative//\//_}.o"
  objectFiles+=("$object")
  em++ "${flags[@]}" -c "$source" -o "$object" &
  pids+=($!)
  # Two compilers at a time.
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}"
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid"; done

em++ "${flags[@]}" "${objectFiles[@]}" -o "$out/mansion.js" \
  -sMODULARIZE=1 -sEXPORT_NAME=createMansion -sENVIRONMENT=worker \
  -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=0 \
  -sEXPORTED_FUNCTIONS=_webGenerate,_webCheckItemList,_webRunView,_webReachableKeys,_webFindItem,_free \
  -sEXPORTED_RUNTIME_METHODS=FS,ccall,UTF8ToString

cp "$root"/web/index.html "$root"/web/style.css "$root"/web/page.js "$root"/web/query.js \
  "$root"/web/worker.js "$root"/web/companion.js "$root"/web/companion-worker.js "$out"/
echo "web generator built in $out"
