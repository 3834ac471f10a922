#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMM_SANITIZE=ON -DMM_BUILD_TESTS=ON -DMM_BUILD_BENCH=ON \
      -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"
cmake --build build-test -j "$jobs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_init_order=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

cd build-test
ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 600
