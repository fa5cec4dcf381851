#!/usr/bin/env bash
# Builds the Windows program and opens its window under Wine. With no X display it runs on a
# virtual one, saves a screenshot to artifacts/talvoro-window.png and closes the program.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target talvoro
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$root/build/wine-run"
scripts/wine-prefix.sh "$WINEPREFIX"
exe="$root/build/windows/talvoro.exe"

if [ -n "${DISPLAY:-}" ]; then
  exec /usr/lib/wine/wine64 "$exe"
fi

mkdir -p artifacts
export DISPLAY=$(scripts/start-xvfb.sh "$root/artifacts/run-xvfb.pid")
trap '/usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true; kill "$(cat "$root/artifacts/run-xvfb.pid")" 2>/dev/null || true' EXIT
/usr/lib/wine/wine64 "$exe" &
window=$(timeout 60 xdotool search --sync --name '^Talvoro$' | head -n 1)
sleep 2  # let the first paint finish
import -window root "$root/artifacts/talvoro-window.png"
echo "No display: the window ran on a virtual one; screenshot saved to artifacts/talvoro-window.png"
xdotool windowclose "$window" 2>/dev/null || true
