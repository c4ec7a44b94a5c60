#!/usr/bin/env bash
# Side-by-side benchmark of two trellis2 binaries (for example an older commit's build against the
# current one): both run in turn on the same inputs, and the table gives each phase's time for
# both and the ratio old/new, the peak memory, and whether the results are identical. See
# bench/README.md.
set -u

REPO=$(cd "$(dirname "$0")/.." && pwd)
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

usage() {
  cat <<EOF
Usage: bench/compare.sh --old BIN [options]
  --old BIN          the binary to compare against (required)
  --new BIN          the binary under test (default build/trellis2)
  --new-options STR  options given to the new binary only, e.g. "--threads: 1"
  --inputs LIST      comma separated, of:
                       sSxP[dD]  synthetic, S species x P proteins, D dense similarity links per
                                 protein and species (s4x900 = s4x900d3, s5x3000 = s5x3000d1,
                                 s3x8000 = s3x8000d0; other rungs default to d0)
                       NAME      a NAPAbench 2 family of ../shared/data/napabench2 (n5cg1, n8cg1, ...)
                     (default $INPUTS)
  --configs LIST     of: tree, tree-pval, oriented, oriented-pval (default $CONFIGS)
  --runs N           runs of each binary per input, alternating old and new; the medians count
                     (default $RUNS)
  --timeout SEC      time limit of one run (default $TIMEOUT)
  --scratch DIR      keep inputs, logs and outputs there (default: a temporary directory)
  --reuse-old        with --scratch: take the old binary's runs already there instead of running
                     them again (old builds can take many minutes per input)
  --synth BIN        the data generator (default build/tools/trellis2_synth)
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
    -h | --help) usage; exit 0 ;;
    *) usage >&2; die "unknown option: $1" ;;
  esac
done
[ -n "$OLD" ] || { usage >&2; die "--old is required"; }
for b in "$OLD" "$NEW"; do [ -x "$b" ] || die "not an executable: $b"; done
case "$RUNS" in '' | *[!0-9]* | 0) die "--runs must be a positive whole number" ;; esac
/usr/bin/time -v true >/dev/null 2>&1 || die "GNU time (/usr/bin/time) is needed for the peak memory"
command -v perl >/dev/null || die "perl is needed to time the phases"
OLD=$(cd "$(dirname "$OLD")" && pwd)/$(basename "$OLD")
NEW=$(cd "$(dirname "$NEW")" && pwd)/$(basename "$NEW")

[ "$REUSE_OLD" = no ] || [ -n "$SCRATCH" ] || die "--reuse-old needs --scratch"
if [ -z "$SCRATCH" ]; then
  SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/trellis2-compare.XXXXXX") || die "no scratch directory"
  trap 'rm -rf "$SCRATCH"' EXIT
fi
mkdir -p "$SCRATCH/inputs" "$SCRATCH/logs" || die "cannot create $SCRATCH"
SCRATCH=$(cd "$SCRATCH" && pwd)

NAPA_DIR=""
for d in /work/shared/data/napabench2 "$REPO/../shared/data/napabench2"; do
  [ -d "$d" ] && NAPA_DIR=$(cd "$d" && pwd) && break
done

# prepareInput NAME: writes the input set, prints "SPECIES PREFIX".
prepareInput() {
  local name=$1 species proteins dense i
  if [[ "$name" =~ ^s([0-9]+)x([0-9]+)(d([0-9]+))?$ ]]; then
    species=${BASH_REMATCH[1]}
    proteins=${BASH_REMATCH[2]}
    dense=${BASH_REMATCH[4]}
    if [ -z "$dense" ]; then
      case "$name" in s4x900) dense=3 ;; s5x3000) dense=1 ;; *) dense=0 ;; esac
    fi
    [ -x "$SYNTH" ] || die "no generator at $SYNTH"
    "$SYNTH" --species "$species" --proteins "$proteins" --complexes $((proteins / 100 > 6 ? proteins / 100 : 6)) \
      --dense "$dense" --seed 1 --out "$SCRATCH/inputs/$name" >/dev/null || die "generator failed for $name"
    echo "$species $SCRATCH/inputs/$name"
    return
  fi
  [ -n "$NAPA_DIR" ] || die "no NAPAbench 2 directory for $name"
  species=0
  while [ -f "$NAPA_DIR/${name}_int-$species.txt" ]; do species=$((species + 1)); done
  [ "$species" -ge 2 ] || die "no input files for $name in $NAPA_DIR"
  for ((i = 0; i < species; i++)); do ln -sf "$NAPA_DIR/${name}_int-$i.txt" "$SCRATCH/inputs/"; done
  gunzip -c "$NAPA_DIR/${name}_blast.txt.gz" >"$SCRATCH/inputs/${name}_blast.txt" || die "cannot unpack $name"
  echo "$species $SCRATCH/inputs/$name"
}

orientChain() {
  local n=$1 s i
  s="($((n - 1)))"
  for ((i = n - 2; i >= 0; i--)); do s="($i,$s)"; done
  echo "$s"
}

configArgs() {
  case "$1" in
    tree) ;;
    tree-pval) echo "--pval-filter 1" ;;
    oriented) echo "-S: o -E: o --orient: $(orientChain "$2")" ;;
    oriented-pval) echo "-S: o -E: o --orient: $(orientChain "$2") --pval-filter 1" ;;
    *) die "unknown configuration: $1" ;;
  esac
}

