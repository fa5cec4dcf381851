#!/bin/sh
# Runs the fault table of the Windows build under Wine with the injector in both halves of
# Wine's Unix side (measured with Wine 8.0): wine64 itself writes and flushes the file, while
# wineserver takes the locks and cuts the file back. So the table gets a wineserver of its own,
# started with the injector, on a copy of the test prefix, away from CTest's pipes:
#   fault_wine.sh TEST_EXE INJECTOR WORK_DIR
set -u
exe=$1
injector=$2
work=$3
WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
base=${WINEPREFIX:-$HOME/.wine}

rm -rf "$work"
mkdir -p "$work"
# A copy of a configured prefix starts in seconds; without one, Wine makes a fresh prefix.
if [ -d "$base/drive_c" ]; then
  cp -a "$base" "$work/prefix" || exit 1
fi
WINEPREFIX="$work/prefix"
WINEDEBUG=-all
WINEARCH=win64
LD_PRELOAD=$injector
TARN_FAULT_CONTROL="$work/control"
export WINEPREFIX WINEDEBUG WINEARCH LD_PRELOAD TARN_FAULT_CONTROL
"$WINESERVER" -p </dev/null >/dev/null 2>&1
"$WINE" wineboot </dev/null >/dev/null 2>&1
"$WINE" "$exe" --gtest_brief=1
code=$?
"$WINESERVER" -k >/dev/null 2>&1
rm -rf "$work"
exit $code
