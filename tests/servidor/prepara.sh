#!/usr/bin/env bash
# Starts the test server and loads the test databases afresh.
#   prepara.sh DIR PORT SOURCE-FOLDER [SQL_MODE]
# With SQL_MODE the server runs in that sql_mode (a server found running in another one is
# started again), as the servers of the field impose it on every connection.
set -euo pipefail
dir=$1
puerto=$2
raiz=$3
socket=$dir/mariadb.sock
sql() {
  mariadb --no-defaults --socket="$socket" -uroot --default-character-set=utf8mb4 "$@"
}
# A mode's names in one order.
ordena() { tr ',' '\n' <<<"$1" | sort | paste -sd, -; }
if [ $# -ge 4 ]; then
  quiero=$(ordena "$4")
  bash "$raiz/scripts/mariadb-start.sh" "$dir" "$puerto" "$4"
  if [ "$(ordena "$(sql -N -e 'SELECT @@GLOBAL.sql_mode')")" != "$quiero" ]; then
    bash "$raiz/scripts/mariadb-stop.sh" "$dir"
    bash "$raiz/scripts/mariadb-start.sh" "$dir" "$puerto" "$4"
  fi
  modo=$(sql -N -e 'SELECT @@GLOBAL.sql_mode')
  [ "$(ordena "$modo")" = "$quiero" ] ||
    { echo "prepara: the server runs in '$modo', not '$4'" >&2; exit 1; }
else
  bash "$raiz/scripts/mariadb-start.sh" "$dir" "$puerto"
fi
for bd in datos1 generalvelmorita; do
  sql -e "DROP DATABASE IF EXISTS $bd; CREATE DATABASE $bd CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;"
  cat "$raiz/data/esquema-$bd.sql" "$raiz/data/prueba-$bd.sql" | sql "$bd"
done
echo "test server ready: socket $socket, port $puerto, sql_mode $(sql -N -e 'SELECT @@GLOBAL.sql_mode')"
