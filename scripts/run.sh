#!/usr/bin/env bash
# Installs what is needed, builds the program, starts the private demo server with the demo
# database, points the program's settings at it (QUILMARO.INI next to the executable) and starts
# the program. The demo server keeps running afterwards; scripts/mariadb-stop.sh build/demo-db
# stops it.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$raiz/build}
"$raiz/scripts/install-deps.sh"
"$raiz/scripts/build.sh" "$build"
bash "$raiz/scripts/demo.sh" "$build"
# "localhost" in the settings means this computer's default socket: the demo server's.
set -a
. "$build/demo-db/entorno"
set +a
exec "$build/bin/quilmaro"
