#!/usr/bin/env bash
# Builds the program and starts it on the user's working copy of the delivered data.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
source tools/deps.sh
tovrin_install_deps

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRIN_TESTS=OFF
cmake --build build -j"$(nproc)"

# The program starts in the user's working folder as the installed one does, through the same
# launcher: the folder is made from data/ the first time (atomically), gets back any file it
# lacks, and takes in newer delivered knowledge without losing what it learnt.
export TOVRIN_DATA="$here/data" TOVRIN_PROGRAMS="$here/build"
exec sh "$here/build/launcher/tovrin" "$@"
