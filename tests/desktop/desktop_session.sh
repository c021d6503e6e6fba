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

# Starts Xvfb and openbox, and tries once more after a failed first start: now and then openbox
# cannot open a display that Xvfb has just announced and answered on.
desktop_start() {
  desktop_try && return 0
  echo "a second try at the desktop" >&2
  desktop_stop
  desktop_try
}

desktop_try() {
  # Xvfb chooses a free display itself and says which: a display chosen here beforehand could be
  # taken by another server between the choice and the start, one of a neighbouring container
  # among them, whose lock files this machine does not see.
  local display_file server_log
  display_file=$(mktemp)
  server_log=$(mktemp)
  desktop_dirs+=("$display_file" "$server_log")
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >"$server_log" 2>&1 &
  local server=$!
  desktop_pids+=("$server")
  wait_until 30 grep -q '[0-9]' "$display_file" ||
    { echo "Xvfb did not start:" >&2; cat "$server_log" >&2; return 1; }
  export DISPLAY=":$(tr -dc 0-9 <"$display_file")"
  wait_until 30 xdpyinfo || { echo "Xvfb did not answer on $DISPLAY" >&2; return 1; }
  kill -0 "$server" 2>/dev/null || { echo "Xvfb ended:" >&2; cat "$server_log" >&2; return 1; }
  desktop_log=$(mktemp)
  desktop_dirs+=("$desktop_log")
  openbox --sm-disable </dev/null >"$desktop_log" 2>&1 &
  desktop_pids+=($!)
  wait_until 30 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { echo "openbox did not start:" >&2; cat "$desktop_log" >&2; return 1; }
}

# A sound server of the desktop's own, whose only output is a null sink at the cues' rate
# (22050 Hz, one channel, 16 bits), so that what the program plays passes through unchanged
# and can be recorded from the sink's monitor. The programs started afterwards use it.
sound_start() {
  sound_dir=$(mktemp -d)
  desktop_dirs+=("$sound_dir")
  export XDG_RUNTIME_DIR="$sound_dir" PULSE_RUNTIME_PATH="$sound_dir/pulse"
  # The server's own format is the cues' too, so that nothing is converted on the way.
  mkdir -p "$sound_dir/.config/pulse"
  printf '%s\n' "default-sample-format = s16le" "default-sample-rate = 22050" "alternate-sample-rate = 22050" \
    "default-sample-channels = 1" "avoid-resampling = yes" >"$sound_dir/.config/pulse/daemon.conf"
  HOME="$sound_dir" pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no \
    --load="module-null-sink sink_name=cues rate=22050 channels=1 format=s16le norewinds=1" \
    --load=module-native-protocol-unix >"$sound_dir/server.txt" 2>&1 &
  desktop_pids+=($!)
  wait_until 30 pactl info || { echo "the sound server did not start:" >&2; cat "$sound_dir/server.txt" >&2; return 1; }
  pactl set-default-sink cues
  # A null sink with nothing to play renders nothing, and its recording would leave out the
  # silences between the cues: a stream of silence keeps it running.
  pacat --playback --raw --format=s16le --rate=22050 --channels=1 --latency-msec=20 </dev/zero &
  desktop_pids+=($!)
}

# Records what the null sink plays into file $1 (raw samples at the cues' rate) until
# sound_record_stop.
sound_record_start() {
  parec -d cues.monitor --format=s16le --rate=22050 --channels=1 --raw --latency-msec=10 >"$1" &
  sound_record_pid=$!
  desktop_pids+=("$sound_record_pid")
  # The recorder's first samples come a while after it has started.
  wait_until 10 sh -c "[ \$(stat -c %s '$1') -gt 2205 ]"
}

sound_record_stop() {
  # Interrupted, the recorder writes out what it holds before it ends.
  kill -INT "$sound_record_pid" 2>/dev/null || true
  wait "$sound_record_pid" 2>/dev/null || true
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
  (cd "$tovrin_dir" && QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
    exec "$binary" >"$tovrin_dir/out.txt" 2>&1) &
  tovrin_pid=$!
  desktop_pids+=("$tovrin_pid")
  main_window=$(window_of "Товрин — " 30) || { echo "the main window did not show" >&2; return 1; }
  # The start-up shake waits for the window manager's frame, and is over once the window stays
  # where it is.
  wait_until 30 sh -c "xprop -id $main_window _NET_FRAME_EXTENTS | grep -q ="
  sleep 0.1
  wait_until 30 settled_place "$main_window" || { echo "the main window does not settle" >&2; return 1; }
  # And the program has done what it does at start (a sanitized build reads its knowledge
  # slowly): typing into it before then would meet a line that takes no input yet.
  wait_until 30 idle || { echo "the program does not come to rest" >&2; return 1; }
}

# The program's CPU time (user and system, in ticks) stands still for half a second.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$tovrin_pid/stat"; }
idle() {
  local before
  before=$(cpu_ticks) || return 1
  sleep 0.5
  [ "$(cpu_ticks)" = "$before" ]
}

# The id of the program's visible window whose title begins with $1 (xdotool's own pattern
# matching does not take Cyrillic titles reliably).
visible_titled() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$tovrin_pid" . 2>/dev/null); do
    # The search may also give other programs' windows: each is asked for its own process.
    [ "$(xdotool getwindowpid "$id" 2>/dev/null)" = "$tovrin_pid" ] || continue
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

# ---- what the checks share

passed=0
failed=0
fail() {
  echo "FAIL $*"
  failed=$((failed + 1))
}
pass() {
  echo "ok   $*"
  passed=$((passed + 1))
}

alive() { kill -0 "$tovrin_pid" 2>/dev/null; }
# The window manager's close command, as a person gives it: a click on the window's title bar,
# then Alt+F4.
wm_close() {
  local x y
  read -r x y < <(client_place "$1")
  xdotool mousemove $((x + 40)) $((y - 10)) click 1 key alt+F4
}
hidden() { ! shown "$1"; }
# The program's error message box, titled with the program's name alone.
message_box() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$tovrin_pid" . 2>/dev/null); do
    [ "$(xdotool getwindowpid "$id" 2>/dev/null)" = "$tovrin_pid" ] || continue
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "Товрин" ] && return 0
  done
  return 1
}

# Writes a phrase, in the program's code page, where the exchange file is looked for.
write_exchange() {
  printf '%s\r\n' "$2" | iconv -f utf-8 -t cp1251 >"$1"
}

# Opens the editor, types path $1 into its path field (selecting what was there), picks the
# timer reading when $2 is "timer", and leaves with Enter ("Хорошо").
edit_exchange_path() {
  menu_choose 1 8 # "Редактор"
  local editor ex ey
  editor=$(window_of "Редактор" 20) || { fail "the editor does not open"; return 1; }
  read -r ex ey < <(client_place "$editor")
  xdotool mousemove $((ex + 100)) $((ey + 42)) click 1 key ctrl+a
  xdotool type --delay 40 "$1"
  message_box && fail "a message box took the keyboard from the editor"
  [ "${2:-}" = timer ] && xdotool mousemove $((ex + 34)) $((ey + 117)) click 1 # "По таймеру  каждые:"
  xdotool key Return
  wait_until 20 hidden "Редактор" || { fail "the editor does not close on Enter"; return 1; }
}
