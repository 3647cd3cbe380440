#!/usr/bin/env bash
# Starts the private demo server, loads the demo databases when they are not there yet, and writes
# QUILMARO.INI next to the program so that it uses them.
#   scripts/demo.sh [build-folder]        (default: build/)
# The server lives in <build-folder>/demo-db and keeps running; <build-folder>/demo-db/entorno
# holds the MYSQL_UNIX_PORT the program needs. Stop it with scripts/mariadb-stop.sh.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${BUILD_DIR:-$raiz/build}}
mkdir -p "$build"
build=$(cd "$build" && pwd)
dir=$build/demo-db

bash "$raiz/scripts/mariadb-start.sh" "$dir"
socket=$dir/mariadb.sock
cliente() {
  mariadb --no-defaults --socket="$socket" -uroot --default-character-set=utf8mb4 "$@"
}

# Loaded when both databases hold their rows (a load cut short is done again).
cargada=$(cliente -N -e "SELECT (SELECT COUNT(*) FROM datos1.facturas) > 0 AND
                                (SELECT COUNT(*) FROM generalvelmorita.empresas) > 0" 2>/dev/null ||
          echo 0)
if [ "$cargada" != 1 ]; then
  for bd in datos1 generalvelmorita; do
    cliente -e "DROP DATABASE IF EXISTS $bd;
                CREATE DATABASE $bd CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;"
    cat "$raiz/data/esquema-$bd.sql" "$raiz/data/demo-$bd.sql" | cliente "$bd"
  done
  echo "demo: databases datos1 and generalvelmorita loaded"
fi

# The program's settings: this computer's server (the socket comes in MYSQL_UNIX_PORT) and datos1.
mkdir -p "$build/bin"
printf '%s\r\n' '[Ruta de los datos del sistema]' 'localhost' '[Base de datos a usar]' 'datos1' \
  '[URL de los datos del sistema]' 'c:\mysql\data' >"$build/bin/QUILMARO.INI"

. "$dir/entorno"
echo "demo: server running in $dir (socket $MYSQL_UNIX_PORT, port $MYSQL_TCP_PORT)"
echo "demo: stop it with: bash scripts/mariadb-stop.sh $dir"
