#!/usr/bin/env bash
# Stops the private MariaDB server started by mariadb-start.sh in DIR, by its pid.
#   scripts/mariadb-stop.sh DIR
# Nothing running there is not an error.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 DIR" >&2
  exit 2
fi
[ -d "$1" ] || exit 0
dir=$(cd "$1" && pwd)
pidfile=$dir/mariadb.pid
[ -f "$pidfile" ] || exit 0
pid=$(cat "$pidfile" 2>/dev/null || true)
[ -n "$pid" ] || exit 0

# Only a mariadbd whose data folder is this one.
es_nuestro() {
  [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- "--datadir=$dir/datos "
}

if ! es_nuestro; then
  rm -f "$pidfile"
  exit 0
fi

kill -TERM "$pid" 2>/dev/null || true
for _ in $(seq 1 600); do
  es_nuestro || break
  sleep 0.1
done
if es_nuestro; then
  echo "mariadb-stop: the server ($pid) did not stop within 60 seconds; killing it" >&2
  kill -KILL "$pid" 2>/dev/null || true
  sleep 1
fi
rm -f "$pidfile"
