#!/usr/bin/env bash
# Configures and builds the program and its tests.
#   scripts/build.sh [build-folder] [extra cmake arguments...]
# The program and everything it needs beside it land in <build-folder>/bin.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$raiz/build}
shift || true
cmake -S "$raiz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
