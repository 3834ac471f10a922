#!/usr/bin/env bash
# Installs what is missing, builds the station (Release) and starts it full screen in the
# runtime folder build/runtime/. With no camera attached it runs on simulated cameras.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMM_BUILD_TESTS=OFF -DMM_BUILD_BENCH=OFF
cmake --build build -j "$jobs"

cd build/runtime
exec ./mouldmonitor "$@"
