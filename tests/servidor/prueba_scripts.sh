#!/usr/bin/env bash
# The server scripts and the demo, on servers of their own:
#   prueba_scripts.sh SOURCE-FOLDER WORK-FOLDER PORT
# start, a second start that finds the running server, root without a password over the socket and
# over TCP, stop by pid, a second stop; then the demo script loads the demo data and writes the
# program's settings.
set -euo pipefail
raiz=$1
trabajo=$2
puerto=$3
falla() {
  echo "FAILED: $*" >&2
  exit 1
}

dir=$trabajo/scripts-db
bash "$raiz/scripts/mariadb-stop.sh" "$dir"
bash "$raiz/scripts/mariadb-start.sh" "$dir" "$puerto"
pid=$(cat "$dir/mariadb.pid")
[ -d "/proc/$pid" ] || falla "no server process after start"
bash "$raiz/scripts/mariadb-start.sh" "$dir" "$puerto"
[ "$(cat "$dir/mariadb.pid")" = "$pid" ] || falla "a second start started another server"
grep -qx "MYSQL_UNIX_PORT=$dir/mariadb.sock" "$dir/entorno" || falla "entorno lacks the socket"
grep -qx "MYSQL_TCP_PORT=$puerto" "$dir/entorno" || falla "entorno lacks the port"

quien=$(mariadb --no-defaults --socket="$dir/mariadb.sock" -uroot --password= -N -e 'SELECT CURRENT_USER()')
[ "$quien" = "root@localhost" ] || falla "socket login gave '$quien'"
quien=$(mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P"$puerto" -uroot --password= -N \
  -e 'SELECT CURRENT_USER()')
[ "$quien" = "root@127.0.0.1" ] || falla "TCP login gave '$quien'"
plugin=$(mariadb --no-defaults --socket="$dir/mariadb.sock" -uroot -N -e \
  "SELECT IFNULL(JSON_VALUE(Priv, '$.plugin'), '') FROM mysql.global_priv WHERE User='root' AND Host='localhost'")
[ "$plugin" != unix_socket ] || falla "root@localhost needs unix_socket authentication"

bash "$raiz/scripts/mariadb-stop.sh" "$dir"
[ ! -d "/proc/$pid" ] || [ -z "$(tr -d '\0' <"/proc/$pid/cmdline" 2>/dev/null)" ] ||
  falla "the server is still running after stop"
bash "$raiz/scripts/mariadb-stop.sh" "$dir" || falla "a second stop failed"

# The demo: its own build folder and server.
demo=$trabajo/demo
mkdir -p "$demo/demo-db"
echo "$((puerto + 1))" >"$demo/demo-db/puerto"
bash "$raiz/scripts/demo.sh" "$demo"
sql() {
  mariadb --no-defaults --socket="$demo/demo-db/mariadb.sock" -uroot -N \
    --default-character-set=utf8mb4 -e "$1"
}
[ "$(sql 'SELECT COUNT(*) >= 300 AND COUNT(DISTINCT Serie) = 3 FROM datos1.facturas')" = 1 ] ||
  falla "the demo lacks its invoices"
[ "$(sql 'SELECT COUNT(*) FROM datos1.clientes')" -ge 60 ] || falla "the demo lacks its customers"
[ "$(sql "SELECT COUNT(*) FROM datos1.clientes WHERE Nombre LIKE '%''%'")" -ge 1 ] ||
  falla "no customer name with an apostrophe"
[ "$(sql "SELECT COUNT(*) FROM datos1.clientes WHERE Nombre LIKE '%\"%'")" -ge 1 ] ||
  falla "no customer name with double quotes"
[ "$(sql "SELECT COUNT(*) FROM datos1.facturas f LEFT JOIN datos1.clientes c USING (Cliente)
          WHERE c.Nombre IS NULL OR c.Nombre <> f.Nombre")" = 0 ] ||
  falla "invoices whose customer is missing or named otherwise"
[ "$(sql "SELECT Empresa FROM generalvelmorita.empresas WHERE BaseDeDatos='datos1'")" = \
  "DISTRIBUIDORA VELMORITA, S.A. DE C.V." ] || falla "no letterhead for datos1"
[ "$(sql "SELECT COUNT(*) FROM datos1.sistema WHERE Dato LIKE 'FA-%' AND Dato <> 'FA-'")" = 3 ] ||
  falla "the demo lacks its series keys"
printf '%s\r\n' '[Ruta de los datos del sistema]' 'localhost' '[Base de datos a usar]' 'datos1' \
  '[URL de los datos del sistema]' 'c:\mysql\data' | cmp - "$demo/bin/QUILMARO.INI" ||
  falla "QUILMARO.INI differs"
# A second run finds the data there and does not load it again.
antes=$(sql 'SELECT MAX(ID) FROM datos1.facturas')
sql 'INSERT INTO datos1.sistema (Dato) VALUES ("MARCA-PRUEBA")'
bash "$raiz/scripts/demo.sh" "$demo" | grep -q loaded && falla "the demo was loaded twice"
[ "$(sql "SELECT COUNT(*) FROM datos1.sistema WHERE Dato='MARCA-PRUEBA'")" = 1 ] ||
  falla "the second run replaced the data"
sql "DELETE FROM datos1.sistema WHERE Dato='MARCA-PRUEBA'"
[ "$(sql 'SELECT MAX(ID) FROM datos1.facturas')" = "$antes" ] || falla "invoices changed"
bash "$raiz/scripts/mariadb-stop.sh" "$demo/demo-db"
echo "server and demo scripts: all checks passed"
