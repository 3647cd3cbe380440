#!/usr/bin/env bash
# Runs every test program of a build folder on its own, as a developer would by hand: no CTest,
# none of the variables CTest sets, each in an empty folder of its own. The programs that need
# the private test server find it through the socket and port compiled into them; this script
# starts that server (the databases loaded afresh) the way the tests' fixture does, and stops it
# at the end.
#   scripts/pruebas-sueltas.sh BUILD_DIR
# Prints one line per program and the list of those that failed; exits 1 when any did.
set -uo pipefail
if [ $# -ne 1 ] || [ ! -f "$1/pruebas-sueltas.txt" ]; then
  echo "usage: $0 BUILD_DIR (a configured and built tree)" >&2
  exit 2
fi
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
# Written by the configure step: the server's folder and port for this build tree, and the paths
# of its test programs.
# shellcheck source=/dev/null
. "$build/servidor-prueba.env" || exit 2
mapfile -t programas <"$build/pruebas-sueltas.txt" || exit 2

if ! bash "$raiz/tests/servidor/prepara.sh" "$servidor_dir" "$servidor_puerto" "$raiz" >/dev/null; then
  echo "pruebas-sueltas: the test server did not start" >&2
  exit 1
fi
trap 'bash "$raiz/scripts/mariadb-stop.sh" "$servidor_dir" >/dev/null' EXIT

fallidos=()
for programa in "${programas[@]}"; do
  if [ ! -x "$programa" ]; then
    echo "FALLA  $(basename "$programa") (not built)"
    fallidos+=("$(basename "$programa")")
    continue
  fi
  nombre=$(basename "$programa")
  carpeta=$(mktemp -d)
  registro=$carpeta.log
  inicio=$SECONDS
  (cd "$carpeta" &&
    env -u MYSQL_UNIX_PORT -u MYSQL_TCP_PORT -u QUILMARO_PRUEBA_DIR -u QUILMARO_SCRIPTS \
      -u QT_QPA_PLATFORM timeout 600 "$programa") >"$registro" 2>&1
  estado=$?
  if [ $estado -eq 0 ]; then
    echo "ok     $nombre ($((SECONDS - inicio)) s)"
  else
    echo "FALLA  $nombre (exit status $estado)"
    grep -E '^\[  FAILED  \] [A-Za-z0-9_/]+\.|: Failure$' "$registro" | head -n 20 | sed 's/^/       /'
    fallidos+=("$nombre")
  fi
  rm -rf "$carpeta" "$registro"
done

if [ ${#fallidos[@]} -gt 0 ]; then
  echo "pruebas-sueltas: ${#fallidos[@]} program(s) failed: ${fallidos[*]}"
  exit 1
fi
echo "pruebas-sueltas: every program passed"
