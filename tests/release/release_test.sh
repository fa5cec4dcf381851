#!/usr/bin/env bash
# Release test: what IT does with a release, under a fresh Wine prefix.
#   tests/release/release_test.sh DIST_DIR WORK_DIR      (after scripts/release.sh DIST_DIR)
# - a second release build of the same sources gives the same bytes (programs, zip, MSI);
# - the MSI passes the ICE rules of ice_check.py, its files carrying the programs' versions;
# - every program's PE header and manifest carry the fields of pe_check.py, and its imports
#   are only DLLs that Windows always loads from its own folder;
# - the zip's checksums pass and every unpacked program's self-test gives its expected report;
# - the version record of T106.exe and talvoro.exe names the program, the suite and the maker;
# - licence, notices, changelog and bill of materials are in the zip, in dist/ and installed;
#   every runtime file in the link maps is covered by a notice; the bill of materials names
#   each program's hash and the build machine's runtime package versions;
# - the MSI installs silently: programs, Chinese Start-menu shortcuts, one uninstall entry;
#   the installed programs' self-tests pass; a repair restores a damaged program and keeps the
#   entry's install location; a record saved by the installed T106.exe survives the silent
#   uninstall, which removes programs, shortcuts and the entry;
# - a higher version installs over the older one: one entry, the new files; the older one is
#   then refused with exit code 1603 and changes nothing;
# - a release signed with a key on a SoftHSM2 token and time-stamped by a local RFC 3161
#   server verifies, with the real signing time; a .pfx signs too; a failed time stamp leaves
#   the release folder without any release file.
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
python3 "$root/tests/release/ice_check.py" "$msi" "$work/zip-a/$name" ||
  fail "the MSI breaks the ICE rules above"
note "MSI: ICE03, ICE38, ICE43, ICE57, ICE64, ICE68 and file versions pass"

