#!/usr/bin/env bash
# Builds a debug build with warnings as errors and the sanitizers, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tovrin_install_deps

tools/check_layers.sh

cmake -S . -B build-test -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DTOVRIN_WERROR=ON -DTOVRIN_SANITIZE=ON
cmake --build build-test -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir build-test --output-on-failure -j"$(nproc)"

# The windows on a real desktop: Xvfb, a window manager and real input.
tools/desktop_tests.sh build-test
