#!/usr/bin/env bash
# A desktop for the real program: Xvfb with the openbox window manager on a free display, the
# program started in a scratch copy of the delivered data, and what drives it with real input.
# Sourced by tests/desktop/desktop_tests.sh and tools/screenshots.sh; everything started here is ended
# by desktop_stop.

desktop_pids=()
desktop_dirs=()

# Waits up to $1 seconds for the command after it to succeed.
wait_until() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

desktop_start() {
  local n
  for n in $(seq 57 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  desktop_pids+=($!)
  wait_until 30 xdpyinfo || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }
  desktop_log=$(mktemp)
  desktop_dirs+=("$desktop_log")
  openbox --sm-disable </dev/null >"$desktop_log" 2>&1 &
  desktop_pids+=($!)
  wait_until 30 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { echo "openbox did not start:" >&2; cat "$desktop_log" >&2; return 1; }
}

desktop_stop() {
  local i
  for ((i = ${#desktop_pids[@]} - 1; i >= 0; i--)); do
    kill "${desktop_pids[i]}" 2>/dev/null || true
    wait "${desktop_pids[i]}" 2>/dev/null || true
  done
  desktop_pids=()
  for i in "${desktop_dirs[@]}"; do rm -rf "$i"; done
  desktop_dirs=()
}

# Starts the program in a fresh copy of the delivered data; sets tovrin_pid, tovrin_dir and
# main_window (the main window's id) once the main window is on screen.
tovrin_start() {
  local binary=$1
  tovrin_dir=$(mktemp -d)
  desktop_dirs+=("$tovrin_dir")
  cp -R "$here/data/." "$tovrin_dir/"
  (cd "$tovrin_dir" && QT_QPA_PLATFORM=xcb QT_AUDIO_BACKEND=none ASAN_OPTIONS=detect_leaks=0 \
    exec "$binary" >"$tovrin_dir/out.txt" 2>&1) &
  tovrin_pid=$!
  desktop_pids+=("$tovrin_pid")
  main_window=$(window_of "Товрин — " 30) || { echo "the main window did not show" >&2; return 1; }
  # The start-up shake is over once the window stays where it is.
  wait_until 30 settled_place "$main_window" || { echo "the main window does not settle" >&2; return 1; }
}

# The id of the program's visible window whose title begins with $1 (xdotool's own pattern
# matching does not take Cyrillic titles reliably).
visible_titled() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$tovrin_pid" . 2>/dev/null); do
    case "$(xdotool getwindowname "$id" 2>/dev/null)" in
      "$1"*) echo "$id"; return 0 ;;
    esac
  done
  return 1
}

# The same, waiting up to $2 seconds for the window to show.
window_of() {
  local title=$1 seconds=${2:-10}
  local deadline=$((SECONDS + seconds))
  while [ "$SECONDS" -le "$deadline" ]; do
    visible_titled "$title" && return 0
    sleep 0.05
  done
  return 1
}

# Whether the program has a visible window whose title begins with $1.
shown() {
  visible_titled "$1" >/dev/null
}

# The main window's client area on screen, as "X Y" of its top-left corner.
client_place() {
  xwininfo -id "${1:-$main_window}" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}'
}

# A window's place stays what it is for half a second of the window system's reports.
settled_place() {
  local last now i
  last=$(client_place "$1")
  for i in $(seq 10); do
    sleep 0.05
    now=$(client_place "$1")
    [ "$now" = "$last" ] || return 1
  done
  echo "$now"
}

# Chooses an entry of the main window's menu with real input: a click on the menu bar opens
# the first menu, the arrow keys go to menu $1 (0 "Система", 1 "Настройки", 2 "Справка") and to
# its entry $2 (counted from 0, separators skipped), and, where $3 is given, to entry $3 of
# that entry's submenu; Enter takes it.
menu_choose() {
  local menu=$1 entry=$2 x y i
  read -r x y < <(client_place)
  # The keys queue behind the click, and the program takes them in order: the menu that the
  # click opens gets them.
  xdotool mousemove $((x + 15)) $((y + 10)) click 1
  # A menu opened by the click has no entry chosen yet; one reached by the arrow keys has its
  # first entry chosen.
  local downs=$((menu == 0 ? entry + 1 : entry))
  for ((i = 0; i < menu; i++)); do xdotool key Right; done
  for ((i = 0; i < downs; i++)); do xdotool key Down; done
  if [ $# -ge 3 ]; then
    xdotool key Right
    for ((i = 0; i < $3; i++)); do xdotool key Down; done
  fi
  xdotool key Return
}

# Stacking order of the managed windows, bottom first, as ids in decimal.
stacking() {
  xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*#//; s/,/ /g' | xargs -n1 printf '%d\n'
}

# Whether window $1 lies above window $2.
above() {
  local order
  order=$(stacking)
  local a b
  a=$(grep -nx "$1" <<<"$order" | cut -d: -f1)
  b=$(grep -nx "$2" <<<"$order" | cut -d: -f1)
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -gt "$b" ]
}
