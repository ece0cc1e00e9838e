#!/usr/bin/env bash
# Builds the application, the companion tool and the tests, and runs the test
# suite: unit, widget, network, end-to-end and install tests (ctest). The long
# runs (sanitizers, fuzzing, the Debian package) are in scripts/test-all.sh.
# Ends with one line "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1
build=${CARTES_BUILD_DIR:-build-tests}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

status=0
if cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DCARTES_BUILD_BENCH=OFF &&
  cmake --build "$build" -j"$(nproc)"; then
  (cd "$build" && ctest --output-on-failure -j"$(nproc)") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
else
  echo "La compilation a échoué." >&2
  status=1
fi

awk -v built="$status" '
  /tests passed, [0-9]+ tests failed out of [0-9]+/ { failed += $4; total += $NF; seen = 1 }
  END {
    if (!seen && built != 0) failed = 1
    printf "%d passed, %d failed\n", total - failed, failed
  }' "$log"
exit "$status"
