#!/usr/bin/env bash
# A second build with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/, or $CARTES_ASAN_BUILD_DIR): the test suite except the
# end-to-end tests, then every fuzz target for about five minutes in all
# (at most 50 s each). Both stages run; the script fails when either does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${CARTES_ASAN_BUILD_DIR:-build-asan}
jobs=$(nproc)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DCARTES_SANITIZE=ON \
  -DCARTES_BUILD_BENCH=OFF
cmake --build "$build" -j"$jobs"

# Leaks of the libraries Qt loads (fontconfig, glib) are not ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
(cd "$build" && ctest --output-on-failure -j"$jobs" -LE e2e) || status=1

total=${CARTES_FUZZ_TOTAL_SECONDS:-300}
targets=$(find tests/fuzz -mindepth 2 -maxdepth 2 -name 'fuzz_*.cpp' -printf '%h\n' | sort -u | wc -l)
each=50
if [ "$targets" -gt 0 ] && [ $((total / targets)) -lt "$each" ]; then
  each=$((total / targets))
fi
# Crashing inputs are kept beside the build, not in the sources.
FUZZ_ARTIFACTS=${FUZZ_ARTIFACTS:-$(cd "$build" && pwd)/fuzz-artifacts} \
  tests/fuzz/run-fuzz.sh "$each" || status=1
exit $status
