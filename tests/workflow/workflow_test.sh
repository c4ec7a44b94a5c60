#!/bin/sh
# Runs the Snakemake workflow (workflow/Snakefile) on one machine, from FASTA proteomes and
# networks, with the real snakemake, diamond, trellis2 and trellis2-prep:
#  1. the prepared inputs: each species where it belongs, every planted similarity found (the
#     proteomes come from make_fasta.py, with UniProt headers for two species);
#  2. the staged run in 3 shards against a single trellis2 run on the same prepared inputs and
#     output directory: every output file, and the console;
#  3. resuming: with one shard file deleted, the dry run (through the SLURM profile, so that the
#     profile is read too) plans that shard alone, and the rerun changes nothing else;
#     and the dry run shows the jobs' threads; a stale lock is explained and removed with --unlock;
#  4. input sets that check refuses (a name in two species, a network whose names the similarity
#     file does not use) stop the workflow with check's verdict.
# Before that, config mistakes stop it with one line, before any job. The species names (name:)
# and trellis2's own check of the options are tested when trellis2 has --check-options (and so
# --species-names), skipped otherwise.
# Exits 77 (skipped) after step 1 when this trellis2 has no staged runs (--stage).
# Usage: workflow_test.sh SOURCE_DIR BIN_DIR SYNTH
set -eu
fail() { echo "FAIL: $*"; exit 1; }
for tool in snakemake diamond; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (make deps-workflow installs it)"
done
src=$(cd "$1" && pwd)
bindir=$(cd "$2" && pwd)
synth=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
PATH="$bindir:$PATH"
export PATH
workflow() { snakemake --snakefile "$src/workflow/Snakefile" "$@"; }
out=results/run
# The jobs of a dry run's table (rule and count, one line), the no-op target aside.
planned_jobs() {
  awk '/^job +count/ { table = 1; next } table && /^total/ { exit }
       table && !/^-/ && $1 != "all" { printf "%s%s %s", sep, $1, $2; sep = ", " }' "$1"
}
masked() { sed -e 's/^Elapsed time: [0-9]* sec$/Elapsed time: N sec/' -e '/^Cmd line: /d' "$1"; }

if "$bindir/trellis2" --check-options >/dev/null 2>&1; then
  checks_options=1
else
  checks_options=0
  echo "note: this trellis2 has no --check-options: species names and the options check are not tested"
fi
names() { [ "$checks_options" = 0 ] || echo "    name: $1"; }

"$synth" --species 3 --proteins 300 --seed 5 --out net >/dev/null
python3 "$src/tests/workflow/make_fasta.py" --seed 5 --uniprot-from 1 net prot
gzip prot_2.fa
# Species 0 has plain FASTA headers, 1 and 2 UniProt ones: fasta_id per species.
cat >run.yaml <<EOF
out: $out
options: "--pval-filter 1"
shards: 3
fasta_id: word
species:
  - interactions: net_int-0.txt
    fasta: prot_0.fa
$(names "S. cerevisiae")
  - source: net_int-1.txt
    format: edges
    fasta: prot_1.fa
    fasta_id: accession
$(names "fission yeast")
  - source: net_int-2.txt
    format: edges
    prep: "--min-score 0.01"
    fasta: prot_2.fa.gz
    fasta_id: accession
$(names "C. albicans")
EOF
species_names="S. cerevisiae,fission yeast,C. albicans"

# 0. Config mistakes: one line, nothing run.
sed 's/^shards:/shard:/' run.yaml >typo.yaml
workflow --configfile typo.yaml --cores 2 >stop.log 2>&1 && fail "the workflow accepted an unknown key"
[ "$(cat stop.log)" = "config: unknown key(s) shard (known: annotate, diamond, fasta_id, options, out, resources, shards, similarity, species)" ] ||
  { cat stop.log; fail "an unknown key is not refused in one clean line"; }
