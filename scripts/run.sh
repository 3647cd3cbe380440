#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$raiz/build}
"$raiz/scripts/install-deps.sh"
"$raiz/scripts/build.sh" "$build"
exec "$build/bin/quilmaro"
