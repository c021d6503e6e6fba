#!/bin/sh
# The README's examples as the programs print them today, and its install command naming the
# package that the package build makes. Each "    $ tovrin-kb -C ~/.local/share/tovrin ARGS"
# block is run on the delivered data (a working folder the program has not learnt in yet) and
# its lines, up to a line "…", must be the first lines of the output.
#   readme_test.sh SOURCE_DIR TOVRIN_KB VERSION
set -eu
source=$1 kb=$2 version=$3
readme="$source/README.md"
status=0
blocks=$(mktemp -d)
trap 'rm -rf "$blocks"' EXIT

awk -v dir="$blocks" '
  /^    \$ tovrin-kb -C ~\/.local\/share\/tovrin / { n++; file = dir "/" n; sub(/^    \$ tovrin-kb -C ~\/.local\/share\/tovrin /, ""); print > (file ".args"); taking = 1; next }
  taking && /^    / && !/^    \$ / && $0 != "    …" { sub(/^    /, ""); print > (file ".expected"); next }
  { taking = 0 }
' "$readme"

count=0
for args in "$blocks"/*.args; do
  [ -e "$args" ] || { echo "README: no tovrin-kb example"; exit 1; }
  count=$((count + 1))
  expected="${args%.args}.expected"
  # shellcheck disable=SC2046
  "$kb" -C "$source/data" $(cat "$args") >"${args%.args}.out" 2>&1 || true
  lines=$(wc -l <"$expected")
  if ! head -n "$lines" "${args%.args}.out" | cmp -s - "$expected"; then
    echo "README: tovrin-kb $(cat "$args") prints otherwise:"
    diff "$expected" "${args%.args}.out" | head -20
    status=1
  fi
done
echo "README: $count tovrin-kb examples checked"

deb="tovrin_${version}-1_$(dpkg --print-architecture 2>/dev/null || echo amd64).deb"
if ! grep -q "^    apt install ./build-deb/$deb\$" "$readme"; then
  echo "README: the install command does not name build-deb/$deb"
  status=1
fi
grep -q '^build=build-deb$' "$source/packaging/package-proof.sh" || { echo "the package build is not in build-deb/"; status=1; }
exit $status
