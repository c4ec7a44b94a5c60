# shellcheck shell=bash
# Shell functions shared by bench/compare.sh and bench/threads.sh: making the inputs, one timed
# run with its phases and peak memory, reusing finished runs, and comparing results.
# Sourced, not run. The sourcing script defines die() and sets:
#   SCRATCH   directory of inputs/, logs/, runs/ (absolute)
#   SYNTH     the data generator
#   TIMEOUT   time limit of one run in seconds
#   DATA_DIRS directories whose subdirectories hold the real data sets (space separated)
# Run RUN keeps its console, timestamped line by line, in logs/RUN.log, GNU time's report in
# logs/RUN.log.mem, "STATUS PEAK_MB PHASES..." in logs/RUN.row, what it ran in logs/RUN.meta, and
# its output directory in runs/RUN/.

# Checks for the programs the functions need.
requireTools() {
  /usr/bin/time -v true >/dev/null 2>&1 || die "GNU time (/usr/bin/time) is needed for the peak memory"
  command -v perl >/dev/null || die "perl is needed to time the phases"
  command -v cksum >/dev/null || die "cksum is needed to recognise finished runs"
}

absolutePath() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }

# The default data roots: shared/data beside the repository, then /work/shared/data.
defaultDataDirs() {
  local d
  for d in "$REPO/../shared/data" /work/shared/data; do
    [ -d "$d" ] && (cd "$d" && pwd)
  done | awk '!seen[$0]++' | tr '\n' ' '
}

# Complexes planted in a synthetic input of P proteins per species: one per 100 proteins, at least
# 6, at most what the generator allows (P/20).
plantedComplexes() {
  local n=$(($1 / 100 > 6 ? $1 / 100 : 6))
  echo $((n < $1 / 20 ? n : $1 / 20))
}

# generate NAME ARGS...: a synthetic input from the generator, seed 1.
generate() {
  local name=$1
  shift
  [ -x "$SYNTH" ] || die "no generator at $SYNTH (build target trellis2_synth, or --synth BIN)"
  "$SYNTH" "$@" --seed 1 --out "$SCRATCH/inputs/$name" >"$SCRATCH/logs/synth-$name.log" ||
    die "generator failed for $name: $(head -n 1 "$SCRATCH/logs/synth-$name.log")"
}

