#!/usr/bin/env bash
# Instruction counts of one Calculate of the built-in tool and of each report kind at its
# largest input, under callgrind (stable on a busy machine, unlike times). Counts only the
# driver's Measured function, after one uncounted warm-up run; prints instructions per call
# and per output character. Usage: scripts/count-instructions.sh [build folder] [workload...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
shift || true
driver=$build/bench/tarn_callgrind_driver
[ -x "$driver" ] || { echo "build $driver first (cmake --build --preset native)" >&2; exit 1; }
workloads=("$@")
[ ${#workloads[@]} -gt 0 ] || workloads=(evaluate calculate rota timetable draw-order critical high-alert
                                          compatibility follow-up checklist handover
                                          infusion lab-panels)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf '%-14s %12s %8s %10s\n' workload instructions chars per-char
for w in "${workloads[@]}"; do
  chars=$(valgrind --tool=callgrind --callgrind-out-file="$out/$w" --collect-atstart=no \
            --toggle-collect='*Measured*' "$driver" "$w" 2>/dev/null | awk '{print $2}')
  total=$(awk '/^totals:/ {print $2}' "$out/$w")
  awk -v w="$w" -v n="$total" -v c="$chars" \
    'BEGIN { printf "%-14s %12d %8d %10.1f\n", w, n, c, (c > 0 ? n / c : 0) }' </dev/null
done
