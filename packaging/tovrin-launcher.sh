#!/bin/sh
# Starts Tovrin from a menu or a terminal. The program works in the user's own folder, where
# everything it learns is kept: that folder is made from the installed data the first time and
# never overwritten afterwards. With --console it starts the terminal version even where there
# is a display (tovrin-console comes here when it is started outside a working folder).
set -eu

console=
if [ "${1:-}" = --console ]; then
    console=1
    shift
fi

self=$(readlink -f "$0")
bindir=$(dirname "$self")
data="$bindir/../share/tovrin/data"
work="${XDG_DATA_HOME:-$HOME/.local/share}/tovrin"

if [ ! -e "$work" ]; then
    if [ ! -d "$data" ]; then
        echo "tovrin-launch: the installed data is missing: $data" >&2
        exit 1
    fi
    parent=$(dirname "$work")
    mkdir -p "$parent"
    # Prepared beside its final place and renamed in one step, so that an interrupted first
    # start never leaves a half-copied folder that would then be taken as the user's own.
    staging=$(mktemp -d "$parent/.tovrin-new.XXXXXX")
    trap 'rm -rf "$staging"' EXIT
    cp -R "$data/." "$staging/"
    chmod -R u+w "$staging"
    if mv -T "$staging" "$work" 2>/dev/null; then
        echo "tovrin-launch: prepared the working folder $work" >&2
    fi
    trap - EXIT
    rm -rf "$staging"
fi

cd "$work"
# The programs know by it that they were started here and need not come back.
export TOVRIN_WORK_FOLDER="$work"
if [ -z "$console" ]; then
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        exec "$bindir/tovrin" "$@"
    fi
    echo "tovrin-launch: no display, starting the terminal version." >&2
fi
exec "$bindir/tovrin-console" "$@"
