#!/usr/bin/env bash
# Starts the test server and loads the test databases afresh.
#   prepara.sh DIR PORT SOURCE-FOLDER
set -euo pipefail
dir=$1
puerto=$2
raiz=$3
bash "$raiz/scripts/mariadb-start.sh" "$dir" "$puerto"
socket=$dir/mariadb.sock
for bd in datos1 generalvelmorita; do
  mariadb --no-defaults --socket="$socket" -uroot -e \
    "DROP DATABASE IF EXISTS $bd; CREATE DATABASE $bd CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;"
  cat "$raiz/data/esquema-$bd.sql" "$raiz/data/prueba-$bd.sql" |
    mariadb --no-defaults --socket="$socket" -uroot --default-character-set=utf8mb4 "$bd"
done
echo "test server ready: socket $socket, port $puerto"
