# Shared helpers of the end-to-end scripts: screenshots, pixels in client coordinates,
# clicks, waiting, and starting and closing a program under Wine. Sourced, not run.
# The caller sets ART (artifact folder); e2e_start sets pid, OX and OY (client origin).

WINE=${WINE:-/usr/lib/wine/wine64}
E2E_NAME=e2e

fail() {
  echo "$E2E_NAME: FAIL: $*" >&2
  if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then
    import -window root "$ART/failure.png" 2>/dev/null
    kill "$pid" 2>/dev/null
  fi
  exit 1
}
note() { echo "$E2E_NAME: $*"; }

# e2e_prepare NAME: checks the tools, the prefix, the display and its size.
e2e_prepare() {
  E2E_NAME=$1
  [ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set (make one with scripts/wine-prefix.sh)"
  [ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set (run under xvfb-run)"
  for tool in xdotool xclip import convert; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
  done
  mkdir -p "$ART" || fail "cannot create $ART"
  export WINEDEBUG=${WINEDEBUG:--all}
  SHOT="$ART/.current.png"
  screen=$(xdotool getdisplaygeometry) || fail "cannot read the screen size"
  set -- $screen
  [ "$1" -ge 1036 ] && [ "$2" -ge 780 ] || fail "screen $1x$2 is smaller than the window"
}

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

# set_input ROW TEXT: puts TEXT into the input edit of row ROW (counting from 0): click,
# clear, type.
set_input() {
  click 292 $((159 + 34 * $1))
  xdotool key End
  xdotool key --repeat 24 BackSpace
  xdotool type "$2"
}

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

# find_window PATTERN SECONDS: prints the first window whose name matches, or nothing after
# SECONDS. Searched again on an X error too: a window closing mid-search gives xdotool a
# BadWindow error, which must not end the wait.
find_window() {
  tries=0
  while [ $tries -lt $(($2 * 2)) ]; do
    found=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    tries=$((tries + 1))
    sleep 0.5
  done
}

# e2e_start EXE TITLE: starts the program, waits for its window of the fixed outer size and
# for the first paint; sets pid, window, X, Y, OX, OY.
e2e_start() {
  [ -f "$1" ] || fail "no program at $1"
  "$WINE" "$1" >"$ART/$(basename "$1" .exe).log" 2>&1 &
  pid=$!
  window=$(find_window "^$2\$" 60)
  [ -n "$window" ] || fail "no window named $2 appeared"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  [ "$WIDTH" -eq 1036 ] && [ "$HEIGHT" -eq 780 ] || fail "window is ${WIDTH}x$HEIGHT, not 1036x780"
  wait_for "cannot find the painted header (accent strip and band) in the window" find_origin
}

# e2e_close: Alt+F4 on the main window; the program must end with exit code 0.
e2e_close() {
  click 600 40  # the focus back on the main window
  xdotool key alt+F4
  tries=0
  while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -ge 60 ] && fail "the window did not close on Alt+F4"
    # On a loaded machine the key can reach X before the window has the focus: ask again.
    if [ $((tries % 20)) -eq 0 ]; then
      click 600 40
      xdotool key alt+F4
    fi
    sleep 0.5
  done
  wait "$pid"
  code=$?
  pid=''
  [ "$code" -eq 0 ] || fail "exit code $code, expected 0"
  rm -f "$SHOT"
}
