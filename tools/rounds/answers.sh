#!/bin/bash
# Runs a readers' round: answers.sh ROUND_DIR
# The round's phrases.tsv, not-farewells.tsv and farewells.tsv go through `tovrin-kb explain
# --batch` on a fresh copy of the delivered data; writes answers*.tsv, the ordinary sentences
# that close and the farewells that do not, and pairs.tsv, the pairs the readers judge.
# TOVRIN_KB names the tovrin-kb to use (else the newest build*/tovrin-kb of the tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
D=$1
K=${TOVRIN_KB:-$(ls -t "$root"/build*/tovrin-kb | head -1)}
W=$(mktemp -d); trap 'rm -rf "$W"' EXIT
cp -r "$root/data" "$W/data"
"$K" -C "$W/data" explain --batch "$D/phrases.tsv" > "$D/answers.tsv"
"$K" -C "$W/data" explain --batch "$D/not-farewells.tsv" > "$D/answers-not-farewells.tsv"
"$K" -C "$W/data" explain --batch "$D/farewells.tsv" > "$D/answers-farewells.tsv"
awk -F'\t' 'NR>1 && $5!="no"{print $1}' "$D/answers-not-farewells.tsv" > "$D/not-farewells-that-close.txt"
awk -F'\t' 'NR>1 && $5=="no"{print $1}' "$D/answers-farewells.tsv" > "$D/farewells-that-do-not-close.txt"
# A reply that entries with different branches carry gives no thread: name the entry that said
# it (explain --after-line) and judge that phrase's replies from there.
if grep -q $'\tno thread\t' "$D/answers.tsv"; then
  echo "no thread for these (the reply before them is shared): run them with --after-line:"
  awk -F'\t' '$3=="no thread"{print "  " $1}' "$D/answers.tsv"
fi
python3 "$(dirname "$0")/pairs.py" "$D/answers.tsv" "$W/data" "$D/pairs.tsv" "${SEED:-1}"
echo "pairs: $(($(wc -l < "$D/pairs.tsv") - 1))"
echo "ordinary sentences that close: $(grep -c . "$D/not-farewells-that-close.txt" || true) of $(grep -c . "$D/not-farewells.tsv")"
echo "farewells that do not close: $(grep -c . "$D/farewells-that-do-not-close.txt" || true) of $(grep -c . "$D/farewells.tsv")"
