#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs each for a given number of seconds on its corpus (started from fuzz/semillas/).
#   scripts/fuzz.sh [seconds-each] [build-folder]      (default: 60, build-fuzz/)
# Exits non-zero when any target finds a crash, a leak, a timeout or runs out of memory; the
# input that did it is left as <build-folder>/hallazgo-<target>-*. FUZZ_JOBS: build jobs (2).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
segundos=${1:-60}
build=${2:-$raiz/build-fuzz}
objetivos=(lista numeros ini diseno expresion cadconfimp)
"$raiz/scripts/install-deps.sh"

cmake -S "$raiz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQUILMARO_SANITIZE=ON -DQUILMARO_FUZZ=ON -DQUILMARO_TESTS=OFF \
  -DQUILMARO_BENCH=OFF >/dev/null
cmake --build "$build" -j"${FUZZ_JOBS:-2}" --target "${objetivos[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$raiz/tests/support/lsan.supp:print_suppressions=0
fallidos=()
for objetivo in "${objetivos[@]}"; do
  corpus=$build/corpus/$objetivo
  registro=$build/fuzz-$objetivo.log
  mkdir -p "$corpus"
  for semilla in "$raiz/fuzz/semillas/$objetivo/"*; do
    [ -e "$corpus/$(basename "$semilla")" ] || cp "$semilla" "$corpus/"
  done
  echo "== fuzz_$objetivo for ${segundos}s"
  estado=0
  "$build/bin/fuzz_$objetivo" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/hallazgo-$objetivo-" "$corpus" \
    >"$registro" 2>&1 || estado=$?
  if [ "$estado" -ne 0 ]; then
    # The sanitizer's report and the input's name: enough to start from, the rest in the log.
    grep -E -A 30 '^==[0-9]+==ERROR|^SUMMARY|ALARM|out-of-memory|deadly signal' "$registro" \
      | head -n 60 || true
    grep -E 'Test unit written to' "$registro" || true
    echo "fuzz_$objetivo FAILED (exit status $estado); log: $registro" >&2
    fallidos+=("$objetivo")
  else
    grep -E '^Done|stat::number_of_executed_units|stat::peak_rss_mb' "$registro" || true
    echo "corpus: $(find "$corpus" -type f | wc -l) inputs"
  fi
done

if [ ${#fallidos[@]} -gt 0 ]; then
  echo "fuzz: findings in ${fallidos[*]}" >&2
  exit 1
fi
echo "fuzz: no findings"
