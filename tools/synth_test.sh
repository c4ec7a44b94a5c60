#!/bin/sh
# Checks the generator: equal seeds give identical files, other seeds other files, names are
# unique across species, every interaction and similarity line has two names and a number, the
# sparse background is the same as ever (checksums of known files), a chosen density comes out at
# the mean and hub degree asked for, and bad options are refused.
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

# Files made before dense backgrounds existed: the sparse modes must not change.
sum() { cat "$1"_int-*.txt "$1_blast.txt" "$1_truth.txt" | cksum; }
"$synth" --out "$dir/def" >/dev/null
[ "$(sum "$dir/def")" = "682083672 51519" ] || fail "default output changed: $(sum "$dir/def")"
"$synth" --species 3 --proteins 400 --hubs 2 --dense 2 --seed 5 --out "$dir/hd" >/dev/null
[ "$(sum "$dir/hd")" = "1872885616 220819" ] || fail "--hubs/--dense output changed: $(sum "$dir/hd")"

# Dense background: deterministic, mean degree 20 and largest degree 200 as asked, heavy-tailed
# (the median far below the mean).
dense="--species 2 --proteins 2000 --complexes 2 --mean-degree 20 --hub-degree 200 --seed 3"
# shellcheck disable=SC2086
"$synth" $dense --out "$dir/d1" >/dev/null || fail "dense generation failed"
# shellcheck disable=SC2086
"$synth" $dense --out "$dir/d2" >/dev/null
[ "$(sum "$dir/d1")" = "$(sum "$dir/d2")" ] || fail "dense mode with one seed gives different files"
for s in 0 1; do
  # proteins, mean degree, median degree, largest degree
  # shellcheck disable=SC2046
  set -- $(grep -v '^#' "$dir/d1_int-$s.txt" | awk '{ d[$1]++; d[$2]++ } END { for (p in d) print d[p] }' | sort -n |
    awk '{ v[NR] = $1; t += $1 } END { printf "%d %.2f %d %d", NR, t / NR, v[int((NR + 1) / 2)], v[NR] }')
  [ "$1" -eq 2000 ] || fail "dense species $s has $1 proteins with interactions, expected 2000"
  awk -v m="$2" 'BEGIN { exit !(m >= 19 && m <= 21) }' || fail "dense species $s: mean degree $2, asked 20"
  { [ "$4" -ge 190 ] && [ "$4" -le 210 ]; } || fail "dense species $s: largest degree $4, asked 200"
  [ "$3" -le 14 ] || fail "dense species $s: median degree $3, no heavy tail"
done

for args in "--species 1" "--species 11" "--proteins 10" "--proteins 2000000" "--hubs 3 --proteins 20" "--families 2" "--spurious x" "--complexes 50" \
    "--seed x" "--seed -1" "--bogus 1" "--mean-degree 2" "--mean-degree x" "--mean-degree inf" "--mean-degree 80" \
    "--hub-degree 0" "--hub-degree 300" "--mean-degree 22 --hub-degree 21" "--species 10 --proteins 200000 --mean-degree 22" \
    "--dense 1000 --proteins 100000"; do
  # shellcheck disable=SC2086
  "$synth" $args --out "$dir/bad" >/dev/null 2>&1 && fail "accepted $args"
done
"$synth" --proteins 20 --out >/dev/null 2>&1 && fail "accepted a trailing option without value"
echo "ok"
