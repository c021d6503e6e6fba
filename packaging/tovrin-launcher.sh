#!/bin/sh
# tovrin: starts the program in the user's own working folder, where everything it learns is
# kept, from a menu or typed in any terminal. The folder is made from the installed data the
# first time (prepared beside its place and renamed into it in one step); at every later start
# it gets back any delivered file it lacks, and after an upgrade the new delivered knowledge is
# merged into it (tovrin-kb merge): whatever the program learnt stays, the old files are kept in
# before-VERSION/ and one line tells what came in. With --console it starts the terminal
# version even where there is a display (tovrin-console comes here when it is started outside a
# working folder). --help and --version are answered here and prepare nothing.
#
# Made from packaging's template at build time: the paths below are relative to this script's
# installed place. TOVRIN_DATA and TOVRIN_PROGRAMS (the folder of the built programs) stand in
# for them when the program is started from a build folder (./run.sh).
set -eu

version='@PROJECT_VERSION@'

case "${1:-}" in
--help | -h)
    cat <<EOF
Использование: tovrin [--console] [--help] [--version]

Запускает Товрина в вашей рабочей папке \${XDG_DATA_HOME:-~/.local/share}/tovrin, где
хранится всё, чему программа научилась. При первом запуске папка делается из поставленных
данных; недостающие файлы возвращаются при каждом запуске, а после обновления пакета новые
знания вливаются в папку, не трогая выученного (прежние файлы остаются в before-ВЕРСИЯ/).
Есть дисплей — открывается окно, нет — беседа идёт в терминале (tovrin-console).

  --console  беседовать в терминале даже при дисплее
  --help     показать эту справку
  --version  показать версию
EOF
    exit 0
    ;;
--version)
    echo "tovrin $version"
    exit 0
    ;;
esac

console=
if [ "${1:-}" = --console ]; then
    console=1
    shift
fi

say() { echo "tovrin: $*" >&2; }

self=$(readlink -f "$0")
here=$(dirname "$self")
if [ -n "${TOVRIN_PROGRAMS:-}" ]; then
    window="$TOVRIN_PROGRAMS/tovrin"
    terminal="$TOVRIN_PROGRAMS/tovrin-console"
    kb="$TOVRIN_PROGRAMS/tovrin-kb"
else
    window="$here/@TOVRIN_WINDOW_FROM_LAUNCHER@"
    terminal="$here/tovrin-console"
    kb="$here/@TOVRIN_KB_FROM_LAUNCHER@"
fi
data="${TOVRIN_DATA:-$here/@TOVRIN_DATA_FROM_LAUNCHER@}"
work="${XDG_DATA_HOME:-$HOME/.local/share}/tovrin"

if [ ! -d "$data/Base" ]; then
    say "нет поставленных данных программы: $data"
    exit 1
fi
data=$(readlink -f "$data")
case "$data/" in
"$(readlink -m "$work")"/*)
    say "поставленные данные ($data) лежат внутри рабочей папки $work; установите программу с другим префиксом"
    exit 1
    ;;
esac

if [ ! -e "$work" ]; then
    parent=$(dirname "$work")
    mkdir -p "$parent"
    # Prepared beside its final place and renamed in one step, so that an interrupted first
    # start never leaves a half-made folder that would then be taken as the user's own.
    staging=$(mktemp -d "$parent/.tovrin-new.XXXXXX")
    trap 'rm -rf "$staging"' EXIT
    "$kb" -C "$staging" merge --quiet "$data"
    if mv -T "$staging" "$work" 2>/dev/null; then
        say "рабочая папка подготовлена: $work"
    fi
    trap - EXIT
    rm -rf "$staging"
elif [ -d "$work" ]; then
    if told=$("$kb" -C "$work" merge "$data"); then
        [ -z "$told" ] || say "$told"
    else
        say "рабочая папка не приведена к поставленным данным; программа работает с прежними файлами"
    fi
fi

cd "$work"
# The programs know by it that they were started here and need not come back.
export TOVRIN_WORK_FOLDER="$work"
if [ -z "$console" ]; then
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        exec "$window" "$@"
    fi
    say "нет дисплея, запускается версия для терминала."
fi
exec "$terminal" "$@"
