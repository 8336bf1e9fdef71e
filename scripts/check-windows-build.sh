#!/usr/bin/env bash
# Cross-builds the Windows program with MinGW-w64, runs it under Wine and
# checks it against the Linux build:
#
#   bash scripts/check-windows-build.sh [LINUX_PROGRAM]
#
# LINUX_PROGRAM is an already-built Linux mansion-randomizer (default
# build/mansion-randomizer). Needs cmake and, on Debian, the packages
# g++-mingw-w64-x86-64 wine wine64; run as root, the script installs the
# missing ones itself. Needs no display and no input.
#
# Run as root, the Windows programs run as the unprivileged user 65534, since
# root writes into folders whose write bits are off and so would hide the
# read-only folder case.
set -euo pipefail

linux_program=${1:-build/mansion-randomizer}
case $linux_program in /*) ;; *) linux_program=$PWD/$linux_program ;; esac
cd "$(dirname "$0")/.."
root=$PWD

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
ok() { echo "ok: $*"; }

# --- timing ------------------------------------------------------------------
stage_names=()
stage_seconds=()
script_start=$(date +%s.%N)
stage_start=$script_start
end_stage() {
  local now
  now=$(date +%s.%N)
  stage_names+=("$1")
  stage_seconds+=("$(awk -v a="$stage_start" -v b="$now" 'BEGIN { printf "%.1f", b - a }')")
  stage_start=$now
}

# --- tools -------------------------------------------------------------------
find_wine() {
  local candidate
  for candidate in wine wine64 /usr/lib/wine/wine64 /usr/lib/wine/wine; do
    if command -v "$candidate" > /dev/null 2>&1; then
      command -v "$candidate"
      return 0
    fi
  done
  return 1
}
find_wineserver() {
  local candidate
  for candidate in wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
    if command -v "$candidate" > /dev/null 2>&1; then
      command -v "$candidate"
      return 0
    fi
  done
  return 1
}

missing=()
command -v x86_64-w64-mingw32-g++ > /dev/null || command -v x86_64-w64-mingw32-g++-posix > /dev/null ||
  missing+=(g++-mingw-w64-x86-64)
find_wine > /dev/null && find_wineserver > /dev/null || missing+=(wine wine64)
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null; then
    echo "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update > /dev/null
    apt-get install -y --no-install-recommends "${missing[@]}" > /dev/null
  else
    echo "missing packages: ${missing[*]} (apt-get install ${missing[*]})" >&2
    exit 2
  fi
fi
command -v cmake > /dev/null || { echo "cmake is missing" >&2; exit 2; }
[ -x "$linux_program" ] ||
  { echo "no Linux program at $linux_program; build it first: cmake -S . -B build && cmake --build build -j2 --target mansion-randomizer" >&2; exit 2; }

wine=$(find_wine)
wineserver=$(find_wineserver)
# Started directly, the loader needs to be told its own path to start child
# processes (Debian's /usr/bin/wine wrapper sets this too).
case $wine in /usr/lib/wine/*) export WINELOADER=$wine ;; esac
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d "${TMPDIR:-/tmp}/check-windows.XXXXXX")
export WINEPREFIX=$work/wineprefix
as_wine_user=()
if [ "$(id -u)" = 0 ]; then
  chown 65534:65534 "$work"
  as_wine_user=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$work")
fi
cleanup() {
  "${as_wine_user[@]}" "$wineserver" -k > /dev/null 2>&1 || true
  chmod -R u+w "$work" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# Gives a folder made by this script to the user the Windows programs run as.
hand_over() { [ ${#as_wine_user[@]} -eq 0 ] || chown -R 65534:65534 "$@"; }
run_wine() { "${as_wine_user[@]}" "$wine" "$@"; }
end_stage "tools"

# --- build -------------------------------------------------------------------
echo "building the Windows program in build-windows/"
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DMANSION_BUILD_TESTS=OFF -DMANSION_WARNINGS_AS_ERRORS=ON > "$work/cmake.log" 2>&1 ||
  { cat "$work/cmake.log" >&2; fail "configuring the Windows build"; }
cmake --build build-windows -j2 > "$work/build.log" 2>&1 ||
  { cat "$work/build.log" >&2; fail "building the Windows program"; }
mingw_cxx=$(sed -n 's/^MINGW_CXX:FILEPATH=//p' build-windows/CMakeCache.txt)
"$mingw_cxx" -std=c++17 -O2 -Wall -Wextra -Wpedantic -Werror -static \
  -o build-windows/hold_file.exe tests/windows/hold_file.cpp ||
  fail "building tests/windows/hold_file.cpp"
"$mingw_cxx" -std=c++17 -O2 -Wall -Wextra -Wpedantic -Werror -static -I src \
  -o build-windows/create_new_file_check.exe tests/windows/create_new_file_check.cpp src/platform/platform-win32.cpp \
  src/platform/marked_files.cpp \
  -lbcrypt ||
  fail "building tests/windows/create_new_file_check.cpp"
ok "Windows build with $(basename "$mingw_cxx"), -Werror, static: no warnings"
imports=$(x86_64-w64-mingw32-objdump -p build-windows/mansion-randomizer.exe |
  awk '/DLL Name:/ { dll = $3; next } dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print dll ": " $3 }')
dlls=$(printf '%s\n' "$imports" | cut -d: -f1 | sort -u | xargs)
for dll in $dlls; do
  case ${dll,,} in
    kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll | user32.dll | advapi32.dll | bcrypt.dll) ;;
    *) fail "mansion-randomizer.exe needs $dll, which a player's Windows does not have" ;;
  esac
done
ok "mansion-randomizer.exe needs only system DLLs: $dlls"
# The search's AVX2 and AVX-512 loops run on Windows too. Win64 keeps the
# stack aligned to 16 bytes only, so an aligned move of a 32- or 64-byte
# register there would fault whenever its stack slot happens to be misaligned.
x86_64-w64-mingw32-objdump -d build-windows/mansion-randomizer.exe > "$work/disassembly.txt"
grep -q '%ymm' "$work/disassembly.txt" && grep -q '%zmm' "$work/disassembly.txt" ||
  fail "mansion-randomizer.exe lacks the AVX2 or the AVX-512 search loops"
aligned=$(grep -E 'vmov(dqa(32|64)?|ap[sd]|ntdq|ntp[sd])[[:space:]].*%[yz]mm' "$work/disassembly.txt" | head -3 || true)
[ -z "$aligned" ] || fail "mansion-randomizer.exe has aligned 32- or 64-byte moves, which fault on a misaligned stack:
$aligned"
ok "mansion-randomizer.exe has the AVX2 and AVX-512 search loops and no aligned 32- or 64-byte move"
mkdir -p "$work/bin"
cp build-windows/mansion-randomizer.exe build-windows/hold_file.exe build-windows/create_new_file_check.exe "$work/bin/"
hand_over "$work/bin"
exe=$work/bin/mansion-randomizer.exe
# CreateProcess inside Wine wants a Windows path; drive Z: is the Unix root.
exe_windows="Z:${exe//\//\\}"
end_stage "cross-build"

# --- Wine --------------------------------------------------------------------
# One server for every run below, rather than one started per program.
"${as_wine_user[@]}" mkdir "$WINEPREFIX"
"${as_wine_user[@]}" "$wineserver" -p
run_wine wineboot --init > "$work/wineboot.log" 2>&1 ||
  { cat "$work/wineboot.log" >&2; fail "creating the Wine prefix"; }
wine_version=$(run_wine --version 2> /dev/null || echo "wine, version unknown")
end_stage "first Wine start (new prefix)"
ok "$wine_version started in a new prefix without a display"

# --- a. fixed-seed runs --------------------------------------------------------
cd "$work"
compare_files() {  # FOLDER_A FOLDER_B WHAT
  local name
  for name in "$1"/*; do
    [ -f "$2/${name##*/}" ] || fail "$3: ${name##*/} is missing from $2"
    cmp -s "$name" "$2/${name##*/}" || fail "$3: ${name##*/} differs: $(cmp "$name" "$2/${name##*/}" 2>&1 || true)"
  done
  [ "$(ls "$1")" = "$(ls "$2")" ] || fail "$3: the file sets differ: $(ls "$1" | tr '\n' ' ')/ $(ls "$2" | tr '\n' ' ')"
}
fixed_run=0
check_fixed_seed() {
  fixed_run=$((fixed_run + 1))
  local linux_dir=fixed$fixed_run-linux windows_dir=fixed$fixed_run-windows status
  status=0
  "$linux_program" "$@" --output-dir "$linux_dir" > "$linux_dir.out" 2>&1 || status=$?
  [ $status -eq 0 ] || fail "Linux build, $*: exit status $status: $(cat "$linux_dir.out")"
  mkdir "$windows_dir"
  hand_over "$windows_dir"
  status=0
  run_wine "$exe" "$@" --output-dir "$windows_dir" > "$windows_dir.out" 2>&1 || status=$?
  [ $status -eq 0 ] || fail "Windows build, $*: exit status $status: $(cat "$windows_dir.out")"
  local expected=2
  case " $* " in *" --key-route "*) expected=3 ;; esac
  [ "$(ls "$linux_dir" | wc -l)" -eq $expected ] ||
    fail "Linux build, $*: expected $expected files, got $(ls "$linux_dir")"
  compare_files "$linux_dir" "$windows_dir" "fixed seed, $*"
  ok "fixed seed, $*: exit 0 and $(ls "$windows_dir" | tr '\n' ' ')byte-identical to the Linux build's"
}
check_fixed_seed --seed 2024 --character jill --difficulty hard --enemies --modifier 1,3,6
check_fixed_seed --seed 7 --character chris --difficulty normal
check_fixed_seed --seed 4294967295 --character chris --difficulty hard --modifier 2,4,5
# The key route too, of a modifier-5 run (which keeps its key items),
# searched on two threads.
check_fixed_seed --seed 104 --character chris --difficulty hard --modifier 5 --key-route --threads 2