# linkDataSet NAME: a data set found in a subdirectory of a data root, its interaction files linked
# and its similarity file unpacked (or linked) into the scratch directory; prints the species.
linkDataSet() {
  local name=$1 root d dir="" species=0 i
  for root in $DATA_DIRS; do
    for d in "$root"/*/; do
      [ -f "$d${name}_int-0.txt" ] && dir=${d%/} && break 2
    done
  done
  [ -n "$dir" ] || die "unknown input $name: not a synthetic name, and no ${name}_int-0.txt under ${DATA_DIRS:-any data directory}"
  while [ -f "$dir/${name}_int-$species.txt" ]; do species=$((species + 1)); done
  [ "$species" -ge 2 ] || die "$name: only one interaction file in $dir"
  for ((i = 0; i < species; i++)); do ln -sf "$dir/${name}_int-$i.txt" "$SCRATCH/inputs/" || die "cannot link $name"; done
  if [ -f "$dir/${name}_blast.txt.gz" ]; then
    gunzip -c "$dir/${name}_blast.txt.gz" >"$SCRATCH/inputs/${name}_blast.txt" || die "cannot unpack $dir/${name}_blast.txt.gz"
  elif [ -f "$dir/${name}_blast.txt" ]; then
    ln -sf "$dir/${name}_blast.txt" "$SCRATCH/inputs/" || die "cannot link $name"
  else
    die "$name: no ${name}_blast.txt(.gz) in $dir"
  fi
  echo "$species"
}

# prepareInput NAME: writes or links the input set NAME into the scratch directory and prints
# "SPECIES PREFIX". Names:
#   sSxP[dD]         synthetic, sparse background, D extra similarity links per protein and species;
#                    s10x1000 is the generator's defaults for 10 species x 1000 proteins
#   dSxP[mM][hH][sL] synthetic, dense background of mean degree M (default 22) and hub degree H
#                    (default the generator's: a tenth of P), L extra similarity links per protein
#                    and species (default 0)
#   anything else    a data set NAME_int-<i>.txt / NAME_blast.txt[.gz] under a data root
prepareInput() {
  local name=$1 species proteins dense mean hub
  if [[ "$name" =~ ^s([0-9]+)x([0-9]+)(d([0-9]+))?$ ]]; then
    species=${BASH_REMATCH[1]}
    proteins=${BASH_REMATCH[2]}
    dense=${BASH_REMATCH[4]}
    if [ -z "$dense" ]; then
      case "$name" in s4x900) dense=3 ;; s5x3000) dense=1 ;; *) dense=0 ;; esac
    fi
    if [ "$name" = s10x1000 ]; then
      generate "$name" --species 10 --proteins 1000  # the generator's defaults
    else
      generate "$name" --species "$species" --proteins "$proteins" --complexes "$(plantedComplexes "$proteins")" \
        --dense "$dense"
    fi
  elif [[ "$name" =~ ^d([0-9]+)x([0-9]+)(m([0-9]+(\.[0-9]+)?))?(h([0-9]+))?(s([0-9]+))?$ ]]; then
    species=${BASH_REMATCH[1]}
    proteins=${BASH_REMATCH[2]}
    mean=${BASH_REMATCH[4]:-22}
    hub=${BASH_REMATCH[7]}
    dense=${BASH_REMATCH[9]:-0}
    generate "$name" --species "$species" --proteins "$proteins" --complexes "$(plantedComplexes "$proteins")" \
      --mean-degree "$mean" ${hub:+--hub-degree "$hub"} --dense "$dense"
  else
    species=$(linkDataSet "$name") || exit 2
  fi
  echo "$species $SCRATCH/inputs/$name"
}

# prepareInputs LIST: every input of the comma-separated LIST prepared, its species, prefix and
# checksum put into the caller's associative arrays SPECIES, PREFIX and INPUT_SUM.
prepareInputs() {
  local name made species prefix
  for name in ${1//,/ }; do
    made=$(prepareInput "$name") || return 1
    read -r species prefix <<<"$made"
    SPECIES[$name]=$species
    PREFIX[$name]=$prefix
    INPUT_SUM[$name]=$(inputChecksum "$species" "$prefix")
  done
}

# inputChecksum SPECIES PREFIX: one checksum of all files of an input set.
inputChecksum() {
  local i files=()
  for ((i = 0; i < $1; i++)); do files+=("$2_int-$i.txt"); done
  cat "${files[@]}" "$2_blast.txt" | cksum | tr ' ' '-'
}

fileChecksum() { cksum <"$1" | tr ' ' '-'; }

# "(0,(1,(2)))" for 3 species: a chain over all species.
orientChain() {
  local n=$1 s i
  s="($((n - 1)))"
  for ((i = n - 2; i >= 0; i--)); do s="($i,$s)"; done
  echo "$s"
}

knownConfig() { case "$1" in tree | tree-pval | oriented | oriented-pval) return 0 ;; *) return 1 ;; esac; }

configArgs() {
  case "$1" in
    tree) ;;
    tree-pval) echo "--pval-filter 1" ;;
    oriented) echo "-S: o -E: o --orient: $(orientChain "$2")" ;;
    oriented-pval) echo "-S: o -E: o --orient: $(orientChain "$2") --pval-filter 1" ;;
    *) die "unknown configuration: $1" ;;
  esac
}

# Seconds of each phase, from the times the console lines appeared (the console's own "Elapsed
# time" has whole seconds only): "read random seeds complexes refine write total". random is the
# random pass of --pval-filter (0 without one); seeds, complexes and refine (with the filters
# before it) are the real pass's. A phase the run did not finish is "-".
phases() {
  awk '
    function span(a, b) { return (a != "" && b != "") ? sprintf("%.2f", b - a) : "-" }
    NR == 1 { t0 = $1 }
    { t = $1; sub(/^[^ ]+ /, "") }
    /^Ok$/ && rd == "" { rd = t }
    /^Cloning network:/ { rnd0 = t }
    /^\*\* Processing real biological network \*\*/ { rnd1 = t; s0 = s1 = c0 = c1 = r1 = "" }
    /^Looking for seeds\.\./ { s0 = t }
    /seeds after filtering/ { s1 = t }
    /^Looking for complexes\.\./ { c0 = t }
    /^Done, [0-9]+ complexes found/ { c1 = t }
    /^Done, for [0-9]+ complexes/ { r1 = t }
    /FINISHED/ { w1 = t }
    END {
      if (NR == 0) { print "- - - - - - -"; exit }
      if (rnd0 != "" && rnd1 != "") random = span(rnd0, rnd1); else random = (rnd0 != "" ? "-" : "0.00")
      print span(t0, rd), random, span(s0, s1), span(c0, c1), span(c1, r1), span(r1, w1), span(t0, w1)
    }' "$1"
}

