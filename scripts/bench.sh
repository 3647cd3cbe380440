#!/usr/bin/env bash
# Runs the benchmark programs against a private server of their own and prints their figures:
# each program's lines as they come (standard error), then the table that opens
# docs/performance.md (standard output), each figure with its floor or peer, the ratio, the goal,
# the command, the machine and the date.
#   scripts/bench.sh [build-folder]       (default: build/)
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$raiz/build}
"$raiz/scripts/build.sh" "$build"
build=$(cd "$build" && pwd)
dir=$build/bench-db
bash "$raiz/scripts/mariadb-start.sh" "$dir" >/dev/null
. "$dir/entorno"
export MYSQL_UNIX_PORT MYSQL_TCP_PORT
cliente() { mariadb --no-defaults --socket="$MYSQL_UNIX_PORT" -uroot --default-character-set=utf8mb4 "$@"; }

# A database of N invoices of 60 customers, numbered 1 to N in the series A, B and C (by number
# modulo 3), and the company's letterhead: bench1 holds 1,200, bench2 100,200 (a saved list of
# 100,000 and the 200 invoices added to it).
prepara() {
  local base=$1 n=$2
  cliente -e "DROP DATABASE IF EXISTS $base; CREATE DATABASE $base CHARACTER SET utf8mb4;"
  cliente "$base" <"$raiz/data/esquema-datos1.sql"
  cliente "$base" -e "
    INSERT INTO clientes (Cliente, Nombre, Domicilio, Colonia, CP, Ciudad, Estado, Telefono)
      SELECT CONCAT('C', LPAD(seq, 4, '0')), CONCAT('CLIENTE NÚMERO ', seq), CONCAT('CALLE ', seq),
             'CENTRO', '44100', 'GUADALAJARA', 'JALISCO', '33 3600 0000' FROM seq_1_to_60;
    INSERT INTO facturas (Serie, Factura, Fecha, Cliente, Nombre, Subtotal, IVA, ImpuestoAd)
      SELECT ELT(1 + seq % 3, 'A', 'B', 'C'), seq, DATE('2024-01-01') + INTERVAL seq % 300 DAY,
             CONCAT('C', LPAD(1 + seq % 60, 4, '0')), CONCAT('CLIENTE NÚMERO ', 1 + seq % 60),
             ROUND(100 + seq * 3.7, 2), ROUND((100 + seq * 3.7) * 0.16, 2), 0 FROM seq_1_to_$n;
    INSERT INTO sistema (Dato, Contenido, Tipo, Comentario)
      VALUES ('FA-A', '$n', 'N', 'Serie A'), ('FA-B', '$n', 'N', 'Serie B'),
             ('FA-C', '$n', 'N', 'Serie C');"
  cliente generalvelmorita -e "DELETE FROM empresas WHERE BaseDeDatos='$base';
    INSERT INTO empresas (BaseDeDatos, Empresa, Domicilio, CP, CiudadEstado, Telefonos, RFC)
    VALUES ('$base', 'DISTRIBUIDORA DE PRUEBA', 'AV. UNO 1', '44100', 'GUADALAJARA, JAL.', '33',
            'XAXX010101000');"
}
cliente -e "CREATE DATABASE IF NOT EXISTS generalvelmorita CHARACTER SET utf8mb4;
            DROP TABLE IF EXISTS generalvelmorita.empresas"
cliente generalvelmorita <"$raiz/data/esquema-generalvelmorita.sql"
prepara bench1 1200
prepara bench2 100200

programa=$(mktemp -d)
trap 'rm -rf "$programa"' EXIT
cp "$build/bin/Auxiliar.MDB" "$build/bin/guia.rpt" "$build/bin/cobranza.rpt" "$programa/"
maquina="$(nproc) cores $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //' | cut -d' ' -f1-2), $(date -u '+%F %H:%M') UTC, load $(cut -d' ' -f1 /proc/loadavg)"

# Each program's own lines go to standard error as they come; the table is printed at the end.
corre() { "$@" 2>&1 | tee /dev/stderr | tail -n 1; }
campo() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }
for n in 10 100; do corre "$build/bin/bench_reportes" "$programa" bench1 "$n" 5 >/dev/null; done
reporte=$(corre "$build/bin/bench_reportes" "$programa" bench1 1000 9)
# The engine alone: 10,000 rows from the server to the first page and to PDF.
motor=$(corre "$build/bin/bench_motor" --servidor 10000)
# Adding one invoice through the window: 200 adds to a list that grows from empty, from 1,000
# and from a saved list of 100,000.
vacia=$(corre "$build/bin/bench_agregar" bench1 200)
mil=$(corre "$build/bin/bench_agregar" bench1 200 1000)
cien=$(corre "$build/bin/bench_agregar" bench2 200 100000)
# Start-up with a saved list of 1,000 and of 100,000 invoices, each start-up a process of its own.
corre "$build/bin/bench_arranque" bench1 15 1000 >/dev/null
apertura=$(corre "$build/bin/bench_arranque" bench2 5 100000)
diseno=$(corre "$build/bin/bench_diseno" 32000 5)

fila() { printf '| %s | %s | %s | %s | %s | `%s` | %s |\n' "$@"; }
IFS=$'\t' read -r _ _ _ primera pdf _ pico <<<"$motor"
echo
echo '| Figure | Measured | Floor or peer | Ratio | Goal | Command | Machine, date |'
echo '|---|---:|---:|---:|---|---|---|'
fila "Report run, 1,000 invoices, click to preview" "$(campo run_ms "$reporte") ms" \
  "$(campo floor_ms "$reporte") ms (server work)" "$(campo ratio "$reporte")x" "2x" \
  "bin/bench_reportes <folder> bench1 1000 9" "$maquina"
fila "Engine, 10,000 rows to the first page" "$primera s" "—" "—" "0.2 s" \
  "bin/bench_motor --servidor 10000" "$maquina"
fila "Engine, 10,000 rows to PDF" "$pdf s" "—" "—" "1 s" "bin/bench_motor --servidor 10000" \
  "$maquina"
fila "Engine, 10,000 rows, peak memory" "$pico MB" "—" "—" "100 MB" \
  "bin/bench_motor --servidor 10000" "$maquina"
fila "Saved list of 100,000 invoices, process start to the window painted" \
  "$(campo start_to_painted_ms "$apertura") ms" "$(campo floor_ms "$apertura") ms (read, split, series)" \
  "$(awk -v a="$(campo start_to_painted_ms "$apertura")" -v b="$(campo floor_ms "$apertura")" 'BEGIN { printf "%.1fx", a / b }')" \
  "1 s" "bin/bench_arranque bench2 5 100000" "$maquina"
fila "Saved list of 100,000 invoices, peak memory" "$(campo peak_rss_mb "$apertura") MB" "—" "—" \
  "150 MB" "bin/bench_arranque bench2 5 100000" "$maquina"
agrega() {
  fila "Adding an invoice to $1" "$(campo click_us "$2") µs" \
    "$(campo floor_us "$2") µs (its query)" "$(campo ratio_click "$2")x" "2x" "$3" "$maquina"
}
agrega "an empty list" "$vacia" "bin/bench_agregar bench1 200"
agrega "a list of 1,000" "$mil" "bin/bench_agregar bench1 200 1000"
agrega "a saved list of 100,000" "$cien" "bin/bench_agregar bench2 200 100000"
fila "Layout of 32,000 elements read" "$(campo read_ms "$diseno") ms" \
  "$(campo xml_pass_ms "$diseno") ms (bare XML pass)" "$(campo ratio "$diseno")x" "0.5 s" \
  "bin/bench_diseno 32000 5" "$maquina"
