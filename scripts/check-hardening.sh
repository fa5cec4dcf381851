#!/usr/bin/env bash
# Hardening checks, run by scripts/test-all.sh after the native tests:
#   1. the unit tests again, built with AddressSanitizer and UBSan (preset "sanitize");
#   2. every fuzz target for a short while (scripts/fuzz.sh; TARN_FUZZ_SECONDS, default 30);
#   3. clang-tidy (.clang-tidy) on the checked folders, any finding fails;
#   4. clang-format --dry-run --Werror (.clang-format) on the checked folders.
# About 6-8 minutes on two cores. Needs clang, clang-tidy, clang-format, libclang-rt
# (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

# The folders the static checks cover: clang-format all of them, clang-tidy the program's
# own code (the tests' GoogleTest macros make tidying them slow for little gain). ui/ is
# Win32 code, formatted but not tidied here: the native compile database has no entry for it.
checked_dirs=(text platform engine reports run records print app ui tools bench fuzz tests tests/text
              tests/engine tests/reports tests/run tests/records tests/app tests/print tests/ui
              tests/alloc)
# Left out of clang-tidy on purpose: it replaces the C library's allocator, so the checks
# about reserved names and C declarations fire by design.
tidy_skip='tests/alloc/alloc_counter.cpp'

step() { printf '\n--- %s\n' "$*"; }

step "Unit tests with AddressSanitizer and UBSan"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize

step "Fuzzing, ${TARN_FUZZ_SECONDS:-30} s per target"
scripts/fuzz.sh "${TARN_FUZZ_SECONDS:-30}"

# Sources of the checked folders, as git knows them (new files included once added).
sources() {
  local patterns=()
  for d in "${checked_dirs[@]}"; do patterns+=("$d/*.$1"); done
  git ls-files -- "${patterns[@]}" | grep -E "^($(IFS='|'; echo "${checked_dirs[*]}"))/[^/]+\.$1\$" || true
}

step "clang-tidy"
[ -f build/native/compile_commands.json ] || cmake --preset native >/dev/null
failed=0
tidy() {  # tidy <compile-commands folder> <files...>
  local db=$1
  shift
  [ $# -gt 0 ] || return 0
  printf '%s\n' "$@" | xargs -P 2 -n 4 clang-tidy -p "$db" --quiet --warnings-as-errors='*' \
    2> >(grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed|^Use -header-filter|^Error while processing' >&2) \
    || failed=1
}
native_files=()
fuzz_files=()
for f in $(sources cpp); do
  [ "$f" = "$tidy_skip" ] && continue
  case $f in tests/*) continue ;; esac
  case $f in
    fuzz/*) fuzz_files+=("$f") ;;
    *) grep -q "\"$PWD/$f\"" build/native/compile_commands.json && native_files+=("$f") ;;
  esac
done
tidy build/native "${native_files[@]}"
tidy "${TARN_FUZZ_DIR:-build/fuzz}" "${fuzz_files[@]}"
[ $failed -eq 0 ] || { echo "clang-tidy: findings above"; exit 1; }
echo "clang-tidy: ${#native_files[@]} + ${#fuzz_files[@]} files, no findings"

step "clang-format"
mapfile -t format_files < <(sources cpp; sources h)
clang-format --dry-run --Werror "${format_files[@]}"
echo "clang-format: ${#format_files[@]} files as formatted"
