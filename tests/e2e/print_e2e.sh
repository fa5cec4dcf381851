#!/bin/sh
# Prints through the real print path under Wine into a CUPS PDF printer, driven like a user:
#   tests/e2e/print_e2e.sh PROGRAM_DIR ARTIFACT_DIR
# Needs WINEPREFIX and DISPLAY as tests/e2e/window_e2e.sh does, and CUPS with cups-pdf (made
# ready here by scripts/start-cups.sh, as root or through sudo). talvoro.exe on its defaults,
# T101.exe with a 40-nurse 31-day rota and T109.exe with a 30-bed handover each calculate, get
# Ctrl+P and the print dialog's OK; each PDF must hold the whole result (as the result box
# shows it), the verdict after "—— " with its level in words, the footer on every page and
# the page count the layout gives (tests/print: one A4 page each). Page 1 of each is left as
# a PNG in ARTIFACT_DIR.
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 PROGRAM_DIR ARTIFACT_DIR" >&2
  exit 2
fi
PROGRAMS=$1
ART=$2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/e2e_lib.sh"
e2e_prepare print_e2e
for tool in pdftotext pdfinfo pdftoppm lpstat; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
done
began=$(date +%s)

# --- a PDF printer, and a Wine prefix that lists it ---------------------------------------

cups_pid="$ART/cupsd.pid"
rm -f "$cups_pid"
pdf_dir=$("$HERE/../../scripts/start-cups.sh" "$cups_pid") || fail "no CUPS PDF printer"
stop_cups() { [ -f "$cups_pid" ] && kill "$(cat "$cups_pid")" 2>/dev/null; rm -f "$cups_pid"; }
trap stop_cups EXIT
mkdir -p "$pdf_dir"
devices='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'
lists_pdf() { "$WINE" reg query "$devices" 2>/dev/null | grep -q 'CUPS:PDF'; }
if ! lists_pdf; then
  # A prefix made before the queue existed learns of it when Wine updates the prefix.
  "$WINE" wineboot -u </dev/null >/dev/null 2>&1
  lists_pdf || fail "the Wine prefix does not list the CUPS queue PDF"
fi
note "printer PDF (cups-pdf), PDFs land in $pdf_dir"

# check_text TEXT RESULT VERDICT PAGES TITLE: the PDF's text holds the whole result, "—— 【level】"
# and the verdict, the title, "第 N 页，共 M 页" for every page and the footer's reminder.
# Compared without white space and in NFKC: a PDF's text layer may name a CJK compatibility
# ideograph (U+F97E) for the glyph of 量 (U+91CF), both drawn alike.
check_text() {
  python3 - "$@" <<'PY'
import sys, unicodedata
def squash(text):
    return "".join(c for c in unicodedata.normalize("NFKC", text) if not c.isspace())
def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()
text, result, verdict = squash(read(sys.argv[1])), read(sys.argv[2]), read(sys.argv[3])
pages, title = int(sys.argv[4]), sys.argv[5]
wanted = {"the whole result": result, "the title": title, "the reminder": "计算辅助，请与医嘱核对"}
wanted.update({"page %d's number" % n: "第 %d 页，共 %d 页" % (n, pages) for n in range(1, pages + 1)})
missing = [what for what, part in wanted.items() if squash(part) not in text]
levels = [level for level in ("正常", "提示", "注意", "警示")
          if squash("—— 【%s】%s" % (level, verdict)) in text]
if not result.strip() or not levels:
    missing.append("the verdict after its level in words")
if missing:
    sys.exit("missing " + ", ".join(missing))
print(levels[0])
PY
}

# print_result NAME EXE TITLE PAGES [ROW VALUE]...: calculates, prints with Ctrl+P and the
# dialog's OK, and checks the PDF that appears.
print_result() {
  name=$1
  exe=$2
  title=$3
  pages=$4
  shift 4
  e2e_start "$PROGRAMS/$exe" "$title"
  while [ $# -ge 2 ]; do
    set_input "$1" "$2"
    shift 2
  done
  xdotool key F5
  sleep 1
  reader="$PROGRAMS/tests/ui/window_text.exe"
  "$WINE" "$reader" result >"$ART/$name.result" 2>"$ART/reader.log" || fail "reader: $(cat "$ART/reader.log")"
  "$WINE" "$reader" verdict >"$ART/$name.verdict" 2>"$ART/reader.log" || fail "reader: $(cat "$ART/reader.log")"
  ls "$pdf_dir" >"$ART/pdfs.before"

  xdotool key ctrl+p
  dialog=$(find_window '^(Print|打印)$' 30)
  [ -n "$dialog" ] || fail "$name: Ctrl+P did not open the print dialog"
  shoot
  cp "$SHOT" "$ART/$name-dialog.png"
  xdotool key Return
  new_pdf() {
    pdf=$(ls "$pdf_dir" | grep -v -x -F -f "$ART/pdfs.before" | grep '\.pdf$' | head -n 1)
    [ -n "$pdf" ] && [ -z "$(lpstat -o PDF 2>/dev/null)" ]
  }
  # Drawing under Wine and cups-pdf's Ghostscript take a while for the rota on a busy machine.
  tries=0
  until new_pdf; do
    tries=$((tries + 1))
    [ $tries -lt 240 ] || fail "$name: no PDF appeared in $pdf_dir within 4 minutes"
    sleep 1
  done
  sleep 0.5  # the queue is empty and the file renamed; let its last write settle
  cp "$pdf_dir/$pdf" "$ART/$name.pdf"
  e2e_close

  printed=$(pdfinfo "$ART/$name.pdf" | sed -n 's/^Pages: *//p')
  [ "$printed" = "$pages" ] || fail "$name: $printed pages printed, the layout gives $pages"
  pdftotext "$ART/$name.pdf" "$ART/$name.txt" || fail "$name: pdftotext failed"
  found=$(check_text "$ART/$name.txt" "$ART/$name.result" "$ART/$name.verdict" "$pages" "$title" 2>&1) ||
    fail "$name: $found (see $ART/$name.txt)"
  pdftoppm -r 100 -png -singlefile -f 1 -l 1 "$ART/$name.pdf" "$ART/print-$name-page1" ||
    fail "$name: pdftoppm failed"
  note "$name: $pages page(s), whole result ($(wc -c <"$ART/$name.result") bytes) and verdict ($found); $ART/print-$name-page1.png"
}

print_result T017 talvoro.exe Talvoro 1
print_result T101 T101.exe '护理排班表' 1 0 40 1 31
print_result T109 T109.exe '交班报告模板' 1 0 30
rm -f "$ART/pdfs.before" "$ART/reader.log"
note "printed and checked in $(($(date +%s) - began)) s"
