#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice on Qt's offscreen platform:
# with AddressSanitizer and UndefinedBehaviorSanitizer (build-test, benchmarks built too), and
# as a Release build without them (build-release, tests only). Some faults show only in one of
# the two: uninitialised bytes are filled by the sanitizer's allocator, timing differs.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

# Line tables only (-g1): the sanitizers' reports keep their file and line, the build is faster.
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMM_SANITIZE=ON -DMM_BUILD_TESTS=ON -DMM_BUILD_BENCH=ON \
      -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1"
cmake --build build-test -j "$jobs"
(
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_init_order=1:detect_stack_use_after_return=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
    cd build-test
    ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 600
)

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DMM_SANITIZE=OFF -DMM_BUILD_TESTS=ON -DMM_BUILD_BENCH=OFF
cmake --build build-release -j "$jobs"
(
    cd build-release
    ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 600
)
