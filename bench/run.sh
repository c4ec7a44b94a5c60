#!/usr/bin/env bash
# Benchmark of complete trellis2 runs on a ladder of synthetic inputs (and on the NAPAbench 2
# families when their directory exists). Prints one table per input: wall time, the elapsed-time
# figures of the console after reading, seeds and complexes, peak memory, and result counts.
# See bench/README.md.
set -u

REPO=$(cd "$(dirname "$0")/.." && pwd)
TIMEOUT=600
SCRATCH=""
KEEP=0
BUILD=1
SEED=1
RUNGS="3x1000,3x4000,3x8000,5x2000,10x300"
CONFIGS="tree,tree-pval,oriented,oriented-pval"
NAPA=auto
NAPA_SETS="n5cg1,n5dmc1,n5dmr1,n5st1,n8cg1"
BUILD_DIR="$REPO/build"

usage() {
  cat <<EOF
Usage: bench/run.sh [options]
  --quick            small subset: rungs 3x1000,10x300, configs tree,oriented, no NAPAbench, timeout 120 s
  --rungs LIST       synthetic inputs, SPECIESxPROTEINS, comma separated (default $RUNGS)
  --configs LIST     run configurations, comma separated, of: tree, tree-pval, oriented, oriented-pval
                     (default: all four)
  --napabench SETS   NAPAbench families to run, comma separated (default $NAPA_SETS)
  --no-napabench     skip the NAPAbench families
  --timeout SEC      time limit of one run (default $TIMEOUT)
  --scratch DIR      directory for inputs, logs and outputs (default: a new temporary directory)
  --keep             keep the scratch directory (always kept when given with --scratch)
  --seed N           generator seed (default $SEED)
  --no-build         do not run make first
  --build-dir DIR    where the binaries are (default build)
  -h, --help         this text
EOF
}

die() {
  echo "bench: $*" >&2
  exit 2
}

while [ $# -gt 0 ]; do
  case "$1" in
    --quick)
      RUNGS="3x1000,10x300"
      CONFIGS="tree,oriented"
      NAPA=no
      TIMEOUT=120
      shift
      ;;
    --rungs) RUNGS=${2:?--rungs needs a value}; shift 2 ;;
    --configs) CONFIGS=${2:?--configs needs a value}; shift 2 ;;
    --napabench) NAPA_SETS=${2:?--napabench needs a value}; NAPA=auto; shift 2 ;;
    --no-napabench) NAPA=no; shift ;;
    --timeout) TIMEOUT=${2:?--timeout needs a value}; shift 2 ;;
    --scratch) SCRATCH=${2:?--scratch needs a value}; KEEP=1; shift 2 ;;
    --keep) KEEP=1; shift ;;
    --seed) SEED=${2:?--seed needs a value}; shift 2 ;;
    --no-build) BUILD=0; shift ;;
    --build-dir) BUILD_DIR=${2:?--build-dir needs a value}; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; die "unknown option: $1" ;;
  esac
done

case "$TIMEOUT" in '' | *[!0-9]*) die "--timeout must be a whole number of seconds: $TIMEOUT" ;; esac
case "$SEED" in '' | *[!0-9]*) die "--seed must be a non-negative integer: $SEED" ;; esac
for c in ${CONFIGS//,/ }; do
  case "$c" in tree | tree-pval | oriented | oriented-pval) ;; *) die "unknown configuration: $c" ;; esac
