#!/bin/sh
# Runs the ```sh block of the README's "What the complexes mean" section, as written, after the
# IntAct recipe of "Preparing inputs", on the samples of tests/data/prep/ and
# tests/data/annotate/readme/ (named like the downloads; a stand-in for wget copies them). The
# block must exit 0, write the four tables and extend the report.
# Usage: readme_example_test.sh README DATA_DIR BIN_DIR
set -eu
readme=$1
data=$(cd "$2" && pwd)
bindir=$(cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The ```sh blocks of a section, one file each: section NAME, file prefix.
blocks() {
  awk -v name="$1" -v out="$2" '
    /^## / { inside = ($0 == "## " name) }
    inside && /^```sh$/ { n++; file = out n ".sh"; writing = 1; next }
    writing && /^```$/ { writing = 0; close(file); next }
    writing { print > file }
  ' "$readme"
}
blocks "Preparing inputs" "$dir/recipe"
blocks "What the complexes mean" "$dir/example"
recipe=$(grep -l -- "--from mitab" "$dir"/recipe*.sh) || fail "no IntAct recipe in the README"
[ "$(ls "$dir"/example*.sh 2>/dev/null | wc -l)" -eq 1 ] || fail "expected one example block"

work="$dir/work"
mkdir "$work"
find "$data/prep" -maxdepth 1 -type f -exec cp {} "$work" \;
export PATH="$here/stubs:$here/../prep/stubs:$bindir:$PATH" STUB_OUTPUT="$data/prep/aligner_output" \
       STUB_DOWNLOADS="$data/annotate/readme"
(cd "$work" && sh -eu "$recipe" >recipe.txt 2>&1) || { cat "$work/recipe.txt"; fail "the IntAct recipe exits non-zero"; }
(cd "$work" && sh -eu "$dir/example1.sh" >example.txt 2>&1) || {
  cat "$work/example.txt"
  fail "the example exits non-zero:$(cat "$dir/example1.sh")"
}
out="$work/intact_hsmm-out"
for table in go_enrichment function_summary reference_match reference_hits; do
  [ -s "$out/$table.tsv" ] || fail "no $table.tsv"
done
[ "$(wc -l < "$out/function_summary.tsv")" -eq 3 ] || fail "function_summary.tsv: not one row per species"
[ "$(wc -l < "$out/reference_match.tsv")" -eq 3 ] || fail "reference_match.tsv: not one row per species"
grep -q '<h2 id="function-summary">' "$out/report.html" || fail "report.html was not extended"
grep -q "^species 0: known complexes 9606.tsv (complextab): 3 read, 1 dropped" "$work/example.txt" ||
  fail "unexpected reading of 9606.tsv: $(cat "$work/example.txt")"
echo "ok: the README example runs as written"
