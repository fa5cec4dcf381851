#!/bin/sh
# End-to-end check of the real program under Wine, driven from X like a user:
#   tests/e2e/window_e2e.sh EXE ARTIFACT_DIR
# Needs WINEPREFIX (made by scripts/wine-prefix.sh) and DISPLAY (a screen of at least
# 1036x780, 24-bit) from the caller. Types a weight, presses F5, checks the painted colours,
# the clipboard, the saved record file and the about box, closes the window and checks the
# exit code; then two windows save into one record file at once (driven by save_driver.exe,
# built beside the tests) and every record must be whole. Screenshots are left in ARTIFACT_DIR. Any failure ends the script with a
# message and a non-zero code.
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 EXE ARTIFACT_DIR" >&2
  exit 2
fi
EXE=$1
ART=$2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/e2e_lib.sh"
e2e_prepare window_e2e

# Puts TEXT into the input edit of row ROW (counting from 0): click, clear, type.
set_input() {
  click 292 $((159 + 34 * $1))
  xdotool key End
  xdotool key --repeat 24 BackSpace
  xdotool type "$2"
}

# --- start --------------------------------------------------------------------------------

e2e_start "$EXE" Talvoro
note "window $window at $X,$Y"
note "client area at $OX,$OY"

# --- weight 5: level 2 --------------------------------------------------------------------

set_input 0 5
xdotool key F5
wait_for "verdict of level 2 not drawn in RGB(214,108,0)" has_colour 492 142 492 46 214,108,0
client_pixel_is 900 70 0,108,150 || fail "header band is not RGB(0,108,150)"
client_pixel_is 760 670 236,241,244 || fail "footer band is not RGB(236,241,244)"
client_pixel_is 300 600 255,255,255 || fail "input card is not white"
cp "$SHOT" "$ART/weight5.png"
note "weight 5: verdict drawn in the level 2 colour"

# Copy, and read the X clipboard while the program still runs (Wine drops it at exit).
click 394 688
clip_ok() {
  text=$(xclip -o -selection clipboard 2>/dev/null) || return 1
  case "$text" in *Talvoro*) ;; *) return 1 ;; esac
  case "$text" in *"单次剂量：50.0 mg"*) return 0 ;; esac
  return 1
}
wait_for "clipboard does not hold Talvoro and 单次剂量：50.0 mg" clip_ok
xclip -o -selection clipboard >"$ART/clipboard.txt" 2>/dev/null
note "clipboard holds the copied result"

# --- defaults: level 0 --------------------------------------------------------------------

set_input 0 12
xdotool key F5
wait_for "verdict of level 0 not drawn in RGB(0,128,96)" has_colour 492 142 492 46 0,128,96
[ "$(colour_count 492 142 492 46 214,108,0)" -eq 0 ] || fail "level 2 colour left after defaults"
cp "$SHOT" "$ART/defaults.png"
note "defaults: verdict drawn in the level 0 colour"

# --- save button ----------------------------------------------------------------------------
# Press "保存记录" (button 1002) after the defaults, answer its box, and check the record
# file's bytes: mark, header, one record (its time stamp by shape), each line ended by CR LF.

records="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/TarnMedSuite/records"
record_file="$records/T017.csv"
rm -f "$record_file"
click 250 688
saved=$(find_window '^已保存$' 30)
[ -n "$saved" ] || fail "the save box (已保存) did not open"
xdotool key Return
saved_gone() { ! xdotool search --name '^已保存$' >/dev/null 2>&1; }
wait_for "the save box did not close on Enter" saved_gone
[ -f "$record_file" ] || fail "no record file at $record_file"
cp "$record_file" "$ART/T017.csv"
[ "$(head -c 3 "$record_file" | od -An -tx1 | tr -d ' ')" = "efbbbf" ] ||
  fail "the record file does not start with the UTF-8 byte-order mark"
printf '%s\r\n' '时间,工具,体重,每次剂量,混悬液浓度,结果' \
  'STAMP,Talvoro,体重=12,每次剂量=10,混悬液浓度=20,单次剂量：120.0 mg' \
  '给药体积：6.00 ml' '每日上限：480 mg' '' >"$ART/T017.expected"
tail -c +4 "$record_file" |
  sed -E '2s/^[0-9]{4}-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9],/STAMP,/' \
  >"$ART/T017.actual"
cmp -s "$ART/T017.expected" "$ART/T017.actual" ||
  fail "record file differs from the expected header and record (see $ART/T017.actual)"
rm -f "$ART/T017.expected" "$ART/T017.actual"
note "save: record file holds the mark, the header and one record"

# --- about box ----------------------------------------------------------------------------

click 671 688
about=$(find_window '^关于本工具$' 30)
[ -n "$about" ] || fail "the about box did not open"
shoot
cp "$SHOT" "$ART/about.png"
xdotool key Return
gone() { ! xdotool search --name '^关于本工具$' >/dev/null 2>&1; }
wait_for "the about box did not close on Enter" gone
note "about box opened and closed"

# --- close --------------------------------------------------------------------------------

e2e_close
note "closed with exit code 0"

# --- two windows saving at once -------------------------------------------------------------
# Both windows get the save command back to back, ten times; the file must hold the mark,
# the header and exactly twenty whole records.

driver="$(dirname "$EXE")/tests/ui/save_driver.exe"
[ -f "$driver" ] || fail "no driver at $driver"
rm -f "$record_file"
"$WINE" "$EXE" >"$ART/first.log" 2>&1 &
first=$!
"$WINE" "$EXE" >"$ART/second.log" 2>&1 &
second=$!
"$WINE" "$driver" 2 10 >"$ART/driver.log" 2>&1 || fail "driver: $(cat "$ART/driver.log")"
wait "$first" || fail "the first of two windows ended with a non-zero code"
wait "$second" || fail "the second of two windows ended with a non-zero code"
cp "$record_file" "$ART/T017-two-windows.csv"
{
  printf '%s\r\n' '时间,工具,体重,每次剂量,混悬液浓度,结果'
  for _ in $(seq 20); do
    printf '%s\r\n' 'STAMP,Talvoro,体重=12,每次剂量=10,混悬液浓度=20,单次剂量：120.0 mg' \
      '给药体积：6.00 ml' '每日上限：480 mg' ''
  done
} >"$ART/two.expected"
[ "$(head -c 3 "$record_file" | od -An -tx1 | tr -d ' ')" = "efbbbf" ] ||
  fail "the record file of two windows does not start with the byte-order mark"
tail -c +4 "$record_file" |
  sed -E 's/^[0-9]{4}-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9],/STAMP,/' \
  >"$ART/two.actual"
whole=$(grep -c '^STAMP,Talvoro,体重=12,每次剂量=10,混悬液浓度=20,单次剂量：120.0 mg' "$ART/two.actual")
cmp -s "$ART/two.expected" "$ART/two.actual" ||
  fail "two windows: $whole whole records, expected 20 and nothing else (see $ART/two.actual)"
rm -f "$ART/two.expected" "$ART/two.actual"
note "two windows saving at once: $(cat "$ART/driver.log"); 20 whole records, one header"
note "screenshots in $ART"
