#!/usr/bin/env bash
# Two copies of the program talking to each other through one exchange file, each in Cpu\Cpu
# mode with timer reading, for two minutes on a desktop of their own (Xvfb and openbox): neither
# closes nor shows a message, and at the exit both write their dialogue logs.
#   tests/desktop/conversation.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build-test}" && pwd)
seconds=${2:-120}
source "$here/tests/desktop/desktop_session.sh"
trap desktop_stop EXIT

desktop_start
exchange_dir=$(mktemp -d)
desktop_dirs+=("$exchange_dir")
exchange="$exchange_dir/exchange.dat"
write_exchange "$exchange" "привет"

# Each copy in a folder of its own, side by side on the screen, reading the one exchange file
# every second.
pids=()
dirs=()
windows=()
for left in 20 660; do
  tovrin_start "$build/tovrin"
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
[ -z "$trouble" ] && pass "two copies talked for $seconds s: none closed, no message" || fail "$trouble after $((SECONDS - deadline + seconds)) s"

# Each leaves by "Выход", which writes its dialogue log: many turns, by both speakers.
for i in 0 1; do
  tovrin_pid=${pids[i]}
  main_window=${windows[i]}
  alive || continue
  menu_choose 1 7 0 # "Режим" > "Cpu\User": no more turns meanwhile
  sleep 0.3
  menu_choose 0 3 # "Выход"
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
