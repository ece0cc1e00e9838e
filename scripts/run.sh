#!/usr/bin/env bash
# Installs what is missing, builds the application and starts it on its bundled
# species database (the database is built beside the executable).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DCARTES_BUILD_BENCH=OFF
cmake --build build -j"$(nproc)"
exec build/src/app/cartes-especes "$@"
