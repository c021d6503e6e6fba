#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own. The order, from the
# bottom: kb (files, the knowledge file) <- engine (one dialogue turn) <- ui (look, full screen,
# about window, cues) <- input (the keyboard window) <- app (start-up, the main window);
# tools sit on the core, and bench on the core and the tools. The layout table (input/layout.*)
# belongs to the core.
set -euo pipefail
cd "$(dirname "$0")/.."

# The folders each folder may include from.
allowed_for() {
  case "$1" in
    kb) echo "kb" ;;
    engine) echo "kb engine" ;;
    input/layout) echo "kb input/layout" ;;
    ui) echo "kb engine input/layout ui" ;;
    input) echo "kb engine input/layout ui input" ;;
    app) echo "kb engine input/layout ui input app" ;;
    tools) echo "kb engine input/layout tools" ;;
    bench) echo "kb engine tools bench" ;;
  esac
}

# The layer of an included path such as "input/layout.h" or "ui/cues.h".
layer_of() {
  case "$1" in
    input/layout.*) echo "input/layout" ;;
    tovrin/*) echo "kb" ;; # the generated version header, made from kb/version.h.in
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
  esac
}

status=0
for file in kb/* engine/* input/* ui/* app/* tools/*.cpp tools/*.h bench/*; do
  case "$file" in *.cpp | *.h) ;; *) continue ;; esac
  [ -f "$file" ] || continue
  own=$(layer_of "$file")
  allowed=" $(allowed_for "$own") "
  while IFS= read -r included; do
    layer=$(layer_of "$included")
    [ -n "$layer" ] || continue
    if [[ "$allowed" != *" $layer "* ]]; then
      echo "$file includes \"$included\": $own may not depend on $layer" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done
[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
