#!/usr/bin/env bash
# Builds a release into one folder:
#   scripts/release.sh [OUT_DIR]          (default dist/; about 2 minutes)
# OUT_DIR gets TarnMedSuite-<version>-win64.zip (the twelve programs, a Chinese README.txt,
# SHA256SUMS), TarnMedSuite-<version>-win64.msi, the symbol files in
# TarnMedSuite-<version>-symbols/, SHA256SUMS of the zip and the MSI, and RELEASE.txt (version,
# commit, signing, every program's size). The version is project(VERSION) in CMakeLists.txt.
# Two runs from one commit give the same bytes (times come from the commit).
# Signing: set TARN_SIGN_PFX and TARN_SIGN_PASSWORD (and optionally TARN_SIGN_TIMESTAMP_URL);
# otherwise the release is unsigned and RELEASE.txt says so.
# TARN_RELEASE_BUILD_DIR picks another build folder (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(mkdir -p "${1:-dist}" && cd "${1:-dist}" && pwd)
build=${TARN_RELEASE_BUILD_DIR:-build/release}
export TZ=UTC LC_ALL=C
# ccache's base folder makes compiler paths relative to the build folder, and those land in the
# symbol files: absolute paths are mapped to "." by the release flags instead.
unset CCACHE_BASEDIR
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
commit=$(git rev-parse HEAD 2>/dev/null || echo "(not a git checkout)")
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "release: note: the working tree has uncommitted changes" >&2
  commit="$commit (with uncommitted changes)"
fi

cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j 2
version=$(cat "$build/release-version.txt")
name=TarnMedSuite-$version
programs=$(cut -f1 "$build/release-programs.tsv")

stage="$build/stage/$name"
rm -rf "$build/stage" "$out"/TarnMedSuite-*
mkdir -p "$stage" "$out/$name-symbols"
for exe in $programs; do
  cp "$build/$exe" "$stage/"
  cp "$build/$exe.debug" "$out/$name-symbols/"
done

signed=no
if [ -n "${TARN_SIGN_PFX:-}" ]; then
  (cd "$stage" && "$root/scripts/sign.sh" $programs)
  signed=yes
fi
python3 scripts/package.py zip "$stage" "$build/release-programs.tsv" "$version" \
  "$SOURCE_DATE_EPOCH" "$out/$name-win64.zip"
python3 scripts/package.py msi "$stage" "$build/release-programs.tsv" "$version" \
  "$SOURCE_DATE_EPOCH" "$root/resources/talvoro.ico" "$out/$name-win64.msi" "$build/msi"
[ "$signed" = no ] || scripts/sign.sh "$out/$name-win64.msi"

(cd "$out" && sha256sum "$name-win64.msi" "$name-win64.zip" >SHA256SUMS)
{
  echo "$name"
  echo "commit: $commit"
  echo "built from: SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
  if [ "$signed" = yes ]; then
    echo "signed: every program and the MSI (Authenticode, SHA-256)"
  else
    echo "signed: NO - unsigned release (set TARN_SIGN_PFX and TARN_SIGN_PASSWORD to sign)"
  fi
  echo "program sizes (bytes):"
  for exe in $programs; do printf '  %-12s %8d\n' "$exe" "$(stat -c %s "$stage/$exe")"; done
} >"$out/RELEASE.txt"
cat "$out/RELEASE.txt"
