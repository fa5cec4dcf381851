#!/bin/sh
# Makes sure a PDF printer is there for the print test: a running CUPS scheduler with a
# cups-pdf queue named PDF that is the default destination. As root (or through sudo):
#   scripts/start-cups.sh PIDFILE
# Starts cupsd only when none runs, and then writes its process id to PIDFILE (whoever started
# it stops it: kill "$(cat PIDFILE)"); a machine's own running CUPS is used as it is. A fresh
# machine whose package set-up found no scheduler gets the queue added here. Prints the
# folder the PDFs land in. Idempotent.
set -eu

if [ $# -ne 1 ]; then
  echo "usage: $0 PIDFILE" >&2
  exit 2
fi
pidfile=$1
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] || { echo "$0: no $ppd (install printer-driver-cups-pdf)" >&2; exit 1; }

if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
  $sudo mkdir -p /run/cups
  $sudo cupsd -f </dev/null >/dev/null 2>&1 &
  echo $! >"$pidfile"
  tries=0
  until lpstat -r 2>/dev/null | grep -q 'is running'; do
    tries=$((tries + 1))
    [ $tries -lt 50 ] || { echo "$0: cupsd did not start" >&2; exit 1; }
    sleep 0.2
  done
fi
if ! lpstat -v PDF >/dev/null 2>&1; then
  $sudo lpadmin -p PDF -v cups-pdf:/ -P "$ppd" -E 2>/dev/null
fi
$sudo lpadmin -d PDF
lpstat -d | grep -q 'destination: PDF' || { echo "$0: PDF is not the default printer" >&2; exit 1; }
# cups-pdf writes into the submitting user's home (its Out setting, ${HOME}/PDF by default).
echo "$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
