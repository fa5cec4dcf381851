#!/usr/bin/env bash
# Builds a release into one folder:
#   scripts/release.sh [OUT_DIR]          (default dist/; about 2 minutes)
# OUT_DIR gets TarnMedSuite-<version>-win64.zip (the twelve programs, a Chinese README.txt,
# the licence, notices, changelog and bill of materials, SHA256SUMS),
# TarnMedSuite-<version>-win64.msi, the symbol files in TarnMedSuite-<version>-symbols/, the
# licence, notices, changelog and bill of materials, SHA256SUMS and RELEASE.txt (version, commit,
# signing, every program's size). The version is project(VERSION) in CMakeLists.txt.
# Two unsigned runs from one commit give the same bytes (times come from the commit).
# Signing (scripts/sign.sh says how): a key in TARN_SIGN_PFX or on a PKCS#11 token
# (TARN_SIGN_PKCS11_MODULE), time-stamped at TARN_SIGN_TIMESTAMP_URL; otherwise the release is
# unsigned and RELEASE.txt says so. The release is put together apart and moved into OUT_DIR
# only when whole: a failed build or signing leaves OUT_DIR with none of its files, old or new.
# TARN_RELEASE_BUILD_DIR picks another build folder (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. resources/product.env  # TARN_PRODUCT_NAME names the files
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

# What a release puts into OUT_DIR; all of it goes before the build, so nothing stale survives.
docs=(LICENSE THIRD-PARTY-NOTICES.txt CHANGELOG.md "$TARN_PRODUCT_NAME.spdx.json")
(cd "$out" && rm -rf "$TARN_PRODUCT_NAME"-*-win64.zip "$TARN_PRODUCT_NAME"-*-win64.msi "$TARN_PRODUCT_NAME"-*-symbols \
  SHA256SUMS RELEASE.txt "${docs[@]}")
done_ok=no
on_exit() {
  if [ "$done_ok" != yes ]; then
    echo "release: FAILED; $out holds no release files (neither old nor partial ones)" >&2
  fi
}
trap on_exit EXIT

cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j 2
version=$(cat "$build/release-version.txt")
name=$TARN_PRODUCT_NAME-$version
programs=$(cut -f1 "$build/release-programs.tsv")

stage="$build/stage/$name"
next="$build/out"
rm -rf "$build/stage" "$next"
mkdir -p "$stage" "$next/$name-symbols"
for exe in $programs; do
  cp "$build/$exe" "$stage/"
  cp "$build/$exe.debug" "$next/$name-symbols/"
done

signed=no
if [ -n "${TARN_SIGN_PFX:-}${TARN_SIGN_PKCS11_MODULE:-}" ]; then
  (cd "$stage" && "$root/scripts/sign.sh" $programs)
  signed=yes
fi
tsv="$build/release-programs.tsv"
python3 scripts/package.py docs "$stage" "$tsv" "$version" "$SOURCE_DATE_EPOCH" "$build" "$root"
python3 scripts/package.py zip "$stage" "$tsv" "$version" "$SOURCE_DATE_EPOCH" \
  "$next/$name-win64.zip"
python3 scripts/package.py msi "$stage" "$tsv" "$version" "$SOURCE_DATE_EPOCH" \
  "$root/resources/talvoro.ico" "$next/$name-win64.msi" "$build/msi"
[ "$signed" = no ] || scripts/sign.sh "$next/$name-win64.msi"
for doc in "${docs[@]}"; do cp "$stage/$doc" "$next/"; done

(cd "$next" && sha256sum "$name-win64.msi" "$name-win64.zip" "${docs[@]}" >SHA256SUMS)
{
  echo "$name"
  echo "commit: $commit"
  echo "built from: SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
  if [ "$signed" = yes ]; then
    key="certificate file"
    [ -z "${TARN_SIGN_PKCS11_MODULE:-}" ] || key="PKCS#11 token"
    echo "signed: every program and the MSI (Authenticode, SHA-256, key on a $key)"
    if [ "$TARN_SIGN_TIMESTAMP_URL" = none ]; then
      echo "time stamp: NONE (turned off; the signatures end with the certificate)"
    else
      echo "time stamp: RFC 3161, $TARN_SIGN_TIMESTAMP_URL"
    fi
  else
    echo "signed: NO - unsigned release (scripts/sign.sh says how to sign)"
  fi
  echo "program sizes (bytes):"
  for exe in $programs; do printf '  %-12s %8d\n' "$exe" "$(stat -c %s "$stage/$exe")"; done
} >"$next/RELEASE.txt"
# Whole: now it may go into OUT_DIR.
mv "$next"/* "$out/"
done_ok=yes
cat "$out/RELEASE.txt"
