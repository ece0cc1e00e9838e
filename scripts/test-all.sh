#!/usr/bin/env bash
# Everything: the format check (scripts/check-format.sh), the test suite
# (scripts/test.sh), the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer followed by every fuzz target
# (tests/run-sanitized.sh), and, as root, the Debian package built, installed,
# started and removed (tests/install/deb-smoke.sh). A stage that fails does not
# stop the others; the closing line counts the tests of every stage and the
# stages that failed are named above it.
set -uo pipefail
cd "$(dirname "$0")/.."
passed=0
failed=0
failed_stages=()

# Runs one stage and adds its counts: ctest's closing lines, one failure per
# fuzz target that crashed, and one for a stage that failed without saying
# which test did (a build, the package).
stage() {
  local name=$1
  shift
  local log
  log=$(mktemp)
  echo "=== $name"
  "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local counts
  counts=$(awk '
    /tests passed, [0-9]+ tests failed out of [0-9]+/ { f += $4; t += $NF }
    /^== .*: CRASH$/ { f += 1; t += 1 }
    /^== .*: no crash$/ { t += 1 }
    END { print t + 0, f + 0 }' "$log")
  rm -f "$log"
  local total=${counts% *} bad=${counts#* }
  if [ "$rc" -ne 0 ]; then
    failed_stages+=("$name")
    if [ "$bad" -eq 0 ]; then
      bad=1
      total=$((total + 1))
    fi
  elif [ "$total" -eq 0 ]; then
    total=1
  fi
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

# Every C++ file as .clang-format asks.
stage format scripts/check-format.sh
stage suite scripts/test.sh
# The benchmarks are not run here, only kept compiling (bench/run-all.sh runs them).
bench_build() {
  local build=${CARTES_BUILD_DIR:-build-tests}
  cmake -S . -B "$build" -DCARTES_BUILD_BENCH=ON && cmake --build "$build" -j"$(nproc)"
}
stage benchmarks bench_build
stage sanitizers tests/run-sanitized.sh
if [ "$(id -u)" -eq 0 ]; then
  stage package tests/install/deb-smoke.sh
else
  echo "=== package: skipped (it installs a package: run as root)"
fi

if [ ${#failed_stages[@]} -gt 0 ]; then
  echo "Failed stages: ${failed_stages[*]}"
fi
echo "$passed passed, $failed failed"
[ ${#failed_stages[@]} -eq 0 ]