# runOnce BIN SPECIES PREFIX OUT LOG EXTRA...: one timed run, its stdout lines timestamped as they
# arrive; prints "STATUS PEAK_MB" (status 124: stopped by the time limit).
runOnce() {
  local bin=$1 species=$2 prefix=$3 out=$4 log=$5 status kb
  shift 5
  rm -rf "$out"
  set -o pipefail
  /usr/bin/time -v -o "$log.mem" timeout "$TIMEOUT" "$bin" "$species" "$prefix" "$out" "$@" 2>/dev/null |
    perl -MTime::HiRes=time -ne '$|=1; printf "%.3f %s", time, $_' >"$log"
  status=$?
  set +o pipefail
  kb=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$log.mem")
  echo "$status $(awk -v k="${kb:-0}" 'BEGIN { printf "%.0f", k / 1024 }')"
}

# recordedRun RUN REUSE KEY BIN SPECIES PREFIX ARG...: run RUN, unless REUSE is yes and a finished
# run of the same KEY (binary, input and arguments) is recorded; a run stopped by the time limit
# is reused only under a limit no longer than its own. All runs write to one output path, so that
# their consoles can be compared; the output directory is then moved to runs/RUN.
recordedRun() {
  local run=$1 reuse=$2 key=$3 bin=$4 species=$5 prefix=$6 st mb
  shift 6
  local log="$SCRATCH/logs/$run.log" row="$SCRATCH/logs/$run.row" meta="$SCRATCH/logs/$run.meta"
  if [ "$reuse" = yes ] && [ -s "$row" ] && [ -d "$SCRATCH/runs/$run" ]; then
    if [ ! -f "$meta" ]; then
      note "$run: reused (recorded without its binary and input checksums)"
      return
    fi
    if [ "$(sed -n 's/^key=//p' "$meta")" = "$key" ]; then
      local limit
      limit=$(sed -n 's/^timeout=//p' "$meta")
      if [ "$(awk '{ print $1 }' "$row")" != 124 ] || [ "${limit:-0}" -ge "$TIMEOUT" ]; then
        note "$run: reused"
        return
      fi
    fi
  fi
  rm -f "$row" "$meta"
  note "$run: running (limit $TIMEOUT s)"
  read -r st mb <<<"$(runOnce "$bin" "$species" "$prefix" "$SCRATCH/out" "$log" "$@")"
  rm -rf "$SCRATCH/runs/$run"
  mkdir -p "$SCRATCH/runs"
  mv "$SCRATCH/out" "$SCRATCH/runs/$run" 2>/dev/null || mkdir -p "$SCRATCH/runs/$run"
  printf 'key=%s\ntimeout=%s\nbinary=%s\nargs=%s\n' "$key" "$TIMEOUT" "$bin" "$*" >"$meta"
  # The row last: a run interrupted before it is not taken as finished.
  echo "$st $mb $(phases "$log")" >"$row.tmp" && mv "$row.tmp" "$row"
  note "$run: status $st, $(awk '{ print $NF }' "$row") s, $mb MB"
}

note() { echo "   $*" >&2; }

# Wall-clock seconds of a run, from its /usr/bin/time -v report.
wallSeconds() {
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$1"
}

# The median of the numbers on standard input ("-" lines, unfinished phases, are left out).
median() { grep -E '^[0-9.]+$' | sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else print v[int((NR + 1) / 2)] }'; }

# sameResults LOG_A LOG_B OUT_A OUT_B: whether two runs gave the same console (elapsed seconds,
# build stamp and command line aside) and the same alignment and species files.
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
