#!/usr/bin/env bash
# Side-by-side benchmark of two trellis2 binaries (for example an older commit's build against the
# current one): both run in turn on the same inputs, and the table gives each phase's time for
# both and the ratio old/new, the peak memory, and whether the results are identical. See
# bench/README.md.
set -u

REPO=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
. "$REPO/bench/lib.sh"
OLD=""
NEW="$REPO/build/trellis2"
SYNTH="$REPO/build/tools/trellis2_synth"
INPUTS="s4x900,s5x3000,s3x8000,n5cg1,n5dmc1"
CONFIGS="tree"
RUNS=1
TIMEOUT=3600
NEW_OPTIONS=""
SCRATCH=""
REUSE_OLD=no
DATA_DIRS=""

usage() {
  cat <<EOF
Usage: bench/compare.sh --old BIN [options]
  --old BIN          the binary to compare against (required)
  --new BIN          the binary under test (default build/trellis2)
  --new-options STR  options given to the new binary only, e.g. "--threads: 1"
  --inputs LIST      comma separated, of:
                       sSxP[dD]  synthetic, S species x P proteins, D extra similarity links per
                                 protein and species (s4x900 = s4x900d3, s5x3000 = s5x3000d1,
                                 others d0; s10x1000: the generator's defaults, 10 x 1000)
                       dSxP[mM][hH][sL]
                                 synthetic dense interactome: background mean degree M (default
                                 22), largest degree H (default P/10), L extra similarity links
                                 (default 0), e.g. d5x15000m22h1500, d5x15000s2
                       NAME      a data set under a data directory: NAPAbench 2 (n5cg1, n5dmc1,
                                 n5dmr1, n5st1, n8cg1), NetCoffee (nc3, nc4, nc4ev, nc5, nc5h)
                     (default $INPUTS)
  --configs LIST     of: tree, tree-pval, oriented, oriented-pval (default $CONFIGS)
  --runs N           runs of each binary per input, alternating old and new; the medians count
                     (default $RUNS)
  --timeout SEC      time limit of one run (default $TIMEOUT)
  --scratch DIR      keep inputs, logs and outputs there (default: a temporary directory)
  --reuse-old        with --scratch: take the old binary's runs already there instead of running
                     them again (old builds can take many minutes per input); only runs of the
                     same binary, inputs and options count, and a run stopped by the time limit
                     only under a limit no longer than its own
  --synth BIN        the data generator (default build/tools/trellis2_synth)
  --data DIR         a directory whose subdirectories hold data sets (repeatable; default
                     ../shared/data beside the repository, then /work/shared/data)
  -h, --help         this text
EOF
}

die() {
  echo "compare: $*" >&2
  exit 2
}

while [ $# -gt 0 ]; do
  case "$1" in
    --old) OLD=${2:?}; shift 2 ;;
    --new) NEW=${2:?}; shift 2 ;;
    --new-options) NEW_OPTIONS=${2?}; shift 2 ;;
    --inputs) INPUTS=${2:?}; shift 2 ;;
    --configs) CONFIGS=${2:?}; shift 2 ;;
    --runs) RUNS=${2:?}; shift 2 ;;
    --timeout) TIMEOUT=${2:?}; shift 2 ;;
    --scratch) SCRATCH=${2:?}; shift 2 ;;
    --synth) SYNTH=${2:?}; shift 2 ;;
    --reuse-old) REUSE_OLD=yes; shift ;;
    --data) DATA_DIRS="$DATA_DIRS $(cd "${2:?}" && pwd)" || die "no directory $2"; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; die "unknown option: $1" ;;
  esac
