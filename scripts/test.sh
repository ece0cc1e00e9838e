#!/usr/bin/env bash
# Builds everything (application, companion tool, tests, benchmarks) and runs
# the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${CARTES_BUILD_DIR:-build-tests}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON
cmake --build "$build" -j"$(nproc)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
(cd "$build" && ctest --output-on-failure -j"$(nproc)") 2>&1 | tee -a "$log"

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then every fuzz target for a bounded time.
tests/run-sanitized.sh 2>&1 | tee -a "$log"

# The Debian package, installed and started for real (needs root).
if [ "$(id -u)" -eq 0 ]; then
  tests/install/deb-smoke.sh
fi

# One closing line for both runs of the suite.
awk '/tests passed, [0-9]+ tests failed out of [0-9]+/ {
       failed += $4; total += $NF
     }
     END { printf "%d passed, %d failed\n", total - failed, failed }' "$log"
