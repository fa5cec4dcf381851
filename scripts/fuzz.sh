#!/usr/bin/env bash
# Builds the libFuzzer targets (clang++, AddressSanitizer + UBSan, build/fuzz) and runs each
# for N seconds (default 60), one after another, starting from the seeds in
# tests/fuzz-corpus/<target>/. Fails on the first finding; the input is kept in
# build/fuzz/findings/. The corpus grown by a run is kept in build/fuzz/corpus/ for the next.
# A finding is replayed with: build/fuzz/fuzz/fuzz_<target> build/fuzz/findings/<file>
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]   (targets: the TARN_FUZZ_TARGETS
#        list of fuzz/CMakeLists.txt; default all). TARN_FUZZ_DIR picks another build folder,
#        so a long run can go on in the background while the checks use their own.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
# The one list of targets is the build's.
[ ${#targets[@]} -gt 0 ] ||
  read -r -a targets <<<"$(sed -n 's/^set(TARN_FUZZ_TARGETS \(.*\))$/\1/p' fuzz/CMakeLists.txt)"
[ ${#targets[@]} -gt 0 ] || { echo "no TARN_FUZZ_TARGETS in fuzz/CMakeLists.txt" >&2; exit 1; }

dir=${TARN_FUZZ_DIR:-build/fuzz}
cmake --preset fuzz -B "$dir" >/dev/null
cmake --build "$dir" -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null

mkdir -p "$dir"/findings "$dir"/logs
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
for t in "${targets[@]}"; do
  corpus=$dir/corpus/$t
  mkdir -p "$corpus"
  log=$dir/logs/$t.log
  printf 'fuzz_%s: %s s ... ' "$t" "$seconds"
  if "$dir"/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -max_len=4096 -print_final_stats=1 -artifact_prefix="$dir"/findings/"$t"- \
       "$corpus" tests/fuzz-corpus/"$t" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2 " runs, no finding"}'
  else
    echo "FINDING (log: $log)"
    tail -40 "$log"
    exit 1
  fi
done