done
[ -n "$OLD" ] || { usage >&2; die "--old is required"; }
for b in "$OLD" "$NEW"; do [ -x "$b" ] || die "not an executable: $b"; done
case "$RUNS" in '' | *[!0-9]* | 0) die "--runs must be a positive whole number" ;; esac
case "$TIMEOUT" in '' | *[!0-9]* | 0) die "--timeout must be a positive whole number of seconds" ;; esac
for config in ${CONFIGS//,/ }; do knownConfig "$config" || die "unknown configuration: $config"; done
requireTools
OLD=$(absolutePath "$OLD")
NEW=$(absolutePath "$NEW")
[ -n "$DATA_DIRS" ] || DATA_DIRS=$(defaultDataDirs)

[ "$REUSE_OLD" = no ] || [ -n "$SCRATCH" ] || die "--reuse-old needs --scratch"
if [ -z "$SCRATCH" ]; then
  SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/trellis2-compare.XXXXXX") || die "no scratch directory"
  trap 'rm -rf "$SCRATCH"' EXIT
fi
mkdir -p "$SCRATCH/inputs" "$SCRATCH/logs" || die "cannot create $SCRATCH"
SCRATCH=$(cd "$SCRATCH" && pwd)

# Every input first, so that a bad name stops the script before hours of runs.
declare -A SPECIES PREFIX INPUT_SUM
prepareInputs "$INPUTS" || exit 2
declare -A BIN_SUM=([old]=$(fileChecksum "$OLD") [new]=$(fileChecksum "$NEW"))

echo "== old: $OLD"
echo "== new: $NEW ${NEW_OPTIONS:+(with $NEW_OPTIONS)}"
echo "== $RUNS run(s) each, in turn; phase seconds are medians; ratio = old / new"
for name in ${INPUTS//,/ }; do
  species=${SPECIES[$name]}
  prefix=${PREFIX[$name]}
  for config in ${CONFIGS//,/ }; do
    identical=yes
    read -ra args <<<"$(configArgs "$config" "$species")"
    for ((r = 1; r <= RUNS; r++)); do
      for who in old new; do
        bin=$OLD
        extra=()
        if [ "$who" = new ]; then
          bin=$NEW
          # shellcheck disable=SC2206
          extra=($NEW_OPTIONS)
        fi
        reuse=no
        [ "$who" = old ] && reuse=$REUSE_OLD
        recordedRun "$name-$config-$who-$r" "$reuse" "${BIN_SUM[$who]} ${INPUT_SUM[$name]} ${args[*]} ${extra[*]}" \
          "$bin" "$species" "$prefix" "${args[@]}" "${extra[@]}"
      done
      if grep -q '^124 ' "$SCRATCH/logs/$name-$config-old-$r.row" "$SCRATCH/logs/$name-$config-new-$r.row"; then
        [ "$identical" = NO ] || identical="- (a run was stopped by the time limit)"
      elif ! sameResults "$SCRATCH/logs/$name-$config-old-$r.log" "$SCRATCH/logs/$name-$config-new-$r.log" \
        "$SCRATCH/runs/$name-$config-old-$r" "$SCRATCH/runs/$name-$config-new-$r"; then
        identical=NO
      fi
    done
    for who in old new; do
      # This invocation's runs only: a scratch directory may hold more from an earlier --runs.
      for ((r = 1; r <= RUNS; r++)); do cat "$SCRATCH/logs/$name-$config-$who-$r.row"; done \
        >"$SCRATCH/logs/$name-$config-$who.rows"
    done
    echo
    echo "== $name ($species species), $config: results identical: $identical"
    printf '%-10s %10s %10s %8s\n' phase "old[s]" "new[s]" ratio
    col=3
    for phase in read random seeds complexes refine write total; do
      o=$(awk -v c=$col '{ print $c }' "$SCRATCH/logs/$name-$config-old.rows" | median)
      n=$(awk -v c=$col '{ print $c }' "$SCRATCH/logs/$name-$config-new.rows" | median)
      ratio=$(awk -v o="$o" -v n="$n" 'BEGIN { if (o == "-" || n == "-" || o <= 0 || n <= 0) print "-"; else printf "%.1f", o / n }')
      printf '%-10s %10s %10s %8s\n' "$phase" "$o" "$n" "$ratio"
      col=$((col + 1))
    done
    po=$(awk '{ print $2 }' "$SCRATCH/logs/$name-$config-old.rows" | median)
    pn=$(awk '{ print $2 }' "$SCRATCH/logs/$name-$config-new.rows" | median)
    so=$(awk '{ print $1 }' "$SCRATCH/logs/$name-$config-old.rows" | sort -u | tr '\n' ' ')
    sn=$(awk '{ print $1 }' "$SCRATCH/logs/$name-$config-new.rows" | sort -u | tr '\n' ' ')
    printf '%-10s %10s %10s\n' "peak[MB]" "$po" "$pn"
    printf '%-10s %10s %10s\n' "status" "$so" "$sn"
    # A run stopped by the time limit has no phases; how long it ran still bounds the ratio.
    if [ "$so" = "124 " ] && [ "$n" != "-" ]; then
      t=$(wallSeconds "$SCRATCH/logs/$name-$config-old-1.log.mem")
      awk -v t="$t" -v n="$n" 'BEGIN { printf "old run stopped by the time limit after %.0f s: total ratio more than %.1f\n", t, t / n }'
    fi
  done
done
