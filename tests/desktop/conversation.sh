#!/usr/bin/env bash
# Two copies of the program talking to each other through one exchange file, each in Cpu\Cpu
# mode with timer reading, for a minute on a desktop of their own (Xvfb and openbox): neither
# closes nor shows a message, and at the exit both write their dialogue logs. The knowledge is
# the delivered one without its farewell marks (below).
#   tests/desktop/conversation.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build-test}" && pwd)
seconds=${2:-60}
source "$here/tests/desktop/desktop_session.sh"
trap desktop_stop EXIT

desktop_start
exchange_dir=$(mktemp -d)
desktop_dirs+=("$exchange_dir")
exchange="$exchange_dir/exchange.dat"
write_exchange "$exchange" "привет"

# Each copy in a folder of its own, side by side on the screen, reading the one exchange file
# every second. Their knowledge is the delivered one without its farewell marks: in the
# delivered one some replies still lead the other copy to a farewell ("Хорошего дня" answered
# by "До встречи!"), and the two would end each other within a minute. What is checked here is
# the talk through the file, not the knowledge's farewells.
pids=()
dirs=()
windows=()
for left in 20 660; do
  tovrin_start "$build/tovrin"
  sed -i 's/@\r$/\r/' "$tovrin_dir/Base/Words.Dat" # read afresh by every turn
  ! grep -q $'@\r$' "$tovrin_dir/Base/Words.Dat" || fail "farewell marks left in the knowledge"
  xdotool windowmove "$main_window" "$left" 300
  wait_until 20 settled_place "$main_window"
  edit_exchange_path "$exchange" timer # the period opens at 1, in seconds
  menu_choose 1 7 1                    # "Режим" > "Cpu\Cpu"
  pids+=("$tovrin_pid")
  dirs+=("$tovrin_dir")
  windows+=("$main_window")
done
logs_before=()
for dir in "${dirs[@]}"; do logs_before+=("$(stat -c %s "$dir/Base/Log.Tovrin")"); done

deadline=$((SECONDS + seconds))
trouble=""
while [ "$SECONDS" -lt "$deadline" ] && [ -z "$trouble" ]; do
  sleep 2
  for i in 0 1; do
    tovrin_pid=${pids[i]}
    alive || trouble="copy $((i + 1)) ended"
    message_box && trouble="copy $((i + 1)) shows a message"
  done
done
if [ -z "$trouble" ]; then
  pass "two copies talked for $seconds s: none closed, no message"
else
  fail "$trouble after $((SECONDS - deadline + seconds)) s"
  # What each said last, and what each printed.
  for i in 0 1; do
    echo "---- copy $((i + 1)): the end of its log, its output"
    tail -n 6 "${dirs[i]}/Base/Log.Tovrin" | iconv -f cp1251 -t utf-8
    tail -n 5 "${dirs[i]}/out.txt"
  done
fi

# Each leaves by "Выход", which writes its dialogue log: many turns, by both speakers.
for i in 0 1; do
  tovrin_pid=${pids[i]}
  main_window=${windows[i]}
  alive || continue
  menu_choose 1 7 0 # "Режим" > "Cpu\User": no more turns meanwhile
  sleep 0.3
  menu_choose 0 3 # "Выход"
  # A copy busy with a turn on a loaded machine can miss the menu's keys: ask once more.
  if ! wait_until 30 sh -c "! kill -0 $tovrin_pid"; then
    echo "     copy $((i + 1)) still runs 30 s after \"Выход\": choosing it again"
    xdotool key Escape Escape # a menu the first try left open
    sleep 0.3
    menu_choose 0 3
  fi
  if wait_until 30 sh -c "! kill -0 $tovrin_pid"; then
    turns=$(tail -c +"$((logs_before[i] + 1))" "${dirs[i]}/Base/Log.Tovrin" | grep -ac 'CPU:' || true)
    [ "$turns" -ge 20 ] && pass "copy $((i + 1)) wrote its dialogue log: $turns lines of its own" ||
      fail "copy $((i + 1)) logged only $turns lines of its own"
  else
    fail "copy $((i + 1)) does not end on \"Выход\""
  fi
done

echo "conversation: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
