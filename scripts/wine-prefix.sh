#!/usr/bin/env bash
# Creates and configures a Wine prefix for the tests at $1 (idempotent):
# no window manager stalls, the program's fonts replaced by WenQuanYi, CJK in message boxes.
set -euo pipefail
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
[ -f "$prefix/.tarn-configured" ] && exit 0
mkdir -p "$prefix"
/usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w
reg=$(mktemp --suffix=.reg)
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"Consolas"="WenQuanYi Micro Hei Mono"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"=hex(7):77,00,71,00,79,00,2d,00,6d,00,69,00,63,00,72,00,6f,00,68,00,65,00,69,00,2e,00,74,00,74,00,63,00,2c,00,57,00,65,00,6e,00,51,00,75,00,61,00,6e,00,59,00,69,00,20,00,4d,00,69,00,63,00,72,00,6f,00,20,00,48,00,65,00,69,00,00,00,00,00
REG
/usr/lib/wine/wine64 regedit "$reg" </dev/null >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w
rm -f "$reg"
touch "$prefix/.tarn-configured"
