#!/usr/bin/env bash
# Speed-up per thread: one trellis2 binary runs each input with --threads: 1, 2 and all hardware
# threads; the table gives per phase the seconds and the speed-up over one thread, the peak
# memory, and whether every thread count gave the same results. See bench/README.md.
set -u

REPO=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
. "$REPO/bench/lib.sh"
BIN="$REPO/build/trellis2"
SYNTH="$REPO/build/tools/trellis2_synth"
INPUTS="n8cg1,s10x1000,d5x15000m22h1500,d3x15000m22h1500,nc5"
CONFIGS="tree"
THREADS=""
RUNS=1
TIMEOUT=3600
OPTIONS=""
SCRATCH=""
REUSE=no
KEEP=yes
DATA_DIRS=""

usage() {
  cat <<EOF
Usage: bench/threads.sh [options]
  --bin BIN          the trellis2 binary (default build/trellis2)
  --inputs LIST      comma separated, as for bench/compare.sh: sSxP[dD], dSxP[mM][hH][sL], or a data
                     set name (n5cg1, n8cg1, nc5, ...) (default $INPUTS)
  --threads LIST     thread counts, comma separated; 1 is always run, as the reference
                     (default 1,2 and all hardware threads: 1,$(nproc 2>/dev/null || echo 2) here)
  --configs LIST     of: tree, tree-pval, oriented, oriented-pval (default $CONFIGS)
  --options STR      more options for every run, e.g. "-H: 1e-10"
  --runs N           runs per thread count, in turn; the medians count (default $RUNS)
  --timeout SEC      time limit of one run (default $TIMEOUT)
  --scratch DIR      keep inputs, logs and outputs there (default: a temporary directory)
  --reuse            with --scratch: take the finished runs already there (same binary, inputs
                     and options) instead of running them again; a run stopped by the time limit
                     only under a limit no longer than its own
  --synth BIN        the data generator (default build/tools/trellis2_synth)
  --data DIR         a directory whose subdirectories hold data sets (repeatable; default
                     ../shared/data beside the repository, then /work/shared/data)
  -h, --help         this text
EOF
}

die() {
  echo "threads: $*" >&2
  exit 2
}

while [ $# -gt 0 ]; do
  case "$1" in
    --bin) BIN=${2:?}; shift 2 ;;
    --inputs) INPUTS=${2:?}; shift 2 ;;
    --threads) THREADS=${2:?}; shift 2 ;;
    --configs) CONFIGS=${2:?}; shift 2 ;;
    --options) OPTIONS=${2?}; shift 2 ;;
    --runs) RUNS=${2:?}; shift 2 ;;
    --timeout) TIMEOUT=${2:?}; shift 2 ;;
    --scratch) SCRATCH=${2:?}; shift 2 ;;
    --reuse) REUSE=yes; shift ;;
    --synth) SYNTH=${2:?}; shift 2 ;;
    --data) DATA_DIRS="$DATA_DIRS $(cd "${2:?}" && pwd)" || die "no directory $2"; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; die "unknown option: $1" ;;
  esac
