#!/usr/bin/env bash
# The windows on a real desktop: the real program under Xvfb with a window manager (openbox),
# driven with real input (xdotool), checked against what the window system reports.
#   tests/desktop/desktop_tests.sh [BUILD_DIR]     (the build folder that holds tovrin)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build-test}" && pwd)
source "$here/tests/desktop/desktop_session.sh"
trap desktop_stop EXIT

desktop_start
# Every copy started from here on plays its cues into the desktop's own null sink.
sound_start
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
  # The keyboard stays with it too, also after a click into the main window's transcript.
  xdotool mousemove $((mx + 300)) $((my + 150)) click 1
  if wait_until 5 sh -c "[ \$(xdotool getactivewindow) = $id ]"; then
    pass "$name: keeps the keyboard after clicks on the main window"
  else
    fail "$name: the keyboard went to window $(xdotool getactivewindow) after a click on the main window"
  fi
  if [ "$name" = "Редактор" ]; then
    # Escape reaches it and leaves it as "Отмена" does.
    xdotool key Escape
    wait_until 20 hidden "$name" && pass "$name: Escape after the clicks closes it" || fail "$name: Escape after a click on the main window went nowhere"
  elif [ "$how" = hides ]; then
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

# ---- 4. The start-up shake keeps the window's edges in 95..105 like every later one, as the
# window manager reports the frame's place.
xev -root -event substructure >"$desktop_log.frames" 2>/dev/null &
xev_pid=$!
desktop_pids+=("$xev_pid")
sleep 0.3
tovrin_start "$build/tovrin"
frame=$(xwininfo -children -id "$main_window" | awk '/Parent window id/ {print $4}')
# The places of the frame that lie near the corner, reported from line $1 of the record on (the
# window manager makes the frame at 0,0 before it places it).
corner_places() {
  tail -n +"$1" "$desktop_log.frames" | grep -A1 'ConfigureNotify' | grep "window $frame," |
    grep -o '([-0-9]*,[-0-9]*)' | tr -d '()' | tr ',' ' ' | awk '$1 < 200 && $2 < 200 && ($1 != 0 || $2 != 0)'
}
shake_edges() {
  local places=$1 what=$2 count outside
  count=$(grep -c . <<<"$places" || true)
  outside=$(awk '$1 < 95 || $1 > 105 || $2 < 95 || $2 > 105' <<<"$places" | head -1)
  [ "$count" -ge 10 ] && [ -z "$outside" ] && pass "$what: $count places of the frame, all in 95..105" ||
    fail "$what: $count places of the frame near the corner${outside:+, one at $outside}"
}
shake_edges "$(corner_places 1)" "the start-up shake"
mark=$(($(wc -l <"$desktop_log.frames") + 1))
menu_choose 0 0 # "Новый диалог": shakes
wait_until 20 settled_place "$main_window"
shake_edges "$(corner_places "$mark")" "a later shake"
kill "$xev_pid" 2>/dev/null || true

# ---- 5. Ctrl+Z with an empty transcript does nothing: the phrase sent last does not come back
# into the input line (ENTER would send it again; the exit's log block would show it).
xdotool type --delay 30 "ghbdtn"
xdotool key Return
sleep 0.5
menu_choose 0 0 # "Новый диалог": the transcript and the dialogue log are empty again
wait_until 20 settled_place "$main_window"
log_before=$(stat -c %s "$tovrin_dir/Base/Log.Tovrin")
xdotool key ctrl+z
sleep 0.3
xdotool key Return
sleep 0.3
menu_choose 0 3 # "Выход"
if wait_until 30 sh -c "! kill -0 $tovrin_pid"; then
  if tail -c +"$((log_before + 1))" "$tovrin_dir/Base/Log.Tovrin" | grep -qa 'USER:'; then
    fail "Ctrl+Z on an empty transcript brought the last phrase back"
  else
    pass "Ctrl+Z on an empty transcript does nothing"
  fi
else
  fail "\"Выход\" does not end the program"
fi

# ---- 6. A farewell can be stopped: a further turn while the window shrinks keeps the program.
tovrin_start "$build/tovrin"
read -r w0 h0 < <(xwininfo -id "$main_window" | awk '/Width:/ {w = $NF} /Height:/ {h = $NF} END {print w, h}')
xdotool type --delay 20 "lj cdblfybz"
xdotool key ctrl+s Return
# The further turn comes once the shrink has begun, however long the farewell's own turn took.
narrower() { [ "$(xwininfo -id "$main_window" 2>/dev/null | awk '/Width:/ {print $NF}')" -lt "$w0" ]; }
wait_until 10 narrower || fail "the farewell did not start the shrink"
xdotool type --delay 20 "rfr ltkf" # "как дела": a main phrase without the farewell mark
xdotool key ctrl+s Return
sleep 2
read -r w1 h1 < <(xwininfo -id "$main_window" 2>/dev/null | awk '/Width:/ {w = $NF} /Height:/ {h = $NF} END {print w, h}')
alive && [ "${w1:-$w0}" -lt "$w0" ] && pass "a turn during the shrink stopped it (${w0}x$h0 -> ${w1}x$h1)" ||
  fail "the shrink was not stopped by a further turn"
