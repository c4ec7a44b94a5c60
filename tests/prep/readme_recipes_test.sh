#!/bin/sh
# Runs every ```sh block of the README's "Preparing inputs" section, as written, in a copy of the
# samples of tests/data/prep/, with trellis2 and trellis2-prep from the build and stand-ins for the
# aligners (stubs/) that hand back the sample search results. Each block must exit 0, check must
# accept its set, and its trellis2 run must finish.
# Usage: readme_recipes_test.sh README SAMPLES_DIR BIN_DIR
set -eu
readme=$1
samples=$(cd "$2" && pwd)
bindir=$(cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The blocks of the section, one file each.
awk -v out="$dir/recipe" '
  /^## / { inside = ($0 == "## Preparing inputs") }
  inside && /^```sh$/ { n++; file = out n ".sh"; writing = 1; next }
  writing && /^```$/ { writing = 0; close(file); next }
  writing { print > file }
' "$readme"
count=$(ls "$dir"/recipe*.sh 2>/dev/null | wc -l)
[ "$count" -eq 4 ] || fail "expected 4 recipes in the README, found $count"

for recipe in "$dir"/recipe*.sh; do
  work="$dir/work_$(basename "$recipe" .sh)"
  mkdir "$work"
  find "$samples" -maxdepth 1 -type f -exec cp {} "$work" \;
  if ! (cd "$work" && PATH="$here/stubs:$bindir:$PATH" STUB_OUTPUT="$samples/aligner_output" \
        sh -eu "$recipe" >"$work/stdout.txt" 2>"$work/stderr.txt"); then
    cat "$work/stderr.txt"
    fail "$(basename "$recipe") exits non-zero:$(cat "$recipe")"
  fi
  grep -q "^result: trellis2 would accept this input" "$work/stdout.txt" || fail "check refuses $(basename "$recipe")"
  grep -q "^--= FINISHED =--" "$work/stdout.txt" || fail "trellis2 did not finish in $(basename "$recipe")"
done
echo "ok: $count recipes"
