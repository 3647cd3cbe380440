#!/usr/bin/env bash
# Runs the benchmark programs against a private server of their own and prints their figures.
#   scripts/bench.sh [build-folder]       (default: build/)
# The figures go to docs/performance.md by hand, with this command, the machine and the date.
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

# bench1: 1,200 invoices of 60 customers, the series A, B and C, and the company's letterhead.
cliente -e "DROP DATABASE IF EXISTS bench1; CREATE DATABASE bench1 CHARACTER SET utf8mb4;
            CREATE DATABASE IF NOT EXISTS generalvelmorita CHARACTER SET utf8mb4;"
cliente bench1 <"$raiz/data/esquema-datos1.sql"
cliente -e "DROP TABLE IF EXISTS generalvelmorita.empresas" 
cliente generalvelmorita <"$raiz/data/esquema-generalvelmorita.sql"
cliente bench1 -e "
  INSERT INTO clientes (Cliente, Nombre, Domicilio, Colonia, CP, Ciudad, Estado, Telefono)
    SELECT CONCAT('C', LPAD(seq, 4, '0')), CONCAT('CLIENTE NÚMERO ', seq), CONCAT('CALLE ', seq),
           'CENTRO', '44100', 'GUADALAJARA', 'JALISCO', '33 3600 0000' FROM seq_1_to_60;
  INSERT INTO facturas (Serie, Factura, Fecha, Cliente, Nombre, Subtotal, IVA, ImpuestoAd)
    SELECT ELT(1 + seq % 3, 'A', 'B', 'C'), seq, DATE('2024-01-01') + INTERVAL seq % 300 DAY,
           CONCAT('C', LPAD(1 + seq % 60, 4, '0')), CONCAT('CLIENTE NÚMERO ', 1 + seq % 60),
           ROUND(100 + seq * 3.7, 2), ROUND((100 + seq * 3.7) * 0.16, 2), 0 FROM seq_1_to_1200;
  INSERT INTO sistema (Dato, Contenido, Tipo, Comentario)
    VALUES ('FA-A', '1200', 'N', 'Serie A'), ('FA-B', '1198', 'N', 'Serie B'),
           ('FA-C', '1199', 'N', 'Serie C');"
cliente generalvelmorita -e "DELETE FROM empresas WHERE BaseDeDatos='bench1';
  INSERT INTO empresas (BaseDeDatos, Empresa, Domicilio, CP, CiudadEstado, Telefonos, RFC)
  VALUES ('bench1', 'DISTRIBUIDORA DE PRUEBA', 'AV. UNO 1', '44100', 'GUADALAJARA, JAL.', '33', 'XAXX010101000');"

programa=$(mktemp -d)
cp "$build/bin/Auxiliar.MDB" "$build/bin/guia.rpt" "$build/bin/cobranza.rpt" "$programa/"
echo "# machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(date -u +%F)"
for n in 10 100 1000; do
  "$build/bin/bench_reportes" "$programa" bench1 "$n" 5
done
# Adding one invoice through the window: 200 adds to a list that grows from empty, and 200 more
# to a list that already holds 1,000 invoices.
"$build/bin/bench_agregar" bench1 200
"$build/bin/bench_agregar" bench1 200 1000
# Start-up with a saved list of 1,000 invoices: 15 start-ups, each a process of its own.
"$build/bin/bench_arranque" bench1 15 1000
for extra in "$build"/bin/bench_*; do
  case "$(basename "$extra")" in bench_reportes | bench_agregar | bench_arranque) continue ;; esac
  if [ -x "$extra" ]; then
    echo "# $(basename "$extra"): run it by hand (see its header)"
  fi
done
rm -rf "$programa"
