#!/usr/bin/env bash
# Starts a private MariaDB server for the tests and the demo; never the system service.
#   scripts/mariadb-start.sh DIR [PORT [SQL_MODE]]
# Everything lives under DIR: the data folder (created with mariadb-install-db on first use), the
# socket DIR/mariadb.sock, the pid file, the error log. root logs in with an empty password over the
# socket and over TCP on 127.0.0.1:PORT. PORT defaults to the one used last time in DIR when it is
# free, else to the first free port from there (13306 the first time). A second start with the
# server already running finds it and does nothing.
# SQL_MODE, when given, is the server's sql_mode (as --sql-mode= would set it: e.g. the strict
# modes of MySQL 8.0); it is kept in DIR and used again by later starts that do not name one.
# DIR/entorno then holds MYSQL_UNIX_PORT=... and MYSQL_TCP_PORT=... for clients.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 DIR [PORT]" >&2
  exit 2
fi
mkdir -p "$1"
dir=$(cd "$1" && pwd)
datos=$dir/datos
socket=$dir/mariadb.sock
pidfile=$dir/mariadb.pid
log=$dir/mariadb.err

if [ ${#socket} -gt 107 ]; then
  echo "mariadb-start: the socket path is too long for a Unix socket: $socket" >&2
  exit 1
fi

mariadbd=$(command -v mariadbd || true)
[ -n "$mariadbd" ] || mariadbd=/usr/sbin/mariadbd
if [ ! -x "$mariadbd" ]; then
  echo "mariadb-start: mariadbd not found; run scripts/install-deps.sh" >&2
  exit 1
fi

# One start at a time in one folder.
exec 9>"$dir/.bloqueo"
flock 9

# The pid of the server running on this folder, if any.
servidor_vivo() {
  [ -f "$pidfile" ] || return 1
  local pid
  pid=$(cat "$pidfile" 2>/dev/null || true)
  [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] || return 1
  tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- "--datadir=$datos " || return 1
  echo "$pid"
}

puerto_libre() {
  ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

escribe_entorno() {
  printf 'MYSQL_UNIX_PORT=%s\nMYSQL_TCP_PORT=%s\n' "$socket" "$1" >"$dir/entorno"
}

cliente() {
  mariadb --no-defaults --socket="$socket" -uroot "$@"
}

if pid=$(servidor_vivo); then
  puerto=$(cat "$dir/puerto")
  if [ $# -ge 2 ] && [ "$2" != "$puerto" ]; then
    echo "mariadb-start: the server in $dir already runs on port $puerto, not $2" >&2
  fi
  escribe_entorno "$puerto"
  exit 0
fi

if [ $# -ge 2 ]; then
  puerto=$2
  if ! puerto_libre "$puerto"; then
    echo "mariadb-start: port $puerto on 127.0.0.1 is taken by another program" >&2
    exit 1
  fi
else
  # The port used last time, else (or when someone else took it) the first free one.
  puerto=$(cat "$dir/puerto" 2>/dev/null || echo 13306)
  while ! puerto_libre "$puerto"; do
    puerto=$((puerto + 1))
  done
fi
echo "$puerto" >"$dir/puerto"

# The server's SQL mode: the one given, else the one kept from an earlier start, else the default.
if [ $# -ge 3 ]; then
  printf '%s\n' "$3" >"$dir/modo-sql"
fi
modo=()
if [ -f "$dir/modo-sql" ]; then
  modo=("--sql-mode=$(cat "$dir/modo-sql")")
fi

usuario=()
if [ "$(id -u)" -eq 0 ]; then
  usuario=(--user=root)
fi

comunes=(
  --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci
  --innodb-buffer-pool-size=64M --innodb-log-file-size=16M
  --innodb-flush-log-at-trx-commit=2 --skip-innodb-doublewrite
  --skip-name-resolve
)

mkdir -p "$dir/tmp"
if [ ! -d "$datos/mysql" ]; then
  # Install beside and rename, so that an interrupted install is never taken for a data folder.
  # Its temporary tables go to the server's own folder: installs of other servers running at
  # the same time in a shared /tmp removed each other's.
  rm -rf "$datos.nuevo"
  if ! mariadb-install-db --no-defaults --datadir="$datos.nuevo" "${usuario[@]}" \
      --auth-root-authentication-method=normal --skip-test-db --tmpdir="$dir/tmp" \
      "${comunes[@]}" >"$dir/instalacion.log" 2>&1; then
    echo "mariadb-start: mariadb-install-db failed; see $dir/instalacion.log" >&2
    tail -n 20 "$dir/instalacion.log" >&2
    exit 1
  fi
  rm -rf "$datos"
  mv "$datos.nuevo" "$datos"
fi

rm -f "$socket" "$pidfile"
# The server outlives this script (setsid: its own session, no terminal).
setsid "$mariadbd" --no-defaults --datadir="$datos" --socket="$socket" --port="$puerto" \
  --bind-address=127.0.0.1 --pid-file="$pidfile" --log-error="$log" --tmpdir="$dir/tmp" \
  "${usuario[@]}" "${comunes[@]}" "${modo[@]}" </dev/null >>"$dir/salida.log" 2>&1 9>&- &

for _ in $(seq 1 600); do
  if [ -S "$socket" ] && cliente -e 'select 1' >/dev/null 2>&1; then
    break
  fi
  if ! kill -0 $! 2>/dev/null; then
    echo "mariadb-start: the server stopped while starting; the end of $log:" >&2
    tail -n 20 "$log" >&2 || true
    exit 1
  fi
  sleep 0.1
done
if ! cliente -e 'select 1' >/dev/null 2>&1; then
  echo "mariadb-start: the server did not answer within 60 seconds; see $log" >&2
  exit 1
fi

# root without a password over TCP as well (the socket login is checked above).
if ! mariadb --no-defaults --protocol=TCP --host=127.0.0.1 --port="$puerto" -uroot \
    -e 'select 1' >/dev/null 2>&1; then
  cliente -e "CREATE USER IF NOT EXISTS 'root'@'127.0.0.1' IDENTIFIED BY '';
              GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;"
fi
escribe_entorno "$puerto"
