#!/usr/bin/env bash
# Checks the two rules the tree's layout rests on (docs/architecture.md):
#  - a file under src/<folder> includes headers of its own library and of those before it in the
#    order below, never of a later one (no arrow runs back up);
#  - no CMakeLists.txt or .cmake file lists sources with file(GLOB): each lists them by name, so a
#    stray file never slips into a build.
#   scripts/check-layers.sh [source-root]
# Prints every offending line and exits 1; prints nothing and exits 0 on a clean tree.
set -euo pipefail
raiz=${1:-$(cd "$(dirname "$0")/.." && pwd)}

# The libraries in their order; src/CMakeLists.txt adds them in this order too.
capas=(platform core db reportengine reports gui app herramientas)
declare -A rango
for i in "${!capas[@]}"; do
  rango[${capas[$i]}]=$i
done

fallas=0
falla() {
  echo "$1" >&2
  fallas=1
}

for dir in "$raiz"/src/*/; do
  carpeta=$(basename "$dir")
  if [ -z "${rango[$carpeta]+x}" ]; then
    falla "src/$carpeta: a folder outside the order of the libraries (add it to $0 and the docs)"
    continue
  fi
  # file:line:text of every include that names a folder ("core/Regional.h", <gui/Reja.h>, ...).
  while IFS= read -r linea; do
    ubicacion=${linea%%:[[:space:]#]*}
    ruta=$(sed -E 's/^[^"<]*["<]([^">]*)[">].*/\1/' <<<"${linea#"$ubicacion"}")
    while [[ $ruta == ../* || $ruta == ./* ]]; do
      ruta=${ruta#*/}
    done
    destino=${ruta%%/*}
    [ -n "${rango[$destino]+x}" ] || continue
    if ((rango[$destino] > rango[$carpeta])); then
      falla "${ubicacion#"$raiz/"}: $carpeta includes $ruta of the later library $destino"
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*/' "$dir" || true)
done

while IFS= read -r linea; do
  falla "${linea#"$raiz/"}: sources listed by file(GLOB), not by name"
done < <(grep -rniE '^[^#]*file[[:space:]]*\([[:space:]]*GLOB' --include=CMakeLists.txt --include='*.cmake' \
  "$raiz/CMakeLists.txt" "$raiz/src" "$raiz/tests" "$raiz/bench" "$raiz/fuzz" 2>/dev/null || true)

exit "$fallas"
