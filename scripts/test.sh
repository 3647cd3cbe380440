#!/usr/bin/env bash
# Installs what is needed, builds the program and its tests, and runs every test.
#   scripts/test.sh            the ordinary build (build/)
#   SANITIZE=1 scripts/test.sh the same under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)
# Under CI (CI=true) the ordinary build stops at any warning (QUILMARO_WERROR). The sanitizer build
# does not: the compiler's flow warnings change with the instrumentation and are not the code's.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/install-deps.sh"
werror=-DQUILMARO_WERROR=OFF
if [ "${CI:-}" = true ]; then
  werror=-DQUILMARO_WERROR=ON
fi
if [ "${SANITIZE:-0}" = 1 ]; then
  build=${BUILD_DIR:-$raiz/build-asan}
  "$raiz/scripts/build.sh" "$build" -DQUILMARO_SANITIZE=ON
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$raiz/tests/support/lsan.supp:print_suppressions=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
else
  build=${BUILD_DIR:-$raiz/build}
  "$raiz/scripts/build.sh" "$build" "$werror"
fi
cd "$build"
ctest --output-on-failure -j"${TEST_JOBS:-2}"
