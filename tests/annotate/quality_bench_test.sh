#!/bin/sh
# bench/quality.sh as a user runs it, on the demo: GO enrichment of species 0 and 2 from the samples
# of tests/data/annotate (standing in for the converted annotations), the planted complexes as the
# reference, two settings side by side; and its refusal of a bad input before any run.
# Usage: quality_bench_test.sh REPO BINDIR
set -u
repo=$1
bindir=$2
data=$repo/tests/data/annotate
fail() {
  echo "FAIL: $*"
  exit 1
}
if ! /usr/bin/time -v true >/dev/null 2>&1 || ! command -v perl >/dev/null; then
  echo "SKIP: GNU time and perl are needed"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/ann"
cp "$data/demo_go.obo" "$dir/ann/go.obo"
cp "$data/demo_go_0.gaf" "$dir/ann/demo_0.gaf"
gunzip -c "$data/demo_go_2.gaf.gz" >"$dir/ann/demo_2.gaf"

"$repo/bench/quality.sh" --input "$repo/examples/demo" --bin "$bindir/trellis2" --taxa 1,0,1 \
  --annotations "$dir/ann" --controls 10 --options "" --options "-DUP: 15" --scratch "$dir/s" \
  >"$dir/out" 2>"$dir/err" || fail "quality.sh failed: $(cat "$dir/err")"
for s in 0 1 2; do grep -q "^== demo, species $s" "$dir/out" || fail "no block of species $s: $(cat "$dir/out")"; done
[ "$(grep -c '^defaults ' "$dir/out")" -eq 6 ] || fail "not two tables per species: $(cat "$dir/out")"
[ "$(grep -c '^-DUP: 15 ' "$dir/out")" -eq 6 ] || fail "the second setting is missing: $(cat "$dir/out")"
grep -q 'demo-q-defaults: annotated' "$dir/err" || fail "no annotation: $(cat "$dir/err")"
# Species 0: the planted complexes are coherent far more often than their controls and recovered
# far better; species 1 has no annotations, so no fractions.
awk -F'\t' 'NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
  $col["setting"] == "defaults" && $col["species"] == 0 {
    if (!($col["coherent_fraction"] > $col["control_coherent_fraction"] + 0.3)) exit 1
    if (!($col["MMR"] > $col["control_MMR"] + 0.3) || $col["controls"] != 10) exit 1
    if ($col["at_cap"] != 0 || $col["connected_parts"] == "") exit 1
    found = 1 }
  $col["species"] == 1 && $col["coherent_fraction"] != "" { exit 1 }
  END { exit !found }' "$dir/s/quality-demo.tsv" || fail "figures: $(cat "$dir/s/quality-demo.tsv")"

"$repo/bench/quality.sh" --input "$repo/examples/demo" --bin "$bindir/trellis2" --taxa 1,0 \
  --annotations "$dir/ann" --scratch "$dir/t" >"$dir/out" 2>"$dir/err" && fail "two taxa for three species accepted"
grep -q 'lists 2 taxa, demo has 3 species' "$dir/err" || fail "no message for the taxa: $(cat "$dir/err")"
grep -q running "$dir/err" && fail "ran before checking the taxa"
echo ok
