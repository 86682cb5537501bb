#!/usr/bin/env bash
# Sets up this machine, builds everything and runs the whole test suite.
#   scripts/test.sh                 plain build in build-test/
#   SANITIZE=thread scripts/test.sh     ThreadSanitizer build in build-tsan/
#   SANITIZE=address scripts/test.sh    AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
case "${SANITIZE:-}" in
  "")      build="$root/build-test"; opts=() ;;
  thread)  build="$root/build-tsan"; opts=(-DSPRINGTEST_TSAN=ON -DSPRINGTEST_BENCH=OFF) ;;
  address) build="$root/build-asan"; opts=(-DSPRINGTEST_ASAN=ON -DSPRINGTEST_BENCH=OFF) ;;
  *) echo "SANITIZE must be thread or address" >&2; exit 2 ;;
esac
"$root/scripts/build.sh" "$build" "${opts[@]}"
export QT_QPA_PLATFORM=offscreen
# Qt's own thread pool and event dispatcher are not built with the sanitizer; these suppress only
# reports that start inside Qt's libraries.
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1 suppressions=$root/tests/tsan.supp}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp}"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
