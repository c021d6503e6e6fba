#!/usr/bin/env bash
# Runs the whole test suite at several hours of the day, in the "C" locale and in a far time
# zone, to show that no test depends on the wall clock, the date, the zone or the locale.
# Slow (the suite runs six times), so ./test.sh does not call it. Builds as ./test.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tovrin_install_deps faketime

cmake -S . -B build-test -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DTOVRIN_WERROR=ON -DTOVRIN_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)" >/dev/null

export QT_QPA_PLATFORM=offscreen
# libfaketime is preloaded ahead of the sanitizer's runtime; the order does not matter here.
export ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0
export UBSAN_OPTIONS=print_stacktrace=1
# Only the wall clock is moved: timeouts measured on the monotonic clock stay real.
export FAKETIME_DONT_FAKE_MONOTONIC=1
# File times are left as they are: a test that ages a file does so from the faked clock.
export NO_FAKE_STAT=1

fakelib="/usr/lib/$(gcc -dumpmachine)/faketime/libfaketime.so.1"
logs="$(mktemp -d)"
today="$(date +%F)"
failed=0

# One run of the suite: a label, then the environment's words and the command's prefix.
run() {
  local label="$1"
  shift
  local log="$logs/${label//[^A-Za-z0-9_]/_}.log"
  local start=$SECONDS
  if env "$@" ctest --test-dir build-test --output-on-failure -j"$(nproc)" >"$log" 2>&1; then
    printf '%-28s passed  %s  (%d s)\n' "$label" "$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log")" $((SECONDS - start))
  else
    printf '%-28s FAILED  %s  (%d s), see %s\n' "$label" "$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log")" $((SECONDS - start)) "$log"
    failed=1
  fi
}

for hour in 00:30:00 09:59:00 12:00:00 23:59:58; do
  run "at $hour" FAKETIME="@$today $hour" LD_PRELOAD="$fakelib"
done
run "LANG=C" LANG=C LC_ALL=C
run "TZ=Asia/Vladivostok" TZ=Asia/Vladivostok

exit "$failed"