done
for r in ${RUNGS//,/ }; do
  [[ "$r" =~ ^[0-9]+x[0-9]+$ ]] || die "a rung must read SPECIESxPROTEINS: $r"
done

case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
BIN="$BUILD_DIR/trellis2"
SYNTH="$BUILD_DIR/tools/trellis2_synth"
if [ "$BUILD" = 1 ]; then
  echo "== Building (make)"
  make -C "$REPO" BUILD_DIR="$BUILD_DIR" >/dev/null || die "make failed"
fi
[ -x "$BIN" ] || die "no trellis2 binary at $BIN (build it, or drop --no-build)"
[ -x "$SYNTH" ] || die "no generator at $SYNTH (build target trellis2_synth)"

if [ -z "$SCRATCH" ]; then
  SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/trellis2-bench.XXXXXX") || die "cannot create a scratch directory"
fi
mkdir -p "$SCRATCH/inputs" "$SCRATCH/logs" || die "cannot create $SCRATCH"
SCRATCH=$(cd "$SCRATCH" && pwd)
if [ "$KEEP" = 0 ]; then
  trap 'rm -rf "$SCRATCH"' EXIT
else
  echo "== Scratch directory: $SCRATCH"
fi
RESULTS="$SCRATCH/results.tsv"
printf 'input\tconfig\tstatus\twall_s\tread_s\tseeds_s\tcomplexes_s\tpeak_rss_mb\tseeds\tcomplexes\n' >"$RESULTS"

HAVE_GNU_TIME=0
if /usr/bin/time -v true >/dev/null 2>&1; then HAVE_GNU_TIME=1; fi

# "(0,(1,(2)))" for 3 species: a chain over all species.
orientChain() {
  local n=$1 s i
  s="($((n - 1)))"
  for ((i = n - 2; i >= 0; i--)); do s="($i,$s)"; done
  echo "$s"
}

configArgs() {
  local config=$1 species=$2
  case "$config" in
    tree) ;;
    tree-pval) echo "--pval-filter 1" ;;
    oriented) echo "-S: o -E: o --orient: $(orientChain "$species")" ;;
    oriented-pval) echo "-S: o -E: o --orient: $(orientChain "$species") --pval-filter 1" ;;
  esac
}

# Peak resident set size in kB of a process tree started in the background, polled from /proc
# while it runs (sampled every 0.2 s); used when GNU time is missing.
descendants() {
  local c
  for c in $(pgrep -P "$1" 2>/dev/null); do
    echo "$c"
    descendants "$c"
  done
}

pollPeak() {
  local pid=$1 peak=0 p v
  while kill -0 "$pid" 2>/dev/null; do
    for p in $pid $(descendants "$pid"); do
      v=$(awk '/^VmHWM:/ {print $2}' "/proc/$p/status" 2>/dev/null)
      [ -n "$v" ] && [ "$v" -gt "$peak" ] && peak=$v
    done
    sleep 0.2
  done
  echo "$peak"
}

# Elapsed-time figures of the real pass: the "Elapsed time" line after the network statistics,
# after the seed filtering and after the final complex statistics; later lines override earlier
# ones, so the random pass (which comes first) is not reported.
consoleFigures() {
  awk '
    /^Network statistics:/ { mark = "read" }
    /seeds after filtering/ { mark = "seeds"; split($0, f, " "); seeds = f[2] }
    /^Done, for [0-9]+ complexes/ { mark = "cplx"; cplx = $3 }
    /^Elapsed time: [0-9]+ sec/ { if (mark != "") { t[mark] = $3; mark = "" } }
    END {
      printf "%s\t%s\t%s\t%s\t%s\n", ("read" in t ? t["read"] : "-"), ("seeds" in t ? t["seeds"] : "-"),
        ("cplx" in t ? t["cplx"] : "-"), (seeds != "" ? seeds : "-"), (cplx != "" ? cplx : "-")
    }' "$1"
}

