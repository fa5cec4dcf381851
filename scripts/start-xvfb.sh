#!/usr/bin/env bash
# Starts a virtual X display on a free number; prints ":N" and writes the server's pid to $1.
set -euo pipefail
pidfile=$1
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && { echo "$pid" >"$pidfile"; echo ":$n"; exit 0; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
done
echo "no free X display" >&2
exit 1
