#!/bin/sh
# End-to-end check of the real program under Wine, driven from X like a user:
#   tests/e2e/window_e2e.sh EXE ARTIFACT_DIR
# Needs WINEPREFIX (made by scripts/wine-prefix.sh) and DISPLAY (a screen of at least
# 1036x780, 24-bit) from the caller. Types a weight, presses F5, checks the painted colours,
# the clipboard, the saved record file and the about box, closes the window and checks the
# exit code. Screenshots are left in ARTIFACT_DIR. Any failure ends the script with a
# message and a non-zero code.
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 EXE ARTIFACT_DIR" >&2
  exit 2
fi
EXE=$1
ART=$2
WINE=${WINE:-/usr/lib/wine/wine64}

fail() {
  echo "window_e2e: FAIL: $*" >&2
  if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then
    import -window root "$ART/failure.png" 2>/dev/null
    kill "$pid" 2>/dev/null
  fi
  exit 1
}
note() { echo "window_e2e: $*"; }

[ -f "$EXE" ] || fail "no program at $EXE"
[ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set (make one with scripts/wine-prefix.sh)"
[ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set (run under xvfb-run)"
for tool in xdotool xclip import convert; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
done
mkdir -p "$ART" || fail "cannot create $ART"
export WINEDEBUG=${WINEDEBUG:--all}

screen=$(xdotool getdisplaygeometry) || fail "cannot read the screen size"
set -- $screen
[ "$1" -ge 1036 ] && [ "$2" -ge 780 ] || fail "screen $1x$2 is smaller than the window"

# --- helpers ------------------------------------------------------------------------------

SHOT="$ART/.current.png"
shoot() { import -window root "$SHOT" 2>/dev/null || fail "screenshot failed"; }

# pixel X Y: "R,G,B" of a screen pixel in the last screenshot.
pixel() {
  convert "$SHOT" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# colour_count X Y W H R,G,B: pixels of exactly that colour in a client box of the last shot.
colour_count() {
  convert "$SHOT" -crop "$3x$4+$((OX + $1))+$((OY + $2))" +repage \
    -fill black +opaque "rgb($5)" -fill white -opaque "rgb($5)" \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

# wait_for DESCRIPTION COMMAND...: re-runs COMMAND (after a fresh screenshot) until it
# succeeds; gives up after about 20 s, since the program may be slow to paint under Wine.
wait_for() {
  what=$1
  shift
  tries=0
  while :; do
    shoot
    "$@" && return 0
    tries=$((tries + 1))
    [ $tries -ge 40 ] && fail "$what"
    sleep 0.5
  done
}

client_pixel_is() { [ "$(pixel $((OX + $1)) $((OY + $2)))" = "$3" ]; }
has_colour() { [ "$(colour_count "$@")" -gt 20 ]; }

click() { xdotool mousemove $((OX + $1)) $((OY + $2)) click 1 || fail "click at $1,$2 failed"; }

# Puts TEXT into the input edit of row ROW (counting from 0): click, clear, type.
set_input() {
  click 292 $((159 + 34 * $1))
  xdotool key End
  xdotool key --repeat 24 BackSpace
  xdotool type "$2"
}

# --- start --------------------------------------------------------------------------------

"$WINE" "$EXE" >"$ART/talvoro.log" 2>&1 &
pid=$!
window=$(timeout 60 xdotool search --sync --name '^Talvoro$' | head -n 1)
[ -n "$window" ] || fail "no window named Talvoro appeared"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 1036 ] && [ "$HEIGHT" -eq 780 ] || fail "window is ${WIDTH}x$HEIGHT, not 1036x780"
note "window $window at $X,$Y"

# The client area starts inside Wine's own frame and caption: find it by the accent strip
# (RGB 0,132,176, left edge of the header) and the header band (RGB 0,108,150, top).
find_origin() {
  OX=''
  OY=''
  for dx in 0 1 2 3 4 5 6 7 8; do
    if [ "$(pixel $((X + dx)) $((Y + 100)))" = "0,132,176" ]; then OX=$((X + dx)); break; fi
  done
  for dy in $(seq 0 40); do
    if [ "$(pixel $((X + 600)) $((Y + dy)))" = "0,108,150" ]; then OY=$((Y + dy)); break; fi
  done
  [ -n "$OX" ] && [ -n "$OY" ]
}
wait_for "cannot find the painted header (accent strip and band) in the window" find_origin
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
saved=$(timeout 30 xdotool search --sync --name '^已保存$' | head -n 1)
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
about=$(timeout 30 xdotool search --sync --name '^关于本工具$' | head -n 1)
[ -n "$about" ] || fail "the about box did not open"
shoot
cp "$SHOT" "$ART/about.png"
xdotool key Return
gone() { ! xdotool search --name '^关于本工具$' >/dev/null 2>&1; }
wait_for "the about box did not close on Enter" gone
note "about box opened and closed"

# --- close --------------------------------------------------------------------------------

click 600 40  # the focus back on the main window
xdotool key alt+F4
tries=0
while kill -0 "$pid" 2>/dev/null; do
  tries=$((tries + 1))
  [ $tries -ge 40 ] && fail "the window did not close on Alt+F4"
  sleep 0.5
done
wait "$pid"
code=$?
pid=''
[ "$code" -eq 0 ] || fail "exit code $code, expected 0"
rm -f "$SHOT"
note "closed with exit code 0; screenshots in $ART"