kill "$tovrin_pid" 2>/dev/null || true
wait "$tovrin_pid" 2>/dev/null || true

# ---- 7. Every cue asked for is heard whole, found in a recording of the null sink: the
# start-up shake, typing, E/R, a reply, the shake after an undo, and a farewell whose shrink
# lasts over a second with its close cue to the end.
recording="$desktop_log.cues.raw"
sound_record_start "$recording"
tovrin_start "$build/tovrin"
for key in g h b d t n; do
  xdotool type "$key"
  sleep 0.3
done
for i in 1 2 3; do
  xdotool key ctrl+s # converts once; then there is nothing to convert
  sleep 0.5
done
xdotool key Return
sleep 2.5
xdotool key ctrl+z # undoes the reply: a shake
sleep 1.5
xdotool type --delay 20 "lj cdblfybz"
sleep 0.3
xdotool key ctrl+s
sleep 0.3
farewell=$(date +%s%N)
xdotool key Return
if wait_until 60 sh -c "! kill -0 $tovrin_pid"; then
  shrink_ms=$((($(date +%s%N) - farewell) / 1000000))
  [ "$shrink_ms" -ge 1000 ] && pass "the farewell's shrink lasted $shrink_ms ms" || fail "the farewell's shrink lasted only $shrink_ms ms"
else
  fail "the farewell did not end the program"
fi
sleep 1.5 # the recorder gives its last samples late
sound_record_stop
"$build/tests/tovrin-cue-finder" "$recording" "$tovrin_dir"/Sound/*.wav | sed 's|.*/||' | sort -k2 -n >"$desktop_log.cues"
# Cues found whole (a share of about 1 of their sound), in time order, by file.
# (Cues that sound together add a little to each other's share; a cue that merely resembles
# a stretch of another one comes out well below 0.9.)
whole() { awk -v f="$1.wav" '$1 == f && $3 >= 0.9 && $3 <= 1.3' "$desktop_log.cues"; }
shake_at=$(whole Button1 | awk 'NR == 2 {print $2}')
heard() { # $1 file, $2 from, $3 to (seconds of the recording)
  whole "$1" | awk -v a="$2" -v b="$3" '$2 >= a && $2 < b' | wc -l
}
if [ -z "$shake_at" ]; then
  fail "the cues: the two shakes' cue was not heard twice whole"
  cat "$desktop_log.cues"
else
  before=(0 "$shake_at")
  after=("$shake_at" 1000)
  expect() { # $1 what, $2 file, $3 least, $4 most, $5 from, $6 to
    local n
    n=$(heard "$2" "$5" "$6")
    [ "$n" -ge "$3" ] && [ "$n" -le "$4" ] && pass "the cues: $1 heard whole $n times" ||
      { fail "the cues: $1 heard whole $n times, not $3..$4"; cat "$desktop_log.cues"; }
  }
  expect "the start-up shake and the undo's shake (Button1)" Button1 2 2 0 1000
  # The line is cleared in the same instant as the phrase's and the reply's cues start: mixed
  # with them, the clearing's cue can measure below a whole one (0.85 seen), so it may not count.
  expect "six letters, one conversion, the line cleared (KeyBoard)" KeyBoard 7 8 "${before[@]}"
  expect "three E/R (Button2)" Button2 3 3 "${before[@]}"
  expect "a phrase sent (Button3)" Button3 1 1 "${before[@]}"
  expect "the reply, perhaps a remark (CpuSound)" CpuSound 1 3 "${before[@]}"
  expect "the farewell typed, converted, cleared (KeyBoard)" KeyBoard 2 10 "${after[@]}"
  expect "the farewell's E/R (Button2)" Button2 1 1 "${after[@]}"
  expect "the farewell sent (Button3)" Button3 1 1 "${after[@]}"
  expect "the farewell said (CpuSound)" CpuSound 1 2 "${after[@]}"
  expect "the shrink's close cue, to the end (Close)" Close 2 8 "${after[@]}"
fi

echo "desktop: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