# runOne NAME SPECIES PREFIX CONFIG: one complete run; appends a row to the results and prints it.
runOne() {
  local name=$1 species=$2 prefix=$3 config=$4
  local tag="$name-$config" log="$SCRATCH/logs/$name-$config.log" mem="$SCRATCH/logs/$name-$config.mem"
  local out="$SCRATCH/out-$tag" start end status peak wall figures state
  # shellcheck disable=SC2046
  set -- $(configArgs "$config" "$species")
  rm -rf "$out"
  start=$(date +%s.%N)
  if [ "$HAVE_GNU_TIME" = 1 ]; then
    (cd "$SCRATCH" && /usr/bin/time -v -o "$mem" timeout "$TIMEOUT" "$BIN" "$species" "$prefix" "$out" "$@" \
      >"$log" 2>&1)
    status=$?
    peak=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$mem" 2>/dev/null)
  else
    (cd "$SCRATCH" && exec timeout "$TIMEOUT" "$BIN" "$species" "$prefix" "$out" "$@" >"$log" 2>&1) &
    local pid=$!
    peak=$(pollPeak "$pid")
    wait "$pid"
    status=$?
  fi
  end=$(date +%s.%N)
  wall=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
  case "$status" in
    0) state=ok ;;
    124) state=TIMEOUT ;;
    *) state="exit$status" ;;
  esac
  figures=$(consoleFigures "$log")
  local mb="-"
  [ -n "$peak" ] && [ "$peak" -gt 0 ] 2>/dev/null && mb=$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')
  IFS=$'\t' read -r rd sd cd ns nc <<<"$figures"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$config" "$state" "$wall" "$rd" "$sd" "$cd" "$mb" \
    "$ns" "$nc" >>"$RESULTS"
  printf '%-14s %-8s %8s %8s %8s %8s %10s %7s %9s\n' "$config" "$state" "$wall" "$rd" "$sd" "$cd" "$mb" "$ns" "$nc"
  [ "$KEEP" = 1 ] || rm -rf "$out"
}

tableHeader() {
  echo
  echo "== $1"
  printf '%-14s %-8s %8s %8s %8s %8s %10s %7s %9s\n' config status wall[s] read[s] seeds[s] cplx[s] \
    peak[MB] seeds complexes
}

runInput() {
  local name=$1 species=$2 prefix=$3 c
  for c in ${CONFIGS//,/ }; do runOne "$name" "$species" "$prefix" "$c"; done
}

echo "== trellis2: $BIN; time limit per run: ${TIMEOUT} s"
echo "   elapsed figures are the console's seconds since start after reading, seeds and complexes"

for rung in ${RUNGS//,/ }; do
  species=${rung%x*}
  proteins=${rung#*x}
  complexes=$((proteins / 100))
  [ "$complexes" -lt 6 ] && complexes=6
  prefix="inputs/synth-$rung"
  if ! "$SYNTH" --species "$species" --proteins "$proteins" --complexes "$complexes" --seed "$SEED" \
    --out "$SCRATCH/$prefix" >"$SCRATCH/logs/synth-$rung.log"; then
    echo
    echo "== $rung: generator failed: $(cat "$SCRATCH/logs/synth-$rung.log")"
    continue
  fi
  tableHeader "$rung: $species species x $proteins proteins, $complexes planted complexes (seed $SEED)"
  runInput "$rung" "$species" "$prefix"
done

if [ "$NAPA" = auto ]; then
  NAPA_DIR=""
  for d in /work/shared/data/napabench2 "$REPO/../shared/data/napabench2"; do
    [ -d "$d" ] && NAPA_DIR=$(cd "$d" && pwd) && break
  done
  if [ -z "$NAPA_DIR" ]; then
    echo
    echo "== NAPAbench 2 data not found; skipped"
  else
    for set in ${NAPA_SETS//,/ }; do
      species=0
      while [ -f "$NAPA_DIR/${set}_int-$species.txt" ]; do species=$((species + 1)); done
      if [ "$species" -lt 2 ] || [ ! -f "$NAPA_DIR/${set}_blast.txt.gz" ]; then
        echo
        echo "== $set: no input files in $NAPA_DIR; skipped"
        continue
      fi
      # Interactions are linked, similarities unpacked, so that one prefix names both.
      for ((i = 0; i < species; i++)); do ln -sf "$NAPA_DIR/${set}_int-$i.txt" "$SCRATCH/inputs/"; done
      gunzip -c "$NAPA_DIR/${set}_blast.txt.gz" >"$SCRATCH/inputs/${set}_blast.txt" || die "cannot unpack $set"
      tableHeader "$set: NAPAbench 2, $species species"
      runInput "$set" "$species" "inputs/$set"
    done
  fi
fi

if [ "$KEEP" = 1 ]; then
  echo
  echo "== Results (tab separated): $RESULTS; console logs: $SCRATCH/logs/"
fi
exit 0
