#!/bin/sh
# End-to-end check of the real program under Wine, driven from X like a user:
#   tests/e2e/window_e2e.sh EXE ARTIFACT_DIR
# Needs WINEPREFIX (made by scripts/wine-prefix.sh) and DISPLAY (a screen of at least
# 1036x780, 24-bit) from the caller. Types a weight, presses F5, checks the painted colours,
# the clipboard, the saved record file and the about box, closes the window and checks the
# exit code; that an edited box makes copy and save refuse the shown result; then two windows
# save into one record file at once (driven by save_driver.exe, built beside the tests) and
# every record must be whole. Then T109.exe and T101.exe (beside EXE) copy a 30-bed handover
# and save a 31-day rota, each compared with the result box as window_text.exe reads it, and
# "3000g" typed in the kg box must be refused. Screenshots are left in ARTIFACT_DIR. Any
# failure ends the script with a message and a non-zero code.
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
  '给药体积：6.00 ml' '每日上限：480 mg' '—— 按体重计算完成，餐后服用减少胃肠刺激' '' \
  >"$ART/T017.expected"
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

# --- an edited box marks the result stale ---------------------------------------------------
# After the defaults' result, the weight is changed without calculating: copy and save refuse
# the shown 12 kg result (the status line says "输入已更改，请按 F5 重新计算"), the record file
# keeps its one record, and the next calculation lifts the mark.

set_input 0 20
shoot
cp "$SHOT" "$ART/stale.png"
cp "$record_file" "$ART/T017.before-stale"
for button in 394 250; do
  click "$button" 688
  refusal=$(find_window '^请重新计算$' 30)
  [ -n "$refusal" ] || fail "button at x=$button did not refuse the stale result (请重新计算)"
  xdotool key Return
  refusal_gone() { ! xdotool search --name '^请重新计算$' >/dev/null 2>&1; }
  wait_for "the refusal box did not close on Enter" refusal_gone
done
cmp -s "$ART/T017.before-stale" "$record_file" || fail "a stale result was saved"
rm -f "$ART/T017.before-stale"
click 292 159  # F5 acts only from a control: after the box the focus is on the window
xdotool key F5
click 394 688
clip_20() {
  text=$(xclip -o -selection clipboard 2>/dev/null) || return 1
  case "$text" in *"单次剂量：200.0 mg"*) return 0 ;; esac
  return 1
}
wait_for "after F5 the copy does not hold the 20 kg result" clip_20
note "stale result: copy and save refused, F5 lifts the mark (screenshot stale.png)"

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
      '给药体积：6.00 ml' '每日上限：480 mg' '—— 按体重计算完成，餐后服用减少胃肠刺激' ''
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

# --- what is copied and saved is what the result box shows ---------------------------------
# The checks below wait on other mends (the whole record, the unit rule): each failure is
# noted, the script goes on, and it fails at its end.

failures=''
soft_fail() {
  echo "$E2E_NAME: FAIL: $*" >&2
  failures="$failures; $*"
}
reader="$(dirname "$EXE")/tests/ui/window_text.exe"
[ -f "$reader" ] || fail "no window reader at $reader"
programs=$(dirname "$EXE")
crlf_to_lf() { tr -d '\r' <"$1"; }

# A 30-bed handover on the clipboard: the title line, the whole result box and the verdict.
e2e_start "$programs/T109.exe" '交班报告模板'
set_input 0 30
xdotool key F5
sleep 1
"$WINE" "$reader" result >"$ART/T109.result" 2>"$ART/reader.log" || fail "reader: $(cat "$ART/reader.log")"
"$WINE" "$reader" verdict >"$ART/T109.verdict" 2>"$ART/reader.log" || fail "reader: $(cat "$ART/reader.log")"
grep -q '30 床' "$ART/T109.result" || fail "the result box does not show bed 30"
{ printf '交班报告模板\r\n'; cat "$ART/T109.result"; printf '—— '; cat "$ART/T109.verdict"; } \
  >"$ART/T109.expected"
click 394 688
# Wine hands the X clipboard LF line ends: compared without CRs.
clip_whole() {
  xclip -o -selection clipboard >"$ART/T109.clipboard" 2>/dev/null || return 1
  [ "$(crlf_to_lf "$ART/T109.clipboard")" = "$(crlf_to_lf "$ART/T109.expected")" ]
}
wait_for "the clipboard is not the title, the whole 30-bed result and the verdict (see $ART/T109.clipboard)" clip_whole
note "30-bed handover: clipboard = title + result box ($(wc -c <"$ART/T109.result") bytes) + verdict"
e2e_close

# A 31-day rota saved: the record's result field is the whole result box and the verdict.
t101_file="$records/T101.csv"
rm -f "$t101_file"
e2e_start "$programs/T101.exe" '护理排班表'
set_input 0 6
set_input 1 31
xdotool key F5
sleep 1
"$WINE" "$reader" result >"$ART/T101.result" 2>"$ART/reader.log" || fail "reader: $(cat "$ART/reader.log")"
grep -q '31日' "$ART/T101.result" || fail "the result box does not show day 31"
"$WINE" "$reader" verdict >"$ART/T101.verdict" 2>"$ART/reader.log" || fail "reader: $(cat "$ART/reader.log")"
click 250 688
saved=$(find_window '^已保存$' 30)
[ -n "$saved" ] || fail "the rota's save box (已保存) did not open"
xdotool key Return
wait_for "the save box did not close on Enter" saved_gone
{ printf 'STAMP,护理排班表,护士人数=6,排班天数=31,'; cat "$ART/T101.result"; printf '—— '
  cat "$ART/T101.verdict"; printf '\r\n\r\n'; } \
  >"$ART/T101.expected"
tail -c +4 "$t101_file" | tail -n +2 |
  sed -E '1s/^[0-9]{4}-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9],/STAMP,/' \
  >"$ART/T101.actual"
cmp -s "$ART/T101.expected" "$ART/T101.actual" ||
  soft_fail "the 31-day rota's record is not the whole result box and verdict (see $ART/T101.actual)"
e2e_close
note "31-day rota: record checked against the result box"

# "3000g" in the kg box is another unit, "0x10" a hexadecimal 16: refused, nothing calculated.
e2e_start "$EXE" Talvoro
for typed in 3000g 0x10; do
  set_input 0 "$typed"
  xdotool key F5
  refused=$(find_window '^输入有误$' 10)
  if [ -n "$refused" ]; then
    xdotool key Return
    refused_gone() { ! xdotool search --name '^输入有误$' >/dev/null 2>&1; }
    wait_for "the input box did not close on Enter" refused_gone
    note "$typed in the kg box: refused"
  else
    soft_fail "$typed in the kg box was calculated, not refused"
  fi
done
e2e_close

[ -z "$failures" ] || fail "${failures#; }"
note "screenshots in $ART"
