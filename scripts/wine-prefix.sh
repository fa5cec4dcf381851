#!/bin/sh
# Creates and configures a Wine prefix for running talvoro.exe and its window tests:
#   scripts/wine-prefix.sh DIR
# Settings: unmanaged windows (no 2 s stall per closed window without a window manager),
# the program's fonts mapped to WenQuanYi, and CJK linked into Tahoma for message boxes.
# Quiet and idempotent: a prefix configured before is left as it is.
set -eu

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 PREFIX_DIR" >&2
  exit 2
fi

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}

mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)
WINEDEBUG=-all
WINEARCH=win64
export WINEPREFIX WINEDEBUG WINEARCH

marker="$WINEPREFIX/.talvoro-prefix"
if [ -f "$marker" ]; then
  exit 0
fi

"$WINE" wineboot -i </dev/null >/dev/null 2>&1 || {
  echo "$0: wineboot failed for $WINEPREFIX" >&2
  exit 1
}
"$WINESERVER" -w </dev/null >/dev/null 2>&1 || true

# "wqy-microhei.ttc,WenQuanYi Micro Hei" as REG_MULTI_SZ. regedit widens hex(7) bytes of an
# ASCII .reg file itself, so the bytes are the ASCII text and two terminators.
multiSz=$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei' |
  od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g; s/$/,00,00/')

regFile="$WINEPREFIX/talvoro-settings.reg"
cat >"$regFile" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"Consolas"="WenQuanYi Micro Hei Mono"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=hex(7):$multiSz
REG

"$WINE" regedit /S "$regFile" </dev/null >/dev/null 2>&1 || {
  echo "$0: regedit failed for $WINEPREFIX" >&2
  exit 1
}
# regedit returns before the registry reaches the disk.
"$WINESERVER" -w </dev/null >/dev/null 2>&1 || true

if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" ||
   ! grep -q 'WenQuanYi Micro Hei Mono' "$WINEPREFIX/user.reg" ||
   ! grep -q '"Tahoma"=' "$WINEPREFIX/system.reg"; then
  echo "$0: settings did not reach the registry of $WINEPREFIX" >&2
  exit 1
fi
rm -f "$regFile"
touch "$marker"
