#!/usr/bin/env bash
# Release test: what IT does with a release, under a fresh Wine prefix.
#   tests/release/release_test.sh DIST_DIR WORK_DIR      (after scripts/release.sh DIST_DIR)
# - a second release build of the same sources gives the same bytes (programs, zip, MSI);
# - the zip's checksums pass and every unpacked program's self-test gives its expected report;
# - the version record of T106.exe and talvoro.exe names the program, the suite and the maker;
# - the MSI installs silently: programs, Chinese Start-menu shortcuts, one uninstall entry;
#   the installed programs' self-tests pass; a record saved by the installed T106.exe survives
#   the silent uninstall, which removes programs, shortcuts and the entry;
# - a higher version installs over the older one: one entry, the new files;
# - signing with a throwaway certificate verifies against that certificate.
# Uses DISPLAY when set (else starts its own virtual display) and its own Wine prefix.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 DIST_DIR WORK_DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$(cd "$1" && pwd)
rm -rf "$2"
mkdir -p "$2"
work=$(cd "$2" && pwd)
expected="$root/tests/suite/expected"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
ART="$work/artifacts"
. "$root/tests/e2e/e2e_lib.sh"
E2E_NAME=release
note() { echo "release [${SECONDS}s]: $*"; }

zip=$(ls "$dist"/TarnMedSuite-*-win64.zip)
name=$(basename "$zip" -win64.zip)
version=${name#TarnMedSuite-}
msi="$dist/$name-win64.msi"
[ -f "$msi" ] || fail "no $msi"

# first_line PROGRAM: "TOOL|id|title|category" of its expected report.
first_line() { head -n 1 "$expected/$1.txt" | tr -d '\r'; }

# selftest EXE: the program's report equals its expected one (dates as YYYY-MM-DD).
selftest() {
  local stem
  stem=$(basename "$1" .exe)
  cmake -DPROGRAM="$1" -DEMULATOR="$WINE" -DWORKDIR="$work/selftest/$stem" \
    -DEXPECTED="$expected/$stem.txt" -P "$root/tests/suite/check_selftest.cmake" >/dev/null ||
    fail "$1: self-test report differs from $stem.txt"
}

# The shortcut name of a program: its tool's title, with the category when the title is ASCII.
shortcut_name() {
  local title category
  title=$(first_line "$1" | cut -d'|' -f3)
  category=$(first_line "$1" | cut -d'|' -f4)
  if LC_ALL=C grep -q '^[ -~]*$' <<<"$title"; then echo "$title（$category）"; else echo "$title"; fi
}

# The second build is of a copy of the sources, so neither folder's path may reach the bytes;
# the same copy then gives the higher version for the upgrade (only its resources rebuild).
note "second release build, from a copy of the sources in another folder"
mkdir -p "$work/copy"
(cd "$root" && git ls-files -z | xargs -0 cp --parents -t "$work/copy")
SOURCE_DATE_EPOCH=$(cd "$root" && git log -1 --format=%ct) \
  "$work/copy/scripts/release.sh" "$work/dist-b" >/dev/null
unzip -q "$zip" -d "$work/zip-a"
unzip -q "$work/dist-b/$name-win64.zip" -d "$work/zip-b"
diff -r "$work/zip-a" "$work/zip-b" >/dev/null || fail "the two builds' programs differ"
cmp "$zip" "$work/dist-b/$name-win64.zip" || fail "the two builds' zips differ"
diff -r "$dist/$name-symbols" "$work/dist-b/$name-symbols" >/dev/null ||
  fail "the two builds' symbol files differ"
cmp "$msi" "$work/dist-b/$name-win64.msi" || fail "the two builds' MSIs differ"
note "two builds: programs, symbols, zip and MSI byte-identical"

unpacked="$work/zip-a/$name"
programs=$(cd "$unpacked" && ls ./*.exe | sed 's|^\./||' | sort)
[ "$(wc -w <<<"$programs")" -eq 12 ] || fail "the zip holds $(wc -w <<<"$programs") programs"
[ -s "$unpacked/README.txt" ] || fail "the zip has no README.txt"
(cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c failed in the zip"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c failed for the release"

for program in T106 talvoro; do
  title=$(first_line "$program" | cut -d'|' -f3)
  python3 "$root/tests/release/versioninfo.py" --check "$version" "$title" \
    "$unpacked/$program.exe" || fail "$program.exe: version record"
done
note "version records of T106.exe and talvoro.exe checked field by field"

note "a higher version from the same sources"
IFS=. read -r major minor patch <<<"$version"
next_version="$major.$minor.$((patch + 1))"
sed -i -E "s/^(project\([a-z]+ VERSION )$version /\1$next_version /" "$work/copy/CMakeLists.txt"
grep -q "VERSION $next_version " "$work/copy/CMakeLists.txt" || fail "cannot raise the version"
SOURCE_DATE_EPOCH=$(date +%s) "$work/copy/scripts/release.sh" "$work/dist-next" >/dev/null
next_msi="$work/dist-next/TarnMedSuite-$next_version-win64.msi"
unzip -q "$work/dist-next/TarnMedSuite-$next_version-win64.zip" -d "$work/zip-next"

note "fresh Wine prefix"
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$work/prefix"
# No host menu entries for the installed shortcuts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
xvfb_pid=""
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  DISPLAY=$("$root/scripts/start-xvfb.sh" "$work/xvfb.pid")
  export DISPLAY
  xvfb_pid=$(cat "$work/xvfb.pid")
fi
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
"$WINESERVER" -p </dev/null >/dev/null 2>&1
"$WINE" wineboot </dev/null >/dev/null 2>&1
e2e_prepare release

installed="$WINEPREFIX/drive_c/Program Files/TarnMedSuite"
menu="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TarnMedSuite"
records="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/TarnMedSuite/records"
entries() { "$WINE" uninstaller --list 2>/dev/null | tr -d '\r' | grep '|||TarnMedSuite$' || true; }
entry_value() {
  "$WINE" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" /v "$2" \
    2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}
msiexec() { "$WINE" msiexec "$@" </dev/null >/dev/null 2>&1 || fail "msiexec $* failed"; }
same_files() {
  for exe in $programs; do
    cmp -s "$1/$exe" "$2/$exe" || fail "installed $exe differs from the release's"
  done
}

msiexec /i "$msi" /qn
same_files "$installed" "$unpacked"
selftest "$installed/talvoro.exe"
selftest "$installed/T106.exe"
found=$(ls "$menu")
wanted=$(for exe in $programs; do echo "$(shortcut_name "${exe%.exe}").lnk"; done | sort)
[ "$(sort <<<"$found")" = "$wanted" ] || fail "Start-menu shortcuts: $found"
[ "$(entries | wc -l)" -eq 1 ] || fail "uninstall entries: $(entries)"
code=$(entries | cut -d'|' -f1)
[ "$(entry_value "$code" DisplayVersion)" = "$version" ] || fail "entry's version"
[ "$(entry_value "$code" Publisher)" = TarnMed ] || fail "entry's publisher"
[ "$(entry_value "$code" InstallLocation)" = 'C:\Program Files\TarnMedSuite\' ] ||
  fail "entry's install location: $(entry_value "$code" InstallLocation)"
note "installed: 12 programs, self-tests, $(wc -l <<<"$found") shortcuts, entry $(entries)"

# A record saved by the installed program, as a user saves it.
title=$(first_line T106 | cut -d'|' -f3)
e2e_start "$installed/T106.exe" "$title"
click 96 688   # calculate
click 250 688  # save record, then its confirmation box
box=$(find_window '^已保存$' 30)
[ -n "$box" ] || fail "no confirmation after saving"
xdotool key Return
for _ in $(seq 40); do xdotool search --name '^已保存$' >/dev/null || break; sleep 0.25; done
e2e_close
[ -s "$records/T106.csv" ] || fail "the installed T106.exe saved no record"
cp "$records/T106.csv" "$work/T106.csv"

msiexec /x "$msi" /qn
[ ! -e "$installed" ] || fail "programs left after uninstall: $(ls "$installed")"
[ ! -e "$menu" ] || fail "shortcuts left after uninstall: $(ls "$menu")"
[ -z "$(entries)" ] || fail "uninstall entry left: $(entries)"
cmp -s "$records/T106.csv" "$work/T106.csv" || fail "uninstall changed the saved record"
note "uninstalled: programs, shortcuts and entry gone, the saved record kept"

msiexec /i "$msi" /qn
msiexec /i "$next_msi" /qn
[ "$(entries | wc -l)" -eq 1 ] || fail "entries after upgrade: $(entries)"
[ "$(entry_value "$(entries | cut -d'|' -f1)" DisplayVersion)" = "$next_version" ] ||
  fail "the entry does not show $next_version"
same_files "$installed" "$work/zip-next/TarnMedSuite-$next_version"
msiexec /x "$next_msi" /qn
[ -z "$(entries)" ] && [ ! -e "$installed" ] || fail "the upgraded suite did not uninstall"
note "upgrade $version -> $next_version: one entry, the new files"

for exe in $programs; do selftest "$unpacked/$exe"; done
note "self-tests of the 12 unpacked programs give their expected reports"

note "signing with a throwaway certificate"
mkdir -p "$work/sign"
cd "$work/sign"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=TarnMed release test" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout pass:test-only
cp "$unpacked/T106.exe" "$msi" .
! osslsigncode verify -CAfile cert.pem -in T106.exe >/dev/null 2>&1 ||
  fail "an unsigned program passed verification"
TARN_SIGN_PFX=cert.pfx TARN_SIGN_PASSWORD=test-only "$root/scripts/sign.sh" T106.exe "$(basename "$msi")"
for file in T106.exe "$(basename "$msi")"; do
  osslsigncode verify -CAfile cert.pem -in "$file" >"$file.verify" 2>&1 ||
    { cat "$file.verify"; fail "$file: signature does not verify"; }
done
selftest "$work/sign/T106.exe"
note "PASS: signed T106.exe and MSI verify against the certificate; the signed program runs"
