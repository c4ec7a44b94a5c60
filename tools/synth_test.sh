#!/bin/sh
# Checks the generator: equal seeds give identical files, other seeds other files, names are
# unique across species, every interaction and similarity line has two names and a number, and
# bad options are refused.
set -eu
synth=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$synth" --species 4 --proteins 120 --complexes 3 --seed 7 --out "$dir/a" >/dev/null
"$synth" --species 4 --proteins 120 --complexes 3 --seed 7 --out "$dir/b" >/dev/null
"$synth" --species 4 --proteins 120 --complexes 3 --seed 8 --out "$dir/c" >/dev/null
for f in int-0.txt int-1.txt int-2.txt int-3.txt blast.txt truth.txt; do
  cmp -s "$dir/a_$f" "$dir/b_$f" || fail "seed 7 twice gives different $f"
done
cmp -s "$dir/a_int-0.txt" "$dir/c_int-0.txt" && fail "seeds 7 and 8 give the same interactions"
[ -e "$dir/a_int-4.txt" ] && fail "a fifth species file was written"

# Every protein 0..119 of every species occurs in its interaction file, and in no other.
for s in 0 1 2 3; do
  n=$(grep -v '^#' "$dir/a_int-$s.txt" | awk '{print $1; print $2}' | sort -u | wc -l)
  [ "$n" -eq 120 ] || fail "species $s has $n proteins, expected 120"
done
others=$(grep -v '^#' "$dir/a_int-1.txt" | awk '$1 !~ /^b/ || $2 !~ /^b/' | wc -l)
[ "$others" -eq 0 ] || fail "species 1 names a protein of another species"

bad=$(cat "$dir"/a_int-*.txt "$dir/a_blast.txt" | grep -v '^#' |
  awk 'NF != 3 || $1 == $2 || $3 !~ /^[0-9.e+-]+$/ || length($0) > 99' | wc -l)
[ "$bad" -eq 0 ] || fail "$bad malformed lines"
weights=$(cat "$dir"/a_int-*.txt | grep -v '^#' | awk '$3 <= 0 || $3 >= 1' | wc -l)
[ "$weights" -eq 0 ] || fail "$weights confidences outside (0, 1)"
cross=$(grep -v '^#' "$dir/a_blast.txt" | awk 'substr($1, 1, 1) == substr($2, 1, 1)' | wc -l)
[ "$cross" -eq 0 ] || fail "similarity hit within one species"
rows=$(grep -vc '^#' "$dir/a_truth.txt")
[ "$rows" -eq 12 ] || fail "truth file has $rows rows, expected 3 complexes x 4 species"

for args in "--species 1" "--species 11" "--proteins 10" "--proteins 2000000" "--hubs 3 --proteins 20" "--families 2" "--spurious x" "--complexes 50" \
    "--seed x" "--seed -1" "--bogus 1"; do
  # shellcheck disable=SC2086
  "$synth" $args --out "$dir/bad" >/dev/null 2>&1 && fail "accepted $args"
done
"$synth" --proteins 20 --out >/dev/null 2>&1 && fail "accepted a trailing option without value"
echo "ok"