# Seconds of each phase of the real pass, from the times the console lines appeared:
# "read random seeds complexes refine write total".
phases() {
  awk '
    NR == 1 { t0 = $1 }
    { t = $1; sub(/^[^ ]+ /, "") }
    /^Ok$/ && !read { read = t }
    /^Cloning network:/ { rnd0 = t }
    /^\*\* Processing real biological network \*\*/ { rnd1 = t }
    /^Looking for seeds\.\./ { s0 = t }
    /seeds after filtering/ { s1 = t }
    /^Looking for complexes\.\./ { c0 = t }
    /^Done, [0-9]+ complexes found/ { c1 = t }
    /^Done, for [0-9]+ complexes/ { r1 = t }
    /FINISHED/ { w1 = t }
    END {
      if (!w1) { print "- - - - - - -"; exit }
      printf "%.2f %.2f %.2f %.2f %.2f %.2f %.2f\n", read - t0, (rnd0 ? rnd1 - rnd0 : 0), s1 - s0, c1 - c0,
        r1 - c1, w1 - r1, w1 - t0
    }' "$1"
}

# runOnce BIN SPECIES PREFIX OUT LOG EXTRA...: one timed run; prints "STATUS PEAK_MB".
runOnce() {
  local bin=$1 species=$2 prefix=$3 out=$4 log=$5
  shift 5
  rm -rf "$out"
  set -o pipefail
  /usr/bin/time -v -o "$log.mem" timeout "$TIMEOUT" "$bin" "$species" "$prefix" "$out" "$@" 2>/dev/null |
    perl -MTime::HiRes=time -ne '$|=1; printf "%.3f %s", time, $_' >"$log"
  local status=$?
  set +o pipefail
  local kb
  kb=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$log.mem")
  echo "$status $(awk -v k="${kb:-0}" 'BEGIN { printf "%.0f", k / 1024 }')"
}

# Wall-clock seconds of a run, from its /usr/bin/time -v report.
wallSeconds() {
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$1"
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else print v[int((NR + 1) / 2)] }'; }

# Whether two runs gave the same console (elapsed seconds, build stamp and command line aside)
# and the same alignment and species files.
sameResults() {
  local a=$1 b=$2 oa=$3 ob=$4 d
  norm() { sed -e 's/^[^ ]* //' -e 's/^Elapsed time: [0-9]* sec/Elapsed time: N sec/' -e 's/build: .*;/build: X;/' \
    -e '/^Cmd line:/d' "$1"; }
  cmp -s <(norm "$a") <(norm "$b") || return 1
  for d in $(cd "$ob" 2>/dev/null && ls -d alignments species_* 2>/dev/null); do
    diff -r "$oa/$d" "$ob/$d" >/dev/null || return 1
  done
  [ "$(cd "$oa" 2>/dev/null && ls -d alignments species_* 2>/dev/null)" = \
    "$(cd "$ob" 2>/dev/null && ls -d alignments species_* 2>/dev/null)" ]
}

echo "== old: $OLD"
echo "== new: $NEW ${NEW_OPTIONS:+(with $NEW_OPTIONS)}"
echo "== $RUNS run(s) each, in turn; phase seconds are medians; ratio = old / new"
for name in ${INPUTS//,/ }; do
  read -r species prefix <<<"$(prepareInput "$name")"
  for config in ${CONFIGS//,/ }; do
    identical=yes
    # shellcheck disable=SC2046
    args=($(configArgs "$config" "$species"))
    for ((r = 1; r <= RUNS; r++)); do
      for who in old new; do
        bin=$OLD
        extra=()
        if [ "$who" = new ]; then
          bin=$NEW
          # shellcheck disable=SC2206
          extra=($NEW_OPTIONS)
        fi
        run="$name-$config-$who-$r"
        log="$SCRATCH/logs/$run.log"
        if [ "$who" = old ] && [ "$REUSE_OLD" = yes ] && [ -s "$SCRATCH/logs/$run.row" ] && [ -d "$SCRATCH/runs/$run" ]; then
          continue
        fi
        # One output path for both, so that their consoles can be compared.
        read -r st mb <<<"$(runOnce "$bin" "$species" "$prefix" "$SCRATCH/out" "$log" "${args[@]}" "${extra[@]}")"
        rm -rf "$SCRATCH/runs/$run"
        mkdir -p "$SCRATCH/runs"
        mv "$SCRATCH/out" "$SCRATCH/runs/$run" 2>/dev/null || mkdir -p "$SCRATCH/runs/$run"
        echo "$st $mb $(phases "$log")" >"$SCRATCH/logs/$run.row"
      done
      sameResults "$SCRATCH/logs/$name-$config-old-$r.log" "$SCRATCH/logs/$name-$config-new-$r.log" \
        "$SCRATCH/runs/$name-$config-old-$r" "$SCRATCH/runs/$name-$config-new-$r" || identical=NO
    done
    for who in old new; do
      cat "$SCRATCH/logs/$name-$config-$who-"[0-9]*.row >"$SCRATCH/logs/$name-$config-$who.rows"
    done
    echo
    echo "== $name ($species species), $config: results identical: $identical"
    printf '%-10s %10s %10s %8s\n' phase "old[s]" "new[s]" ratio
    col=3
    for phase in read random seeds complexes refine write total; do
      o=$(awk -v c=$col '{ print $c }' "$SCRATCH/logs/$name-$config-old.rows" | median)
      n=$(awk -v c=$col '{ print $c }' "$SCRATCH/logs/$name-$config-new.rows" | median)
      ratio=$(awk -v o="$o" -v n="$n" 'BEGIN { if (o == "-" || n == "-" || n <= 0) print "-"; else printf "%.1f", o / n }')
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
