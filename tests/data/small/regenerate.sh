#!/usr/bin/env bash
# Rebuilds the golden console and output files of the end-to-end tests from
# the current binary. Review every difference by hand before committing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${1:-$here/../../../build/trellis2}"
run_case() {
  local name="$1"; shift
  local work; work="$(mktemp -d)"
  cp "$here"/small_int-*.txt "$here"/small_blast.txt "$work"/
  (cd "$work" && "$bin" 3 small out "$@" > console.txt) || true
  sed -e 's/build: [^;]*;/build: STAMP;/' -e 's/Elapsed time: [0-9]* sec/Elapsed time: N sec/' \
    "$work/console.txt" > "$work/console.norm"
  rm -rf "$here/golden/$name"; mkdir -p "$here/golden/$name"
  mv "$work/console.norm" "$here/golden/$name/console.txt"
  mv "$work/out" "$here/golden/$name/out"
  rm -rf "$work"
}
run_case default
run_case pval_oriented --pval-filter 1 -R: 3 -S: o -E: o --orient: '(0,(2,(1)))'
run_case path_d1 -S: p -E: p -D: 1 -R: 0
