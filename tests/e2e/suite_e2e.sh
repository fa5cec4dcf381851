#!/bin/sh
# End-to-end check of every report program of the suite under Wine, driven from X like a user:
#   tests/e2e/suite_e2e.sh BUILD_DIR ARTIFACT_DIR
# For each T<id>.exe: the window opens under its tool's title with one input row per input,
# the calculate button fills the result box and draws the verdict in its level's colour, the
# save button writes T<id>.csv, and the window closes with exit code 0. One screenshot per
# program is left in ARTIFACT_DIR. Needs WINEPREFIX and DISPLAY from the caller.
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR ARTIFACT_DIR" >&2
  exit 2
fi
BUILD=$1
ART=$2
HERE=$(cd "$(dirname "$0")" && pwd)
EXPECTED="$HERE/../suite/expected"
. "$HERE/e2e_lib.sh"
e2e_prepare suite_e2e

RECORDS="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/TarnMedSuite/records"

# program  inputs  verdict colour (level 3 for the default drug pair, else level 0)
PROGRAMS="
T101 2 0,128,96
T102 3 0,128,96
T103 1 0,128,96
T104 1 0,128,96
T105 1 0,128,96
T106 2 190,30,45
T107 3 0,128,96
T108 0 0,128,96
T109 1 0,128,96
T110 4 0,128,96
T111 1 0,128,96
"

# Pixels of the result box's inside that are not white: text was written into it.
result_has_text() {
  [ "$(convert "$SHOT" -crop "460x200+$((OX + 500))+$((OY + 202))" +repage \
        -fill black +opaque 'rgb(255,255,255)' -fill white -opaque 'rgb(255,255,255)' \
        -format '%[fx:int((1-mean)*w*h+0.5)]' info:)" -gt 50 ]
}

# An input row shows its edit's sunken frame at the edit's left edge; a missing row is card.
row_present() { ! client_pixel_is 216 $((150 + 34 * $1 + 6)) 255,255,255; }

echo "$PROGRAMS" | while read -r program inputs colour; do
  [ -n "$program" ] || continue
  id=${program#T}
  title=$(sed -n '1s/^TOOL|[0-9]*|\([^|]*\)|.*/\1/p' "$EXPECTED/$program.txt")
  [ -n "$title" ] || fail "$program: no expected report with its title"
  rm -f "$RECORDS/$program.csv"

  e2e_start "$BUILD/$program.exe" "$title"

  row=0
  while [ $row -lt "$inputs" ]; do
    row_present $row || fail "$program: input row $row is missing"
    row=$((row + 1))
  done
  row_present "$inputs" && fail "$program: more than $inputs input rows"

  click 96 688  # calculate
  wait_for "$program: the result box stayed empty" result_has_text
  wait_for "$program: verdict not drawn in RGB($colour)" has_colour 492 142 492 46 "$colour"
  cp "$SHOT" "$ART/$program.png"

  click 250 688  # save record: its confirmation box, then the file
  box=$(find_window '^已保存$' 30)
  [ -n "$box" ] || fail "$program: no confirmation after saving"
  xdotool key Return
  [ -f "$RECORDS/$program.csv" ] || fail "$program: no record file $program.csv"
  grep -q "$title" "$RECORDS/$program.csv" || fail "$program: the record does not name $title"

  e2e_close
  note "$program ($title): inputs, result, verdict colour, record file, exit code 0"
done || exit 1
note "all suite programs passed; screenshots in $ART"
