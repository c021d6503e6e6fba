#!/usr/bin/env bash
# Builds the program and starts it on the user's working copy of the delivered data.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
source tools/deps.sh
tovrin_install_deps

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRIN_TESTS=OFF
cmake --build build -j"$(nproc)"

# The user's learnt knowledge lives in the working folder: it is made once and never overwritten.
work="${XDG_DATA_HOME:-$HOME/.local/share}/tovrin"
if [ ! -d "$work" ]; then
  mkdir -p "$work"
  cp -R data/. "$work/"
  echo "Prepared the working folder $work"
fi
cd "$work"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$here/build/tovrin"
else
  echo "No display: starting the terminal version."
  exec "$here/build/tovrin-console"
fi
