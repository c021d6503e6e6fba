#!/usr/bin/env bash
# Installs what is missing, builds a debug build with warnings as errors and the sanitizers, and
# runs the whole suite with ctest (the desktop checks under Xvfb included: label "desktop").
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tovrin_install_deps

# A compiler cache, where the machine has one, makes a second run quick; paths are taken
# relative to this folder, so that another clone of the tree finds the same entries.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-test -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Debug -DTOVRIN_WERROR=ON -DTOVRIN_SANITIZE=ON
cmake --build build-test -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1
# Twice as many tests as cores: the desktop checks spend most of their time waiting for the
# window system, and would otherwise hold a core's place in the queue while idle.
ctest --test-dir build-test --output-on-failure -j"$(($(nproc) * 2))"
