#!/usr/bin/env bash
# Concurrency test: P workstations (carga_reportes processes) run R reports each at the same
# time against one server and one database. Every workstation must finish with every run right,
# and afterwards the database holds no working table (tbltemp%) and no program folder holds a
# local report file (TEMPORAL*.MDB).
#
#   carga.sh <carpeta-bin> <procesos> <reportes> [facturas-por-reporte] [base] [compartida]
#
# <carpeta-bin> holds carga_reportes, Auxiliar.MDB and the layouts (the build's bin folder).
# MYSQL_UNIX_PORT names the server's socket. The database (default carga1) is made afresh with
# procesos x reportes x facturas invoices; its letterhead goes to generalvelmorita.empresas.
# Each workstation has a program folder of its own; with "compartida" they all share one, as
# copies of the program started from one network folder (or twice on one computer) do.
set -euo pipefail
bin=$(cd "$1" && pwd)
procesos=$2
reportes=$3
facturas=${4:-12}
base=${5:-carga1}
compartida=${6:-}
raiz=$(cd "$(dirname "$0")/../.." && pwd)
: "${MYSQL_UNIX_PORT:?MYSQL_UNIX_PORT must name the server socket}"
export QT_QPA_PLATFORM=offscreen

cliente() { mariadb --no-defaults --socket="$MYSQL_UNIX_PORT" -uroot --default-character-set=utf8mb4 "$@"; }

total=$((procesos * reportes * facturas))
# Must match kPrimeraFactura in carga_reportes.cpp.
primera=500000

cliente -e "DROP DATABASE IF EXISTS $base;
            CREATE DATABASE $base CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
            CREATE DATABASE IF NOT EXISTS generalvelmorita CHARACTER SET utf8mb4;"
cliente "$base" <"$raiz/data/esquema-datos1.sql"
if ! cliente generalvelmorita -e "SELECT 1 FROM empresas LIMIT 0" >/dev/null 2>&1; then
  cliente generalvelmorita <"$raiz/data/esquema-generalvelmorita.sql"
fi
cliente "$base" -e "
  INSERT INTO clientes (Cliente, Nombre, Domicilio, Colonia, CP, Ciudad, Estado, Telefono)
    SELECT CONCAT('C', LPAD(seq, 4, '0')), CONCAT('CLIENTE ', seq), CONCAT('CALLE ', seq),
           'CENTRO', '44100', 'GUADALAJARA', 'JALISCO', '33 3600 0000' FROM seq_1_to_40;
  INSERT INTO facturas (ID, Serie, Factura, Fecha, Cliente, Nombre, Subtotal, IVA, ImpuestoAd)
    SELECT seq, ELT(1 + seq % 3, 'A', 'B', 'C'), $primera + seq,
           DATE('2024-01-01') + INTERVAL seq % 300 DAY,
           CONCAT('C', LPAD(1 + seq % 40, 4, '0')), CONCAT('CLIENTE ', 1 + seq % 40),
           ROUND(100 + seq * 3.7, 2), ROUND((100 + seq * 3.7) * 0.16, 2), 0
    FROM seq_1_to_$total;"
cliente generalvelmorita -e "DELETE FROM empresas WHERE BaseDeDatos='$base';
  INSERT INTO empresas (BaseDeDatos, Empresa, Domicilio, CP, CiudadEstado, Telefonos, RFC)
  VALUES ('$base', 'DISTRIBUIDORA DE CARGA', 'AV. UNO 1', '44100', 'GUADALAJARA, JAL.', '33',
          'XAXX010101000');"
hay=$(cliente -N "$base" -e "SELECT COUNT(*) FROM facturas")
[ "$hay" -eq "$total" ] || { echo "the database holds $hay invoices, not $total" >&2; exit 1; }

# One program folder per workstation, as each has its own installation, or one for all.
trabajo=$(mktemp -d)
trap 'rm -rf "$trabajo"' EXIT
carpeta() { if [ "$compartida" = compartida ]; then echo "$trabajo/puesto"; else echo "$trabajo/puesto$1"; fi; }
for ((w = 0; w < procesos; w++)); do
  mkdir -p "$(carpeta "$w")"
  cp "$bin/Auxiliar.MDB" "$bin/guia.rpt" "$bin/cobranza.rpt" "$(carpeta "$w")/"
done

inicio=$(date +%s.%N)
pids=()
for ((w = 0; w < procesos; w++)); do
  "$bin/carga_reportes" "$(carpeta "$w")" "$base" "$reportes" "$w" "$facturas" $compartida \
    >"$trabajo/salida$w" 2>"$trabajo/errores$w" &
  pids+=($!)
done
codigos=()
for ((w = 0; w < procesos; w++)); do
  codigo=0
  wait "${pids[$w]}" || codigo=$?
  codigos+=("$codigo")
done
fin=$(date +%s.%N)

# A workstation fails when it ends with an error, prints no summary or has a run that was wrong.
corridas=0
malas=0
fallidos=0
for ((w = 0; w < procesos; w++)); do
  cat "$trabajo/salida$w"
  grep -v -e 'plugin does not support' -e 'XDG_RUNTIME_DIR' "$trabajo/errores$w" | sed -n '1,40p' >&2 || true
  linea=$(grep '^worker=' "$trabajo/salida$w" || true)
  ok=0
  if [ -n "$linea" ]; then
    ok=$(sed -E 's/.* ok=([0-9]+).*/\1/' <<<"$linea")
    mal=$(sed -E 's/.* failed=([0-9]+).*/\1/' <<<"$linea")
    corridas=$((corridas + ok + mal))
    malas=$((malas + mal))
  fi
  if [ "${codigos[$w]}" -ne 0 ] || [ "$ok" -ne "$reportes" ]; then
    fallidos=$((fallidos + 1))
    echo "workstation $w: exit code ${codigos[$w]}, $ok of $reportes runs right" >&2
  fi
done

tablas=$(cliente -N -e "SELECT COUNT(*) FROM information_schema.tables
                        WHERE table_schema='$base' AND table_name LIKE 'tbltemp%'")
locales=$(find "$trabajo" -iname 'TEMP*.MDB' | wc -l)
segundos=$(awk -v a="$inicio" -v b="$fin" 'BEGIN { printf "%.1f", b - a }')
echo "processes=$procesos reports_each=$reportes invoices_each=$facturas ${compartida:+shared_folder }wall_s=$segundos" \
  "runs=$corridas failed_runs=$malas failed_processes=$fallidos tables_left=$tablas" \
  "local_files_left=$locales"

estado=0
[ "$fallidos" -eq 0 ] || estado=1
[ "$corridas" -eq $((procesos * reportes)) ] || estado=1
[ "$tablas" -eq 0 ] || { cliente -N -e "SELECT table_name FROM information_schema.tables
                          WHERE table_schema='$base' AND table_name LIKE 'tbltemp%'" >&2; estado=1; }
[ "$locales" -eq 0 ] || { find "$trabajo" -iname 'TEMP*.MDB' >&2; estado=1; }
if [ "$estado" -eq 0 ]; then
  cliente -e "DROP DATABASE $base; DELETE FROM generalvelmorita.empresas WHERE BaseDeDatos='$base';"
fi
exit "$estado"
