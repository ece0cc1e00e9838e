#!/usr/bin/env bash
# Installs what is missing, builds the application and starts it on its bundled
# species database (the database is built beside the executable). A card file
# given as argument opens in it, a relative path taken from the folder the
# script was started in.
set -euo pipefail
caller=$PWD
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DCARTES_BUILD_BENCH=OFF
cmake --build build -j"$(nproc)"
cd "$caller"
exec "$root/build/src/app/cartes-especes" "$@"
