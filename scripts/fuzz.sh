#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs each for a given number of seconds on a copy of its seed corpus.
#   scripts/fuzz.sh [seconds-each] [build-folder]      (default: 60, build-fuzz/)
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
segundos=${1:-60}
build=${2:-$raiz/build-fuzz}
cmake -S "$raiz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQUILMARO_SANITIZE=ON -DQUILMARO_FUZZ=ON -DQUILMARO_TESTS=OFF \
  -DQUILMARO_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_lista fuzz_numeros fuzz_ini
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1
for objetivo in lista numeros ini; do
  corpus=$build/corpus/$objetivo
  mkdir -p "$corpus"
  cp -n "$raiz/fuzz/semillas/$objetivo/"* "$corpus/" 2>/dev/null || true
  echo "== fuzz_$objetivo for ${segundos}s"
  "$build/bin/fuzz_$objetivo" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/hallazgo-$objetivo-" "$corpus" 2>&1 | tail -n 3
done