# Every build of the search's inner loops, the AVX ones included, gives the
# Linux build's bytes where the processor runs it, and both builds refuse the
# same builds with the same words where it does not.
kernel_run=(--seed 10 --character chris --difficulty hard --enemies --modifier 1,6 --threads 1)
for kernel in plain portable avx2 avx512; do
  linux_status=0
  MANSION_KERNEL=$kernel "$linux_program" "${kernel_run[@]}" --output-dir "kernel-$kernel-linux" \
    > "kernel-$kernel-linux.out" 2>&1 || linux_status=$?
  mkdir "kernel-$kernel-windows"
  hand_over "kernel-$kernel-windows"
  windows_status=0
  MANSION_KERNEL=$kernel run_wine "$exe" "${kernel_run[@]}" --output-dir "kernel-$kernel-windows" \
    > "kernel-$kernel-windows.out" 2>&1 || windows_status=$?
  windows_out=$(tr -d '\r' < "kernel-$kernel-windows.out")
  [ "$linux_status" = "$windows_status" ] ||
    fail "MANSION_KERNEL=$kernel: Linux build exit $linux_status ($(cat "kernel-$kernel-linux.out")), Windows build exit $windows_status ($windows_out)"
  if [ "$linux_status" != 0 ]; then
    [ "$(cat "kernel-$kernel-linux.out")" = "$windows_out" ] ||
      fail "MANSION_KERNEL=$kernel: Linux said '$(cat "kernel-$kernel-linux.out")', Windows said '$windows_out'"
    ok "MANSION_KERNEL=$kernel: refused alike by both builds, exit $linux_status: $windows_out"
    continue
  fi
  compare_files "kernel-$kernel-linux" "kernel-$kernel-windows" "MANSION_KERNEL=$kernel, ${kernel_run[*]}"
  ok "MANSION_KERNEL=$kernel, ${kernel_run[*]}: byte-identical to the Linux build's"
