#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks as a Release (build-bench) and runs the ones
# that carry the station's speed goals, pinned to two cores as on the panel, then prints every
# goal with its figure and verdict. About five minutes. Arguments: the two cores to pin to
# (default: the last two of this machine).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMM_SANITIZE=OFF -DMM_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j "$jobs" --target inspection_trigger_goals_bench station_screen_bench \
      station_resultimages_bench bench_chart

last=$((jobs - 1))
cores=${1:-$((last > 0 ? last - 1 : 0)),$last}
export QT_QPA_PLATFORM=offscreen
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {
    echo "== $*"
    taskset -c "$cores" "$@" 2>&1 | tee -a "$log"
}
run build-bench/bench/inspection/inspection_trigger_goals_bench
run build-bench/bench/station/station_screen_bench --benchmark_filter='BM_RepaintTick|BM_RunPass'
run build-bench/bench/statistics/bench_chart --benchmark_filter=BM_LiveTick
run build-bench/bench/station/station_resultimages_bench --benchmark_filter=BM_ArchiverImagesPerSecond

echo
echo "Goals (cores $cores):"
grep '^GOAL |' "$log" | cut -c8-
if grep -q '^GOAL |.*NOT MET$' "$log"; then
    echo "$(grep -c '^GOAL |.*NOT MET$' "$log") of $(grep -c '^GOAL |' "$log") goals not met"
else
    echo "all $(grep -c '^GOAL |' "$log") goals met"
fi
