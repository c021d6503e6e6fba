#!/usr/bin/env bash
# The windows on a real desktop: the real program under Xvfb with a window manager (openbox),
# driven with real input (xdotool), checked against what the window system reports.
#   tests/desktop/desktop_tests.sh [BUILD_DIR]     (the build folder that holds tovrin)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build-test}" && pwd)
source "$here/tests/desktop/desktop_session.sh"
trap desktop_stop EXIT

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
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "Товрин" ] && return 0
  done
  return 1
}

# Writes a phrase, in the program's code page, where the exchange file is looked for.
write_exchange() {
  printf '%s\r\n' "$2" | iconv -f utf-8 -t cp1251 >"$1"
}

desktop_start
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')

# ---- 1. Each secondary window: above the main window while open, even after a click on the
# main window's title bar; the window manager's close neither ends the program nor leaves the
# main window disabled; the main window cannot be closed while one is open.
tovrin_start "$build/tovrin"
log_before=$(stat -c %s "$tovrin_dir/Base/Log.Tovrin")
read -r mx my < <(client_place)
for row in "0|1|Виртуальная клавиатура|hides" "1|8|Редактор|hides" "2|0|О программе|stays"; do
  IFS='|' read -r menu entry name how <<<"$row"
  menu_choose "$menu" "$entry"
  if ! id=$(window_of "$name" 20); then
    fail "$name: does not open"
    continue
  fi
  [ "$(xprop -id "$id" WM_TRANSIENT_FOR | sed 's/.*# //')" = "$(printf '0x%x' "$main_window")" ] ||
    fail "$name: not kept above the main window by the window manager"
  # No close box asked for: the functions in the Motif hints leave out closing.
  functions=$(xprop -id "$id" _MOTIF_WM_HINTS | awk -F'[=,] *' '{print $3}')
  [ $((functions & 0x21)) -eq 0 ] || fail "$name: the window manager is offered a close box ($functions)"
  xdotool mousemove $((mx + 150)) $((my - 10)) click 1
  sleep 0.3
  if above "$id" "$main_window"; then pass "$name: stays above the clicked main window"; else fail "$name: buried by a click on the main window"; fi
  if [ "$how" = hides ]; then
    wm_close "$id"
    wait_until 20 hidden "$name" && pass "$name: the window manager's close hides it" || fail "$name: still shown after the window manager's close"
  else
    # Neither it nor the main window's close box is a way out while it is open.
    wm_close "$main_window"
    sleep 0.5
    wm_close "$id"
    sleep 0.5
    shown "$name" && alive && pass "$name: the window manager's close leaves it and the main window open" ||
      fail "$name: closed behind its buttons' back"
    read -r ax ay < <(client_place "$id")
    xdotool mousemove $((ax + 278)) $((ay + 133)) click 1 # "Закрыть"
    wait_until 20 hidden "$name" || fail "$name: \"Закрыть\" does not close it"
  fi
  alive && pass "$name: the program goes on" || { fail "$name: the program ended"; break; }
done
if alive; then
  menu_choose 0 3 # "Выход": only an enabled main window takes it
  if wait_until 30 sh -c "! kill -0 $tovrin_pid" && wait "$tovrin_pid"; then
    [ "$(stat -c %s "$tovrin_dir/Base/Log.Tovrin")" -gt "$log_before" ] &&
      pass "the exit after the secondary windows writes the dialogue log" || fail "the dialogue log was not written"
  else
    fail "\"Выход\" does not end the program"
  fi
fi

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

# ---- 2. Cpu\Cpu mode: a new exchange path typed into the editor goes into the field whole,
# though the poll (every millisecond in ENTER reading) fails on every half-typed path; no
# message takes the keyboard from the editor meanwhile.
tovrin_start "$build/tovrin"
write_exchange "$tovrin_dir/first.dat" "привет"
write_exchange "$tovrin_dir/exchange.dat" "как дела"
exchange_before=$(md5sum <"$tovrin_dir/exchange.dat")
edit_exchange_path "$tovrin_dir/first.dat"
menu_choose 1 7 1 # "Режим" > "Cpu\Cpu": the poll reads first.dat
sleep 0.5
message_box && fail "the poll of an existing file failed"
if edit_exchange_path "$tovrin_dir/exchange.dat" timer; then
  pass "no message while the path is typed"
  # Timer reading takes a turn on the file at the next tick and writes the reply into it.
  if wait_until 30 sh -c "[ \"\$(md5sum <'$tovrin_dir/exchange.dat')\" != '$exchange_before' ]"; then
    pass "the whole typed path was taken: the reply went into the new exchange file"
  else
    fail "no reply in the typed exchange file (the path was cut short?)"
  fi
fi
kill "$tovrin_pid" 2>/dev/null || true
wait "$tovrin_pid" 2>/dev/null || true

# ---- 3. The place: the client area centred at the first showing and again after a shake; the
# shrink-and-close drifts 3 px left and 2 px up per step, as the window system reports it.
tovrin_start "$build/tovrin"
read -r w h < <(xwininfo -id "$main_window" | awk '/Width:/ {w = $NF} /Height:/ {h = $NF} END {print w, h}')
first=$(client_place)
read -r fx fy <<<"$first"
# Centred within a pixel's rounding.
[ $((2 * fx + w - screen_w)) -ge -2 ] && [ $((2 * fx + w - screen_w)) -le 2 ] &&
  [ $((2 * fy + h - screen_h)) -ge -2 ] && [ $((2 * fy + h - screen_h)) -le 2 ] &&
  pass "the client area centred at the first showing" || fail "first showing at $first, not centred"
menu_choose 0 0 # "Новый диалог": shakes
sleep 0.5
if wait_until 20 settled_place "$main_window" && place=$(client_place) && [ "$place" = "$first" ]; then
  pass "back in the same place after a shake"
else
  fail "after a shake at $(client_place) rather than $first"
fi

start_place=$(client_place)
xev -id "$main_window" -event structure >"$tovrin_dir/track.txt" 2>/dev/null &
xev_pid=$!
desktop_pids+=("$xev_pid")
# "до свидания" typed on the Latin layout and corrected with Ctrl+S, then ENTER: a farewell.
xdotool type --delay 20 "lj cdblfybz"
xdotool key ctrl+s Return
if wait_until 60 sh -c "! kill -0 $tovrin_pid"; then
  kill "$xev_pid" 2>/dev/null || true
  # The window manager's reports of the window's place on the screen. Each must lie on the
  # path, k steps of 3 px left and 2 px up from the start; the window closes at the 80th step,
  # perhaps before the report of the 79th move arrives, so the last seen may fall a little short.
  read -r sx sy <<<"$start_place"
  steps=0
  off_path=""
  while read -r x y; do
    k=$(((sx - x) / 3))
    if [ $((sx - x)) -ne $((3 * k)) ] || [ $((sy - y)) -ne $((2 * k)) ]; then
      off_path="$x,$y"
    elif [ "$k" -gt "$steps" ]; then
      steps=$k
    fi
  done < <(grep -A1 'ConfigureNotify.*synthetic YES' "$tovrin_dir/track.txt" | grep -o '([-0-9]*,[-0-9]*)' | tr -d '()' | tr ',' ' ')
  echo "     shrink: from $sx,$sy, $steps steps of 3 px left and 2 px up reported${off_path:+, off the path at $off_path}"
  [ -z "$off_path" ] && [ "$steps" -ge 75 ] && [ "$steps" -le 79 ] &&
    pass "the shrink drifted 3 px left and 2 px up at every step" || fail "the shrink did not follow its path"
else
  fail "the farewell did not end the program"
fi

echo "desktop: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