if [ "$checks_options" = 1 ]; then
  sed 's/"--pval-filter 1"/"--pval-filter 1 -B: 1.5"/' run.yaml >beta.yaml
  workflow --configfile beta.yaml --cores 2 >stop.log 2>&1 && fail "the workflow accepted -B: 1.5"
  [ "$(wc -l <stop.log)" -eq 1 ] && grep -q "^config: options: .*-B:.*1.5" stop.log ||
    { cat stop.log; fail "-B: 1.5 is not refused in one line naming it"; }
fi
[ ! -e "$out" ] || fail "the workflow made $out before refusing its config"

# 1. Inputs.
workflow --configfile run.yaml --cores 2 "$out/inputs/check.txt" >inputs.log 2>&1 ||
  { tail -n 40 inputs.log; fail "preparing the inputs failed"; }
cmp -s net_int-0.txt "$out/inputs/run_int-0.txt" || fail "species 0 was not copied as it is"
for s in 0 1 2; do
  letter=$(printf 'abc' | cut -c$((s + 1)))
  stray=$(awk -v l="$letter" '!/^#/ && (substr($1, 1, 1) != l || substr($2, 1, 1) != l)' "$out/inputs/run_int-$s.txt" | wc -l)
  [ "$stray" -eq 0 ] || fail "run_int-$s.txt holds $stray lines of another species"