done
[ -x "$BIN" ] || die "not an executable: $BIN"
case "$RUNS" in '' | *[!0-9]* | 0) die "--runs must be a positive whole number" ;; esac
case "$TIMEOUT" in '' | *[!0-9]* | 0) die "--timeout must be a positive whole number of seconds" ;; esac
for config in ${CONFIGS//,/ }; do knownConfig "$config" || die "unknown configuration: $config"; done
[ -n "$THREADS" ] || THREADS="2,$(nproc 2>/dev/null || echo 2)"
for t in ${THREADS//,/ }; do
  case "$t" in '' | *[!0-9]* | 0) die "--threads must list positive whole numbers: $THREADS" ;; esac
done
# shellcheck disable=SC2207,SC2086
COUNTS=($(printf '%s\n' 1 ${THREADS//,/ } | sort -nu))
requireTools
BIN=$(absolutePath "$BIN")
[ -n "$DATA_DIRS" ] || DATA_DIRS=$(defaultDataDirs)

[ "$REUSE" = no ] || [ -n "$SCRATCH" ] || die "--reuse needs --scratch"
if [ -z "$SCRATCH" ]; then
  SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/trellis2-threads.XXXXXX") || die "no scratch directory"
  trap 'rm -rf "$SCRATCH"' EXIT
  KEEP=no
fi
mkdir -p "$SCRATCH/inputs" "$SCRATCH/logs" || die "cannot create $SCRATCH"
SCRATCH=$(cd "$SCRATCH" && pwd)

# Every input first, so that a bad name stops the script before hours of runs.
declare -A SPECIES PREFIX INPUT_SUM
prepareInputs "$INPUTS" || exit 2
BIN_SUM=$(fileChecksum "$BIN")

# One line per run, rewritten by every invocation from the runs it covers.
TSV="$SCRATCH/threads.tsv"
printf 'input\tconfig\tthreads\trun\tstatus\tpeak_mb\tread_s\trandom_s\tseeds_s\tcomplexes_s\trefine_s\twrite_s\ttotal_s\tsame_as_1_thread\n' >"$TSV"

# Column of each phase in a run's row ("STATUS PEAK_MB read random seeds complexes refine write
# total"), and the phases of the table.
declare -A COLUMN=([read]=3 [random]=4 [seeds]=5 [complexes]=6 [refine]=7 [write]=8 [total]=9)

# cell NAME_CONFIG THREADS PHASE: the median seconds of a phase over the runs; for the total of
# runs all stopped by the time limit, ">S" with the longest of their wall-clock times.
cell() {
  local base=$1 t=$2 phase=$3 value r longest=0 w
  value=$(for ((r = 1; r <= RUNS; r++)); do awk -v c="${COLUMN[$phase]}" '{ print $c }' "$SCRATCH/logs/$base-t$t-$r.row"; done | median)
  if [ "$value" = - ] && [ "$phase" = total ]; then
    for ((r = 1; r <= RUNS; r++)); do
      [ "$(awk '{ print $1 }' "$SCRATCH/logs/$base-t$t-$r.row")" = 124 ] || continue
      w=$(wallSeconds "$SCRATCH/logs/$base-t$t-$r.log.mem")
      longest=$(awk -v a="$longest" -v b="$w" 'BEGIN { print (b > a ? b : a) }')
    done
    [ "$longest" = 0 ] || value=">$(awk -v w="$longest" 'BEGIN { printf "%.0f", w }')"
  fi
  echo "$value"
}

# speedUp ONE N: seconds on one thread over seconds on N; a bound when one side was stopped.
speedUp() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    sa = substr(a, 1, 1) == ">"; sb = substr(b, 1, 1) == ">"
    if (sa) a = substr(a, 2); if (sb) b = substr(b, 2)
    if (a == "-" || b == "-" || a <= 0 || b <= 0 || (sa && sb)) { print "-"; exit }
    printf "%s%.2f\n", (sa ? ">" : (sb ? "<" : "")), a / b
  }'
}

# sameAsReference BASE T R: whether run R on T threads gave the status, console and files of the
# first run on one thread.
sameAsReference() {
  local ref="$1-t1-1" run="$1-t$2-$3"
  [ "$(awk '{ print $1 }' "$SCRATCH/logs/$ref.row")" = "$(awk '{ print $1 }' "$SCRATCH/logs/$run.row")" ] &&
    sameResults "$SCRATCH/logs/$ref.log" "$SCRATCH/logs/$run.log" "$SCRATCH/runs/$ref" "$SCRATCH/runs/$run"
}

printTable() {
  local name=$1 config=$2 base="$1-$2" identical=$3 phase t one value peaks statuses
  local phaseList="seeds complexes refine total"
  [[ "$config" = *-pval ]] && phaseList="random $phaseList"
  echo
  echo "== $name (${SPECIES[$name]} species), $config: results identical on ${COUNTS[*]} threads: $identical"
  printf '%-10s' phase
  for t in "${COUNTS[@]}"; do
    printf ' %10s' "t=$t [s]"
    [ "$t" = 1 ] || printf ' %8s' speed-up
  done
  echo
  for phase in $phaseList; do
    printf '%-10s' "$phase"
    one=$(cell "$base" 1 "$phase")
    for t in "${COUNTS[@]}"; do
      value=$(cell "$base" "$t" "$phase")
      printf ' %10s' "$value"
      [ "$t" = 1 ] || printf ' %8s' "$(speedUp "$one" "$value")"
    done
    echo
  done
  peaks=""
  statuses=""
  for t in "${COUNTS[@]}"; do
    value=$(for ((r = 1; r <= RUNS; r++)); do awk '{ print $2 }' "$SCRATCH/logs/$base-t$t-$r.row"; done | median)
    peaks+=$(printf ' %10s' "$value")
    value=$(for ((r = 1; r <= RUNS; r++)); do awk '{ print $1 }' "$SCRATCH/logs/$base-t$t-$r.row"; done | sort -u | paste -sd/)
    statuses+=$(printf ' %10s' "$value")
    [ "$t" = 1 ] || { peaks+=$(printf ' %8s' ""); statuses+=$(printf ' %8s' ""); }
  done
  printf '%-10s%s\n%-10s%s\n' "peak[MB]" "${peaks%"${peaks##*[! ]}"}" status "${statuses%"${statuses##*[! ]}"}"
}

echo "== trellis2: $BIN${OPTIONS:+ (with $OPTIONS)}"
echo "== threads ${COUNTS[*]}; $RUNS run(s) each, in turn; phase seconds are medians;"
echo "   speed-up = seconds on 1 thread / seconds on t; refine includes the filters before it"
for name in ${INPUTS//,/ }; do
  species=${SPECIES[$name]}
  prefix=${PREFIX[$name]}
  for config in ${CONFIGS//,/ }; do
    read -ra args <<<"$(configArgs "$config" "$species") $OPTIONS"
    for ((r = 1; r <= RUNS; r++)); do
      for t in "${COUNTS[@]}"; do
        recordedRun "$name-$config-t$t-$r" "$REUSE" "$BIN_SUM ${INPUT_SUM[$name]} ${args[*]} --threads: $t" \
          "$BIN" "$species" "$prefix" "${args[@]}" --threads: "$t"
      done
    done
    identical=yes
    differing=()
    for ((r = 1; r <= RUNS; r++)); do
      for t in "${COUNTS[@]}"; do
        same=yes
        if [ "$(awk '{ print $1 }' "$SCRATCH/logs/$name-$config-t$t-$r.row")" = 124 ] ||
          [ "$(awk '{ print $1 }' "$SCRATCH/logs/$name-$config-t1-1.row")" = 124 ]; then
          same=-
          identical="- (a run was stopped by the time limit)"
        elif ! sameAsReference "$name-$config" "$t" "$r"; then
          same=NO
          differing+=("t=$t run $r")
        fi
        printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$config" "$t" "$r" "$(tr ' ' '\t' <"$SCRATCH/logs/$name-$config-t$t-$r.row")" \
          "$same" >>"$TSV"
      done
    done
    [ ${#differing[@]} -eq 0 ] || identical="NO (${differing[*]} differ from t=1 run 1)"
    printTable "$name" "$config" "$identical"
  done
done
if [ "$KEEP" = yes ]; then
  echo
  echo "== one line per run (tab separated): $TSV; consoles in $SCRATCH/logs, outputs in $SCRATCH/runs"
fi
