#!/usr/bin/env bash
# Makes the pictures of the user's guide (docs/img/) from the real program on the demo data:
# the main window with a list of invoices, and the first page of each report.
#   scripts/capturas.sh [build-folder]        (default: build/)
# Starts the demo server as scripts/demo.sh does (and stops it again if it was not running),
# runs the window's picture tool under a virtual X server, renders both reports to PDF with the
# report engine and turns their first pages into PNG at 100 dpi.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${BUILD_DIR:-$raiz/build}}
mkdir -p "$build"
build=$(cd "$build" && pwd)
img=$raiz/docs/img
mkdir -p "$img"

for p in xvfb-run pdftoppm; do
  command -v "$p" >/dev/null || { echo "capturas: $p is missing; run scripts/install-deps.sh" >&2; exit 1; }
done
cmake --build "$build" -j2 --target quilmaro captura_ventana >/dev/null

dir=$build/demo-db
ya_corria=0
[ -S "$dir/mariadb.sock" ] && [ -f "$dir/mariadb.pid" ] && kill -0 "$(cat "$dir/mariadb.pid")" 2>/dev/null && ya_corria=1
bash "$raiz/scripts/demo.sh" "$build" >/dev/null
set -a
. "$dir/entorno"
set +a
tmp=$(mktemp -d)
limpia() {
  rm -rf "$tmp"
  [ "$ya_corria" -eq 1 ] || bash "$raiz/scripts/mariadb-stop.sh" "$dir" >/dev/null || true
}
trap limpia EXIT

# A morning's route: fourteen invoices of series A and six of series B, in the clerk's order.
facturas=()
for n in $(seq 1201 1214); do facturas+=("A-$n"); done
for n in $(seq 341 346); do facturas+=("B-$n"); done

# The program folder holds the settings demo.sh wrote; the list the tool builds is not saved.
CAPTURA_PDF=$tmp/reporte timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/captura_ventana" "$build/bin" "$img/ventana-principal.png" "${facturas[@]}"

for r in guia cobranza; do
  pdftoppm -png -r 100 -f 1 -l 1 -singlefile "$tmp/reporte-$r.pdf" "$img/reporte-$r"
done
ls -l "$img"/*.png | awk '{print "capturas: " $NF " (" $5 " bytes)"}'
