#!/usr/bin/env bash
# Starts the CUPS scheduler (when it is not running) and makes sure the print queue whose output
# is a PDF file exists. The printing tests send their reports there.
#   scripts/cups-start.sh [queue]        (default: QuilmaroPDF)
# Prints the folder where the queue writes its PDF files.
set -euo pipefail
cola=${1:-QuilmaroPDF}
corriendo() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
if ! corriendo; then
  # In the foreground of a session of its own: it outlives the script that starts it.
  setsid nohup cupsd -f >/dev/null 2>&1 &
  for _ in $(seq 1 100); do
    corriendo && break
    sleep 0.1
  done
fi
corriendo || { echo "cups-start: the CUPS scheduler did not start" >&2; exit 1; }
if ! lpstat -p "$cola" >/dev/null 2>&1; then
  ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || ls /usr/share/ppd/cups-pdf/*.ppd | head -n1)
  lpadmin -p "$cola" -E -v cups-pdf:/ -P "$ppd"
fi
cupsenable "$cola"
cupsaccept "$cola"
# Where cups-pdf puts the files of the user who printed.
salida=$(sed -n 's/^Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf | tail -n1)
salida=${salida:-/var/spool/cups-pdf/\${USER\}}
salida=${salida//\$\{HOME\}/$HOME}
salida=${salida//\$\{USER\}/$(id -un)}
mkdir -p "$salida"
echo "$salida"
