#!/usr/bin/env bash
# The whole test run: installs what is missing, builds both presets, runs every test
# (natively, then the Windows build under Wine on a virtual display).
# Usage: scripts/test-all.sh            (from the repository root; about 10-20 minutes)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
artifacts="$root/artifacts"
mkdir -p "$artifacts"

step() { printf '\n=== %s\n' "$*"; }

step "Installing what is missing"
scripts/install-deps.sh

step "Native build and unit tests"
cmake --preset native
cmake --build --preset native
ctest --preset native

step "Sanitizers, fuzzing, static analysis, formatting"
scripts/check-hardening.sh

# Every program must run from any folder: it may need no DLL beyond Windows' own.
check_programs() {  # check_programs <exe...>
  local exe headers foreign
  for exe in "$@"; do
    headers=$(x86_64-w64-mingw32-objdump -p "$exe")
    grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "$exe is not a GUI program"; exit 1; }
    foreign=$(sed -n 's/.*DLL Name: //p' <<<"$headers" |
      grep -v -i -x -E 'kernel32.dll|user32.dll|gdi32.dll|shell32.dll|msvcrt.dll|advapi32.dll' || true)
    [ -z "$foreign" ] || { echo "$exe needs DLLs beyond Windows' own: $foreign"; exit 1; }
  done
  echo "GUI programs needing only Windows' own DLLs: $#"
}

step "Windows build"
cmake --preset windows
cmake --build --preset windows
check_programs build/windows/talvoro.exe build/windows/T1*.exe

step "Windows program with Clang for MinGW (the second compiler; under a minute)"
cmake --preset windows-clang
cmake --build --preset windows-clang --target talvoro
check_programs build/windows-clang/talvoro.exe

step "Windows tests under Wine"
export WINEDEBUG=-all WINEARCH=win64
export WINEPREFIX="$root/build/wine-prefix"
# The PDF printer first: a prefix made while the queue exists lists it (the print test).
rm -f "$artifacts/cupsd.pid"
scripts/start-cups.sh "$artifacts/cupsd.pid" >/dev/null
scripts/wine-prefix.sh "$WINEPREFIX"
display=$(scripts/start-xvfb.sh "$artifacts/xvfb.pid")
export DISPLAY="$display"
cleanup() {
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  [ -f "$artifacts/xvfb.pid" ] && kill "$(cat "$artifacts/xvfb.pid")" 2>/dev/null || true
  [ -f "$artifacts/cupsd.pid" ] && kill "$(cat "$artifacts/cupsd.pid")" 2>/dev/null || true
}
trap cleanup EXIT
# Start the server and Wine's services away from CTest's pipes (else every test waits on them).
/usr/lib/wine/wineserver64 -p </dev/null >/dev/null 2>&1
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
ctest --preset windows

step "The program as a person uses it (under Wine, on the virtual display)"
sh tests/e2e/window_e2e.sh build/windows/talvoro.exe "$artifacts/e2e"
sh tests/e2e/suite_e2e.sh build/windows "$artifacts/suite"
sh tests/e2e/print_e2e.sh build/windows "$artifacts/print"

step "Release: zip and MSI, installed under a fresh Wine prefix, built twice, signed"
scripts/release.sh build/dist
tests/release/release_test.sh build/dist build/release-test

step "All tests passed"
