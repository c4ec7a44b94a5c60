#!/usr/bin/env bash
# Checks the benchmark scripts on tiny inputs: threads.sh times every phase and finds the thread
# counts' results identical, reuses finished runs, and notices a result that differs; compare.sh
# reads a gzip-compressed data set and a dense synthetic input, and refuses an unknown input
# before running anything. Usage: bench_test.sh TRELLIS2 TRELLIS2_SYNTH
set -u
bin=$1
synth=$2
bench=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
if ! /usr/bin/time -v true >/dev/null 2>&1 || ! command -v perl >/dev/null; then
  echo "SKIP: GNU time and perl are needed"
  exit 77
fi

"$bench/threads.sh" --bin "$bin" --synth "$synth" --inputs s3x300 --threads 2 --scratch "$dir/t" >"$dir/out" 2>"$dir/err" ||
  fail "threads.sh failed: $(cat "$dir/err")"
grep -q 'results identical on 1 2 threads: yes' "$dir/out" || fail "threads.sh: $(cat "$dir/out")"
for phase in seeds complexes refine total; do
  grep -Eq "^$phase +[0-9]+\.[0-9]{2} +[0-9]+\.[0-9]{2} " "$dir/out" || fail "threads.sh: no seconds for $phase"
done
grep -Eq '^peak\[MB\] +[1-9][0-9]* +[1-9]' "$dir/out" || fail "threads.sh: no peak memory"
[ "$(grep -c '^s3x300	tree	[12]	1	0	' "$dir/t/threads.tsv")" -eq 2 ] || fail "threads.tsv: $(cat "$dir/t/threads.tsv")"

"$bench/threads.sh" --bin "$bin" --synth "$synth" --inputs s3x300 --threads 2 --scratch "$dir/t" --reuse >"$dir/out2" 2>"$dir/err"
[ "$(grep -c ': reused$' "$dir/err")" -eq 2 ] || fail "--reuse ran again: $(cat "$dir/err")"
cmp -s "$dir/out" "$dir/out2" || fail "reused runs give another table"

# A build whose two-thread results differ in one alignment file.
cat >"$dir/uneven" <<EOF
#!/bin/sh
"$bin" "\$@"
status=\$?
case "\$*" in *"--threads: 2"*) echo P >>"\$3/alignments/\$(ls "\$3/alignments" | head -n 1)" ;; esac
exit \$status
EOF
chmod +x "$dir/uneven"
"$bench/threads.sh" --bin "$dir/uneven" --synth "$synth" --inputs s3x300 --threads 2 --scratch "$dir/t" --reuse \
  2>"$dir/err" | grep -q 'identical on 1 2 threads: NO' || fail "a differing alignment file went unnoticed"
grep -q 's3x300-tree-t1-1: reused' "$dir/err" && fail "a run of another binary was reused"

# A data set as the shared data directory holds them: interaction files and a gzipped similarity file.
mkdir -p "$dir/data/tiny"
"$synth" --species 3 --proteins 200 --seed 4 --out "$dir/data/tiny/tiny" >/dev/null
gzip "$dir/data/tiny/tiny_blast.txt"
"$bench/compare.sh" --old "$bin" --new "$bin" --synth "$synth" --data "$dir/data" --inputs tiny,d3x300m12 \
  >"$dir/out" 2>"$dir/err" || fail "compare.sh failed: $(cat "$dir/err")"
[ "$(grep -c 'results identical: yes' "$dir/out")" -eq 2 ] || fail "compare.sh: $(cat "$dir/out")"
grep -q '^== tiny (3 species)' "$dir/out" || fail "compare.sh did not read the data set"
"$bench/compare.sh" --old "$bin" --synth "$synth" --data "$dir/data" --inputs tiny,nosuchset >"$dir/out" 2>"$dir/err" &&
  fail "compare.sh accepted an unknown input"
grep -q 'unknown input nosuchset' "$dir/err" || fail "no message for an unknown input: $(cat "$dir/err")"
grep -q 'running' "$dir/err" && fail "compare.sh ran before checking its inputs"
echo "ok"