done

new_files=$work/fixed1-linux
end_stage "a. fixed-seed runs"

# --- b. checking an item list ---------------------------------------------------
# Both builds judge the same files alike: a good one, the same file with
# another seed named, and one cut short.
check_same_verdict() {  # FILE ARGUMENTS...
  local linux_status=0 windows_status=0 linux_out windows_out
  linux_out=$("$linux_program" --check "$@" 2>&1) || linux_status=$?
  windows_out=$(run_wine "$exe" --check "$@" 2>&1) || windows_status=$?
  windows_out=${windows_out//$'\r'/}
  [ "$linux_status" = "$windows_status" ] && [ "$linux_out" = "$windows_out" ] ||
    fail "--check $*: Linux said ($linux_status) '$linux_out', Windows said ($windows_status) '$windows_out'"
  ok "--check $*: exit $linux_status and the same words from both builds"
}
cp fixed1-linux/ItemListJillHard.txt ItemListJillHard.txt
check_same_verdict ItemListJillHard.txt --seed 2024 --enemies --modifier 1,3,6
check_same_verdict ItemListJillHard.txt --seed 2025 --enemies --modifier 1,3,6
mkdir cut
head -c 300 ItemListJillHard.txt > cut/ItemListJillHard.txt
check_same_verdict cut/ItemListJillHard.txt
# A race under Windows: a seed from BCryptGenRandom, shown nowhere, and the
# item list alone, whose file code both builds' --check confirm.
mkdir race
hand_over race
status=0
run_wine "$exe" --race --character chris --difficulty normal --enemies --output-dir race > race.out 2>&1 || status=$?
[ $status -eq 0 ] || fail "race, Windows build: exit status $status: $(cat race.out)"
[ "$(ls race)" = ItemListChrisNormal.txt ] || fail "race, Windows build: wrote $(ls race | tr '\n' ' ')"
! grep -q Seed race.out || fail "race, Windows build: the console shows a seed: $(cat race.out)"
race_code=$(tr -d '\r' < race.out | sed -n 's/^File code: //p')
[ -n "$race_code" ] || fail "race, Windows build: no file code on the console: $(cat race.out)"
check_same_verdict race/ItemListChrisNormal.txt
race_check=$("$linux_program" --check race/ItemListChrisNormal.txt) ||
  fail "race: the Linux build's --check of the Windows item list failed: $race_check"
[ "${race_check%%$'\n'*}" = "race/ItemListChrisNormal.txt: file code $race_code" ] ||
  fail "race: the Linux build's --check does not show the code the Windows run printed, $race_code: $race_check"
ok "race under Windows: only the item list, no seed shown, file code '$race_code' confirmed by both builds' --check"
# What cannot be read: a missing file and a folder, refused alike.
check_same_verdict Missing.txt
check_same_verdict cut --character jill --difficulty hard
end_stage "b. item list checks"

# --- c. the menu with piped input ------------------------------------------------
# Enemy randomizer on, modifier page, ammo to junk, back, Jill on Hard, then
# the line the key wait reads.
menu_input=(6 5 2 7 4 "")
printf '%s\n' "${menu_input[@]}" > menu-lf.txt
printf '%s\r\n' "${menu_input[@]}" > menu-crlf.txt
status=0
"$linux_program" --seed 77 --output-dir menu-linux < menu-lf.txt > menu-linux.out 2>&1 || status=$?
[ $status -eq 0 ] || fail "menu run, Linux build: exit status $status: $(cat menu-linux.out)"
for ends in lf crlf; do
  mkdir "menu-windows-$ends"
  hand_over "menu-windows-$ends"
  status=0
  run_wine "$exe" --seed 77 --output-dir "menu-windows-$ends" < "menu-$ends.txt" > "menu-windows-$ends.out" 2>&1 ||
    status=$?
  [ $status -eq 0 ] || fail "menu run, Windows build, ${ends^^} input: exit status $status: $(cat "menu-windows-$ends.out")"
  compare_files menu-linux "menu-windows-$ends" "menu run, ${ends^^} input"
  grep -q "Generating ItemList for Jill on Hard Difficulty\.\.\." "menu-windows-$ends.out" ||
    fail "menu run, ${ends^^} input: no 'Generating ItemList for Jill on Hard Difficulty...' in the transcript"
  grep -q "Press any key to continue \. \. \." "menu-windows-$ends.out" ||
    fail "menu run, ${ends^^} input: no 'Press any key to continue . . .' in the transcript"
  # The pages and messages must match the Linux build's line for line; only
  # the key prompt is worded differently there.
  diff <(sed 's/Press Enter to continue/Press a key to continue/' menu-linux.out) \
    <(tr -d '\r' < "menu-windows-$ends.out" | sed 's/Press any key to continue/Press a key to continue/') \
    > "menu-$ends.diff" || fail "menu run, ${ends^^} input: the transcript differs from the Linux build's:
$(cat "menu-$ends.diff")"
  ok "menu run, --seed 77, input 6 5 2 7 4 with ${ends^^} line ends: exit 0, same files and transcript as the Linux build, key prompt shown"
done
end_stage "c. menu run"

# --- d. failing writes -----------------------------------------------------------
# Each case starts from a folder holding the files of an earlier run, which
# differ from what this run writes, so "intact" can be told from "replaced".
# shellcheck disable=SC2054 # "1,3,6" is one argument
failing_run=(--seed 2024 --character jill --difficulty hard --enemies --modifier 1,3,6)
"$linux_program" --seed 1 --character jill --difficulty hard --output-dir old > old.out 2>&1 ||
  fail "Linux build: could not write the earlier files: $(cat old.out)"
for name in ItemListJillHard.txt CheatSheetJillHard.txt; do
  ! cmp -s "old/$name" "$new_files/$name" || fail "the earlier $name equals the new one; choose another seed"
done
failure_case=0
new_case_folder() {
  failure_case=$((failure_case + 1))
  folder=$work/case$failure_case
  cp -R old "$folder"
  hand_over "$folder"
}
# FOLDER FILE_THAT_FAILS: the run in FOLDER must have failed on that file only.
check_failed_write() {
  local folder=$1 file=$2 what=$3 status=$4 name
  [ "$status" -eq 1 ] || fail "$what: exit status $status, expected 1"
  grep -q "^mansion-randomizer: cannot write $file: ." "$folder.err" ||
    fail "$what: no 'mansion-randomizer: cannot write $file: ...' on standard error; it had: $(cat "$folder.err")"
  # The files of a run change together: a failure of either keeps both.
  ! grep -q "ItemList created!" "$folder.out" || fail "$what: 'ItemList created!' printed for a failed run"
  for name in ItemListJillHard.txt CheatSheetJillHard.txt; do
    cmp -s "$folder/$name" "old/$name" || fail "$what: $name was not left as it was"
  done
  name=$(find "$folder" -mindepth 1 ! -name ItemListJillHard.txt ! -name CheatSheetJillHard.txt -printf '%f ')
  [ -z "$name" ] || fail "$what: left behind: $name"
  ok "$what: exit 1, stderr '$(grep "^mansion-randomizer: cannot write" "$folder.err" | tr -d '\r')', both files intact, no temporary file"
}
# Runs the Windows build in FOLDER, through hold_file when more arguments are given.
run_in_case() {
  local folder=$1
  shift
  local status=0
  (cd "$folder" && run_wine "$@") > "$folder.out" 2> "$folder.err" || status=$?
  echo $status
}

# The trainer, an editor or a virus scanner holding the item list open. Wine
# refuses to rename over any file that is open, whatever its share mode, so
# this shows how the program handles a refused MoveFileEx rather than how
# faithfully Wine follows Windows' sharing rules.
for share in none read; do
  new_case_folder
  hold=("$work/bin/hold_file.exe")
  [ $share = none ] || hold+=(--share-read)
  status=$(run_in_case "$folder" "${hold[@]}" ItemListJillHard.txt "$exe_windows" "${failing_run[@]}")
  if [ "$status" -eq 125 ] || [ "$status" -eq 126 ]; then fail "hold_file could not do its part: $(cat "$folder.err")"; fi
  check_failed_write "$folder" ItemListJillHard.txt "item list held open (sharing: $share)" "$status"
done

new_case_folder
status=$(run_in_case "$folder" "$work/bin/hold_file.exe" CheatSheetJillHard.txt "$exe_windows" "${failing_run[@]}")
check_failed_write "$folder" CheatSheetJillHard.txt "cheat sheet held open (sharing: none)" "$status"

# The temporary file's exclusive create, which the C library's "x" does not give.
mkdir "$work/create-check"
hand_over "$work/create-check"
status=0
(cd "$work/create-check" && run_wine "$work/bin/create_new_file_check.exe") > create-check.out 2>&1 || status=$?
[ $status -eq 0 ] || fail "$(tr -d '\r' < create-check.out)"
ok "$(tr -d '\r' < create-check.out)"

# A read-only item list. Windows refuses MoveFileEx over a read-only file;
# Wine (8.0 at least) does not look at the attribute and would replace the
# file, as root and as an ordinary user alike. What passes here is therefore
# the program's own attribute check in replaceFile (platform-win32.cpp), not
# Windows' refusal, which only a real Windows shows.
new_case_folder
(cd "$folder" && run_wine cmd /c attrib +r ItemListJillHard.txt) > /dev/null 2>&1 ||
  fail "attrib +r ItemListJillHard.txt failed under Wine"
[ "$(stat -c %A "$folder/ItemListJillHard.txt" | cut -c3,6,9)" = --- ] ||
  fail "attrib +r did not make ItemListJillHard.txt read-only"
status=$(run_in_case "$folder" "$exe" "${failing_run[@]}")
check_failed_write "$folder" ItemListJillHard.txt "read-only item list (attrib +r)" "$status"

# A folder the player may not write to, such as one under Program Files: the
# temporary file cannot be made. Root writes anyway, hence the unprivileged user.
new_case_folder
chmod a-w "$folder"
status=$(run_in_case "$folder" "$exe" "${failing_run[@]}")
check_failed_write "$folder" ItemListJillHard.txt "read-only folder" "$status"
chmod u+w "$folder"

# Nothing held any more: the same run in the first case's folder now replaces
# both files, so the failures above came from what each case did.
status=$(run_in_case "$work/case1" "$exe" "${failing_run[@]}")
[ "$status" -eq 0 ] || fail "the run after the failing cases: exit status $status: $(cat "$work/case1.err")"
compare_files "$new_files" "$work/case1" "the run after the failing cases"
ok "the same run with nothing in the way: exit 0, both files replaced by the Linux build's bytes"
cd "$root"
end_stage "d. failing writes"

# --- e. no command interpreter -------------------------------------------------
# "cls" and "pause" through system() would start cmd.exe on every menu page;
# the console API does the same without a second process.
calls=$(grep -rnE '(^|[^[:alnum:]_])(system|_wsystem|popen|_popen|_wpopen|WinExec|ShellExecute[AW]?|ShellExecuteEx[AW]?|CreateProcess[AW]?|_spawn[lv]p?e?|_exec[lv]p?e?)[[:space:]]*\(' src || true)
[ -z "$calls" ] || fail "src/ starts other programs:
$calls"
if ! grep -q FillConsoleOutputCharacter src/platform/platform-win32.cpp || ! grep -q _getch src/platform/platform-win32.cpp; then
  fail "src/platform/platform-win32.cpp no longer clears the screen and waits through the console API"
fi
started=$(printf '%s\n' "$imports" | grep -E ': (system|_wsystem|_popen|_wpopen|WinExec|ShellExecute.*|CreateProcess.*|_spawn.*|_exec.*)$' || true)
[ -z "$started" ] || fail "mansion-randomizer.exe imports functions that start programs: $started"
printf '%s\n' "$imports" | grep -q ': FillConsoleOutputCharacterA$' ||
  fail "mansion-randomizer.exe does not import FillConsoleOutputCharacterA"
ok "no system(), popen, spawn or CreateProcess in src/ or in the .exe's imports; the screen is cleared and the key read through the console API"
end_stage "e. no command interpreter"

echo "stage times (s):"
for i in "${!stage_names[@]}"; do
  printf '  %-32s %6s\n' "${stage_names[$i]}" "${stage_seconds[$i]}"
done
printf '  %-32s %6s\n' total "$(awk -v a="$script_start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')"
echo "all Windows checks passed"