done
missed=$(awk 'NR == FNR { found[$1 " " $2]; found[$2 " " $1]; next }
              !/^#/ && !(($1 " " $2) in found)' "$out/inputs/run_blast.txt" net_blast.txt | wc -l)
[ "$missed" -eq 0 ] || fail "$missed planted similarity pairs were not found by the search"
grep -q "pairs naming a protein in no network (ignored): 0" "$out/inputs/check.txt" ||
  fail "similarity names that no network knows (FASTA names not mapped)"
# The labels: the gene names of the UniProt headers (species 1 and 2), by accession.
expected=$( (grep -h '^>' prot_1.fa; gzip -cd prot_2.fa.gz | grep '^>') |
  awk '{ split($1, id, "|"); for (i = 2; i <= NF; i++) if ($i ~ /^GN=/) print id[2] "\t" substr($i, 4) }')
[ "$(cat "$out/inputs/run_labels.txt")" = "$expected" ] || fail "run_labels.txt does not hold the proteomes' gene names"

if "$bindir/trellis2" 2 none scratch --stage finish 2>&1 | grep -q "Illegal option/flag: --stage"; then
  echo "SKIPPED: this trellis2 has no staged runs (--stage); only the inputs were tested"
  exit 77
fi

# 2. The staged run against a single run. Both write into the same directory (the console and
# report name it), the single run after the workflow's results were put aside.
workflow --configfile run.yaml --cores 2 >run.log 2>&1 || { tail -n 40 run.log; fail "workflow failed"; }
cp -a "$out" staged
results="alignments complexes.sif complexes.tsv manifest.tsv nodes.tsv report.html species_0 species_1 species_2"
for f in $results; do
  [ -e "staged/$f" ] || fail "the workflow wrote no $f"
  rm -r "${out:?}/$f"
done
[ -n "$(ls staged/alignments)" ] || fail "no complex found: nothing to compare"
if [ "$checks_options" = 1 ]; then
  grep -q -- "--species-names '$species_names'" "$out/inputs/command.txt" || fail "the stages get no species names"
  trellis2 3 "$out/inputs/run" "$out" --pval-filter 1 --species-names "$species_names" >single.txt 2>&1 ||
    fail "single run exits with $?"
else
  trellis2 3 "$out/inputs/run" "$out" --pval-filter 1 >single.txt 2>&1 || fail "single run exits with $?"
fi
diff -r -x inputs -x shards -x logs -x similarity -x .snakemake_timestamp staged "$out" || fail "output files differ from a single run's"
masked staged/logs/finish.txt >staged_console.txt
masked single.txt >single_console.txt
diff staged_console.txt single_console.txt || fail "finish's console differs from a single run's"

# 3. Resume after losing one shard.
rm -rf "$out"
cp -a staged "$out"
rm "$out/shards/grow-2-of-3.bin"
workflow --configfile run.yaml --profile "$src/workflow/profiles/slurm" -n >plan.log 2>&1 ||
  { cat plan.log; fail "dry run failed"; }
planned=$(planned_jobs plan.log)
[ "$planned" = "grow 1" ] || { cat plan.log; fail "dry run plans '$planned', not the one grow shard"; }
grep -q "output: $out/shards/grow-2-of-3.bin" plan.log || fail "dry run plans another grow shard"
grep -q "^    threads: 4$" plan.log || { cat plan.log; fail "the dry run does not show the grow job's 4 threads"; }
touch before
workflow --configfile run.yaml --cores 2 >resume.log 2>&1 || { tail -n 40 resume.log; fail "resume failed"; }
changed=$(find "$out" -newer before -type f | sort | tr '\n' ' ')
[ "$changed" = "$out/logs/grow-2-of-3.txt $out/shards/done/grow-2-of-3 $out/shards/grow-2-of-3.bin " ] ||
  fail "resuming rewrote $changed"
diff -r -x logs staged "$out" || fail "results changed after remaking one shard"
# New options rerun every stage, not only the first one.
sed 's/"--pval-filter 1"/"--pval-filter 1 -R: 3"/' run.yaml >changed.yaml
workflow --configfile changed.yaml --cores 2 -n >changed.log 2>&1 || { cat changed.log; fail "dry run failed"; }
planned=$(planned_jobs changed.log)
[ "$planned" = "finish 1, grow 3, refine 3, run_command 1, seeds 3" ] ||
  fail "new options rerun '$planned', not every stage"

# A lock left by a killed run: the workflow says how to remove it, and --unlock does.
mkdir -p .snakemake/locks
echo "$out/manifest.tsv" >.snakemake/locks/0.output.lock
workflow --configfile run.yaml --cores 2 >locked.log 2>&1 && fail "the workflow ran past a lock"
grep -q "^note: Snakemake's lock .* covers $out\..* --unlock" locked.log || { cat locked.log; fail "the lock is not explained"; }
workflow --configfile run.yaml --unlock >unlock.log 2>&1 || { cat unlock.log; fail "--unlock failed"; }
workflow --configfile run.yaml --cores 2 >after.log 2>&1 || { cat after.log; fail "the run after --unlock failed"; }
grep -q "Nothing to be done" after.log || fail "the run after --unlock did more than nothing"

# 4. Two species with the same proteins: check refuses, and the workflow shows why.
cat >bad.yaml <<EOF
out: results/bad
shards: 2
similarity: net_blast.txt
species:
  - interactions: net_int-0.txt
  - interactions: net_int-0.txt
EOF
workflow --configfile bad.yaml --cores 2 >bad.log 2>&1 && fail "the workflow accepted an input set that check refuses"
grep -q "trellis2 would refuse this input" bad.log || { cat bad.log; fail "check's verdict is not shown"; }
[ ! -e results/bad/shards ] || fail "stages ran after check refused the input"
# A network whose names the similarity file does not use (capitals here): no species is linked.
tr 'b' 'B' <net_int-1.txt >renamed_int-1.txt
sed -e 's/bad/renamed/' -e '$s/net_int-0.txt/renamed_int-1.txt/' bad.yaml >renamed.yaml
workflow --configfile renamed.yaml --cores 2 >renamed.log 2>&1 && fail "the workflow accepted networks without links"
grep -q "species 1 has no similarity link to another species" renamed.log || { cat renamed.log; fail "check's reason is not shown"; }
grep -q "names in results/renamed/inputs/run_int-1.txt: B" renamed.log || fail "the network's names are not shown"
echo "ok"
