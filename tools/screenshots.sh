#!/usr/bin/env bash
# Pictures of the program as a person sees it: the real program under Xvfb with a window
# manager, each window photographed with its frame.
#   tools/screenshots.sh OUTDIR [BUILD_DIR]   (BUILD_DIR: where tovrin was built; build-test
#                                              or build by default)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: tools/screenshots.sh OUTDIR [BUILD_DIR]}
mkdir -p "$out"
out=$(cd "$out" && pwd)
build=${2:-}
if [ -z "$build" ]; then
  for build in "$here/build-test" "$here/build"; do [ -x "$build/tovrin" ] && break; done
fi
[ -x "$build/tovrin" ] || { echo "no tovrin built in $build: run ./run.sh or ./test.sh first" >&2; exit 1; }
source "$here/tools/deps.sh"
tovrin_install_deps "${TOVRIN_SCREENSHOT_PACKAGES[@]}"
source "$here/tests/desktop/desktop_session.sh"
trap desktop_stop EXIT

# Photographs window $1, frame included, as $2.png once its size has stopped changing.
shoot() {
  wait_until 10 settled_place "$1" >/dev/null || true
  import -window "$1" -frame "$out/$2.png"
  echo "$out/$2.png"
}

# The newest window of the program on screen that is not the main window.
other_window() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$tovrin_pid" . 2>/dev/null); do
    [ "$id" != "$main_window" ] && { echo "$id"; return 0; }
  done
  return 1
}

desktop_start
tovrin_start "$build/tovrin"
# A short conversation, typed on the Latin layout and corrected with Ctrl+S ("E/R"):
# «привет», «как дела».
for phrase in "ghbdtn" "rfr ltkf"; do
  xdotool type --delay 20 "$phrase"
  xdotool key ctrl+s Return
  sleep 1
done
shoot "$main_window" main

menu_choose 1 8 # "Редактор"
id=$(window_of "Редактор" 20) && shoot "$id" editor
xdotool key Escape
wait_until 10 sh -c '! xdotool search --onlyvisible --pid '"$tovrin_pid"' . | grep -qv "^'"$main_window"'$"' || true

menu_choose 2 0 # "О программе..."
if id=$(window_of "О программе" 20); then
  shoot "$id" about
  read -r ax ay < <(client_place "$id")
  xdotool mousemove $((ax + 278)) $((ay + 105)) click 1 # "История": the window unfolds
  sleep 0.5
  id=$(window_of "О программе" 20) && shoot "$id" about-history
  read -r ax ay < <(client_place "$id")
  xdotool mousemove $((ax + 278)) $((ay + 133)) click 1 # "Закрыть"
fi

menu_choose 0 1 # "Вызвать виртуальную клавиатуру"
if id=$(window_of "Виртуальная клавиатура" 20); then
  shoot "$id" keyboard
  read -r kx ky < <(client_place "$id")
  xdotool mousemove $((kx + 20)) $((ky + 10)) click 1 key Down Return # "Скрыть виртуальную клавиатуру"
fi

sleep 0.5
menu_choose 1 0 # "Цвет основного фона": the colour picker
if wait_until 20 other_window; then
  shoot "$(other_window)" colour-dialog
  xdotool key Escape
fi

sleep 0.5
menu_choose 1 9 # "Full Screen"
sleep 1
shoot "$main_window" full-screen