unpacked="$work/zip-a/$name"
programs=$(cd "$unpacked" && ls ./*.exe | sed 's|^\./||' | sort)
[ "$(wc -w <<<"$programs")" -eq 12 ] || fail "the zip holds $(wc -w <<<"$programs") programs"
[ -s "$unpacked/README.txt" ] || fail "the zip has no README.txt"
(cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c failed in the zip"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c failed for the release"

for program in T106 talvoro; do
  title=$(first_line "$program" | cut -d'|' -f3)
  python3 "$root/scripts/versioninfo.py" --check "$version" "$title" \
    "$unpacked/$program.exe" || fail "$program.exe: version record"
done
note "version records of T106.exe and talvoro.exe checked field by field"
(cd "$unpacked" && python3 "$root/tests/release/pe_check.py" $programs) ||
  fail "PE header or manifest fields above"
note "12 programs: terminal-server aware, manifest asInvoker, Windows 7-11, system DPI aware"
# Imports only of DLLs that Windows always takes from its own folder (KnownDLLs), whatever
# lies beside the program: printing's comdlg32 and winspool are loaded at run time from the
# system folder, so a file of that name in a Downloads folder is never loaded instead.
known_dlls='kernel32.dll|user32.dll|gdi32.dll|shell32.dll|msvcrt.dll|advapi32.dll'
for program in $programs; do
  imports=$(x86_64-w64-mingw32-objdump -p "$unpacked/$program" | sed -n 's/.*DLL Name: //p')
  [ -n "$imports" ] || fail "$program: no imports read"
  foreign=$(grep -v -i -x -E "$known_dlls" <<<"$imports" | tr '\n' ' ' || true)
  [ -z "$foreign" ] || fail "$program imports $foreign(not always loaded from the system folder)"
done
note "12 programs import only DLLs Windows loads from its own folder"

docs="LICENSE THIRD-PARTY-NOTICES.txt CHANGELOG.md TarnMedSuite.spdx.json"
for doc in $docs; do
  cmp -s "$unpacked/$doc" "$dist/$doc" || fail "$doc: not the same in the zip and in dist/"
done
grep -q 'Apache License' "$unpacked/LICENSE" && grep -q 'Copyright [0-9]* TarnMed' "$unpacked/LICENSE" ||
  fail "LICENSE is not Apache-2.0 with TarnMed's copyright"
python3 "$root/scripts/package.py" check-notices "$unpacked/THIRD-PARTY-NOTICES.txt" \
  "$work"/copy/build/release/*.exe.map || fail "runtime files without a notice"
python3 - "$unpacked" $programs <<'PY' || fail "bill of materials"
import hashlib, json, subprocess, sys
folder, programs = sys.argv[1], sys.argv[2:]
doc = json.load(open(f"{folder}/TarnMedSuite.spdx.json", encoding="utf-8"))
assert doc["spdxVersion"] == "SPDX-2.3" and doc["dataLicense"] == "CC0-1.0", "header"
hashes = {f["fileName"]: {c["algorithm"]: c["checksumValue"] for c in f["checksums"]}
          for f in doc["files"]}
for exe in programs:
    data = open(f"{folder}/{exe}", "rb").read()
    assert hashes.get(f"./{exe}") == {"SHA1": hashlib.sha1(data).hexdigest(),
                                     "SHA256": hashlib.sha256(data).hexdigest()}, exe
runtime = [p for p in doc["packages"] if p["name"] != "TarnMedSuite"]
assert runtime, "no runtime packages"
for p in runtime:
    installed = subprocess.run(["dpkg-query", "-W", "-f=${Version}", p["name"]],
                               capture_output=True, text=True).stdout
    assert p["versionInfo"] == installed, f"{p['name']} {p['versionInfo']} != {installed}"
links = {(r["spdxElementId"], r["relatedSpdxElement"]) for r in doc["relationships"]
         if r["relationshipType"] == "STATIC_LINK"}
assert len(links) == len(programs) * len(runtime), "every program links every runtime package"
PY
readme=$(tr -d '\r' <"$unpacked/README.txt")
for phrase in "$version" "发布日期" "已保存" "保存失败" "保存结果不明" "医嘱" "开始菜单" \
  "SmartScreen" "信息科"; do
  grep -q "$phrase" <<<"$readme" || fail "README.txt does not say: $phrase"
done
note "licence, notices (every linked runtime file), changelog and SPDX bill of materials checked"

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
for doc in $docs; do
  cmp -s "$installed/$doc" "$unpacked/$doc" || fail "$doc not installed beside the programs"
done
note "installed: 12 programs, documents, self-tests, $(wc -l <<<"$found") shortcuts, entry $(entries)"

# A damaged program (no version record left) is replaced by a repair, which also keeps the
# entry's install location.
printf 'damaged' >"$installed/T106.exe"
msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=omus /qn
same_files "$installed" "$unpacked"
[ "$(entry_value "$code" InstallLocation)" = 'C:\Program Files\TarnMedSuite\' ] ||
  fail "entry's install location after repair: $(entry_value "$code" InstallLocation)"
note "repair: the damaged T106.exe replaced, install location kept"

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
# The older package is refused, with Windows Installer's "fatal error" code 1603, and changes
# nothing. A Linux exit status keeps the low 8 bits of Wine's code: 1603 arrives as 67.
refused=0
"$WINE" msiexec /i "$msi" /qn </dev/null >/dev/null 2>&1 || refused=$?
[ "$refused" -eq $((1603 % 256)) ] || fail "downgrade: msiexec exit code $refused, expected 1603"
[ "$(entry_value "$(entries | cut -d'|' -f1)" DisplayVersion)" = "$next_version" ] ||
  fail "the refused downgrade changed the installed version"
same_files "$installed" "$work/zip-next/TarnMedSuite-$next_version"
# Wine's msiexec can return from the refused install before the installer is free again (seen
# once): the uninstall is tried a second time after a pause.
"$WINE" msiexec /x "$next_msi" /qn </dev/null >/dev/null 2>&1 ||
  { sleep 5; msiexec /x "$next_msi" /qn; }
[ -z "$(entries)" ] && [ ! -e "$installed" ] || fail "the upgraded suite did not uninstall"
note "upgrade $version -> $next_version: one entry, the new files; downgrade refused (1603)"

for exe in $programs; do selftest "$unpacked/$exe"; done
note "self-tests of the 12 unpacked programs give their expected reports"

note "signing: a key on a SoftHSM2 token, time stamps from a local RFC 3161 server"
sign="$work/sign"
mkdir -p "$sign/tokens"
python3 "$root/tests/release/tsa_server.py" "$sign/tsa" "$sign/tsa.port" &
tsa_pid=$!
trap 'kill $tsa_pid 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 100); do [ -s "$sign/tsa.port" ] && break; sleep 0.1; done
[ -s "$sign/tsa.port" ] || fail "the time-stamp server did not start"
tsa_url="http://127.0.0.1:$(cat "$sign/tsa.port")"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$sign/key.pem" -out "$sign/cert.pem" \
  -days 2 -subj "/CN=TarnMed release test" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$sign/key.pem" -out "$sign/key.p8"
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' \
  "$sign/tokens" >"$sign/softhsm2.conf"
export SOFTHSM2_CONF="$sign/softhsm2.conf"
softhsm2-util --init-token --free --label tarn-release-test --pin 246810 --so-pin 13579135 >/dev/null
softhsm2-util --import "$sign/key.p8" --token tarn-release-test --label signing --id 01 \
  --pin 246810 >/dev/null
rm "$sign/key.pem" "$sign/key.p8"  # the key now exists only on the token
module=$(dpkg -L libsofthsm2 | grep -m1 '/softhsm/libsofthsm2\.so$')
! osslsigncode verify -CAfile "$sign/cert.pem" -in "$unpacked/T106.exe" >/dev/null 2>&1 ||
  fail "an unsigned program passed verification"
token_env=(TARN_SIGN_PKCS11_MODULE="$module" TARN_SIGN_CERT="$sign/cert.pem" TARN_SIGN_PIN=246810
           TARN_SIGN_PKCS11_KEY="pkcs11:token=tarn-release-test;object=signing;type=private")
# A signing time at the commit (the old behaviour) would lie before this moment.
started=$(($(date -u +%s) - 2))
env "${token_env[@]}" TARN_SIGN_TIMESTAMP_URL="$tsa_url" \
  "$root/scripts/release.sh" "$sign/dist" >"$sign/release.log" 2>&1 ||
  { cat "$sign/release.log"; fail "the signed release failed"; }
grep -q '^signed: every program and the MSI .*PKCS#11 token' "$sign/dist/RELEASE.txt" &&
  grep -q "^time stamp: RFC 3161, $tsa_url" "$sign/dist/RELEASE.txt" || fail "RELEASE.txt: signing"
unzip -q "$sign/dist/$name-win64.zip" -d "$sign/zip"
(cd "$sign/dist" && sha256sum --quiet -c SHA256SUMS) || fail "the signed release's checksums"
(cd "$sign/zip/$name" && sha256sum --quiet -c SHA256SUMS) || fail "the signed zip's checksums"
for file in "$sign/zip/$name"/*.exe "$sign/dist/$name-win64.msi"; do
  log="$sign/$(basename "$file").verify"
  osslsigncode verify -CAfile "$sign/cert.pem" -TSA-CAfile "$sign/tsa/tsa.pem" -in "$file" \
    >"$log" 2>&1 || { cat "$log"; fail "$file: signature does not verify"; }
  for kind in "Signing time" "Timestamp time"; do
    at=$(sed -n "s/^[[:space:]]*$kind: //p" "$log" | head -n 1)
    [ -n "$at" ] && [ "$(date -u -d "$at" +%s)" -ge "$started" ] ||
      fail "$file: $kind '$at' is not the moment of signing"
  done
done
selftest "$sign/zip/$name/T106.exe"
note "token-signed release: 12 programs and the MSI verify with time stamps of now; T106 runs"

cp "$unpacked/T101.exe" "$sign/T101.exe"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$sign/pfx-key.pem" -out "$sign/pfx.pem" \
  -days 2 -subj "/CN=TarnMed release test pfx" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$sign/pfx-key.pem" -in "$sign/pfx.pem" -out "$sign/cert.pfx" \
  -passout pass:test-only
TARN_SIGN_PFX="$sign/cert.pfx" TARN_SIGN_PASSWORD=test-only TARN_SIGN_TIMESTAMP_URL="$tsa_url" \
  "$root/scripts/sign.sh" "$sign/T101.exe"
osslsigncode verify -CAfile "$sign/pfx.pem" -TSA-CAfile "$sign/tsa/tsa.pem" \
  -in "$sign/T101.exe" >/dev/null 2>&1 || fail "the .pfx-signed T101.exe does not verify"
if TARN_SIGN_PFX="$sign/cert.pfx" TARN_SIGN_PASSWORD=test-only \
    "$root/scripts/sign.sh" "$unpacked/T101.exe" 2>/dev/null; then
  fail "signing without a time stamp, not turned off, was accepted"
fi
note ".pfx signing verifies; signing without a time stamp needs it turned off"

kill "$tsa_pid"
wait "$tsa_pid" 2>/dev/null || true
if env "${token_env[@]}" TARN_SIGN_TIMESTAMP_URL="$tsa_url" \
    "$root/scripts/release.sh" "$sign/dist" >"$sign/failed.log" 2>&1; then
  fail "a release whose time stamp failed succeeded"
fi
grep -q 'holds no release files' "$sign/failed.log" || fail "the failed release did not say so"
left=$(ls -A "$sign/dist")
[ -z "$left" ] || fail "a failed release left in its folder: $left"
note "PASS: time-stamp server gone: the release fails, says so and leaves no file behind"
