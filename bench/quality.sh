#!/usr/bin/env bash
# Result quality: one trellis2 binary runs one input under one or more option strings; each run is
# annotated by trellis2-annotate with matched random controls (GO enrichment from Debian's
# annotation packages on the real sets, recovery of a proxy reference of human complexes or of the
# planted complexes of a synthetic set), and the figures per species are printed side by side for
# the settings. See bench/README.md, "Result quality".
set -u

REPO=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
. "$REPO/bench/lib.sh"
BIN="$REPO/build/trellis2"
ANNOTATE=""
SYNTH="$REPO/build/tools/trellis2_synth"
INPUT=""
SETTINGS=()
CONTROLS=100
SEED=1
TAXA=""
TIMEOUT=3600
SCRATCH=""
ANNOTATIONS=""
REUSE=no
DATA_DIRS=""
PY=python3

usage() {
  cat <<EOF
Usage: bench/quality.sh --input NAME [options]
  --input NAME       a data set (nc3, nc4, nc5, nc5h: real, GO-annotated; n5cg1, ...: structure only),
                     a synthetic input as for bench/compare.sh (sSxP[dD], dSxP[mM][hH][sL]: the
                     planted complexes are the reference), or a path prefix PREFIX of
                     PREFIX_int-<i>.txt and PREFIX_blast.txt[.gz] (PREFIX_truth.txt of the generator,
                     when there, is the reference)
  --options STR      trellis2 options of one setting, e.g. "-DUP: 15"; repeat to compare settings
                     (default: one setting, the defaults)
  --bin BIN          the trellis2 binary (default build/trellis2)
  --annotate BIN     trellis2-annotate (default: beside the trellis2 binary)
  --controls N       random connected groups per complex and species (default $CONTROLS)
  --seed S           seed of the controls (default $SEED)
  --taxa LIST        NCBI taxa of the species, comma separated, 9606 (human: org.Hs.eg.db and the
                     proxy reference) or any other (Swiss-Prot GO of metastudent-data), 0 for none;
                     default for nc3, nc4, nc4ev, nc5, nc5h: yeast, fly, worm, mouse, human in
                     their order; none for other inputs
  --timeout SEC      time limit of one trellis2 run (default $TIMEOUT)
  --scratch DIR      keep inputs, annotations, runs and figures there (default: a temporary directory)
  --annotations DIR  the converted annotations (default SCRATCH/annotations; made when missing)
  --reuse            with --scratch: take a finished run of the same binary, input and options
  --synth BIN        the data generator (default build/tools/trellis2_synth)
  --data DIR         a directory whose subdirectories hold data sets (repeatable)
  -h, --help         this text
EOF
}

die() {
  echo "quality: $*" >&2
  exit 2
}

while [ $# -gt 0 ]; do
  case "$1" in
    --input) INPUT=${2:?}; shift 2 ;;
    --options) SETTINGS+=("${2?}"); shift 2 ;;
    --bin) BIN=${2:?}; shift 2 ;;
    --annotate) ANNOTATE=${2:?}; shift 2 ;;
    --controls) CONTROLS=${2:?}; shift 2 ;;
    --seed) SEED=${2:?}; shift 2 ;;
    --taxa) TAXA=${2:?}; shift 2 ;;
    --timeout) TIMEOUT=${2:?}; shift 2 ;;
    --scratch) SCRATCH=${2:?}; shift 2 ;;
    --annotations) ANNOTATIONS=${2:?}; shift 2 ;;
    --reuse) REUSE=yes; shift ;;
    --synth) SYNTH=${2:?}; shift 2 ;;
    --data) DATA_DIRS="$DATA_DIRS $(cd "${2:?}" && pwd)" || die "no directory $2"; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; die "unknown option: $1" ;;
  esac
done
[ -n "$INPUT" ] || { usage >&2; die "--input is required"; }
[ ${#SETTINGS[@]} -gt 0 ] || SETTINGS=("")
[ -x "$BIN" ] || die "not an executable: $BIN"
BIN=$(absolutePath "$BIN")
[ -n "$ANNOTATE" ] || ANNOTATE="$(dirname "$BIN")/trellis2-annotate"
[ -x "$ANNOTATE" ] || die "not an executable: $ANNOTATE (--annotate BIN)"
case "$CONTROLS" in '' | *[!0-9]*) die "--controls must be a whole number" ;; esac
case "$TIMEOUT" in '' | *[!0-9]* | 0) die "--timeout must be a positive whole number of seconds" ;; esac
command -v "$PY" >/dev/null || die "python3 is needed for the figures"
requireTools
[ -n "$DATA_DIRS" ] || DATA_DIRS=$(defaultDataDirs)
[ "$REUSE" = no ] || [ -n "$SCRATCH" ] || die "--reuse needs --scratch"
if [ -z "$SCRATCH" ]; then
  SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/trellis2-quality.XXXXXX") || die "no scratch directory"
  trap 'rm -rf "$SCRATCH"' EXIT
fi
mkdir -p "$SCRATCH/inputs" "$SCRATCH/logs" || die "cannot create $SCRATCH"
SCRATCH=$(cd "$SCRATCH" && pwd)
[ -n "$ANNOTATIONS" ] || ANNOTATIONS="$SCRATCH/annotations"
mkdir -p "$ANNOTATIONS" || die "cannot create $ANNOTATIONS"
ANNOTATIONS=$(cd "$ANNOTATIONS" && pwd)
HELPERS="$REPO/bench/quality"

# A path prefix is linked into the scratch directory like a data set.
linkPrefix() {
  local prefix=$1 name species=0 i
  name=$(basename "$prefix")
  while [ -f "${prefix}_int-$species.txt" ]; do species=$((species + 1)); done
  [ "$species" -ge 2 ] || die "$prefix: fewer than two interaction files ${prefix}_int-<i>.txt"
  for ((i = 0; i < species; i++)); do ln -sf "$(absolutePath "${prefix}_int-$i.txt")" "$SCRATCH/inputs/"; done
  if [ -f "${prefix}_blast.txt" ]; then
    ln -sf "$(absolutePath "${prefix}_blast.txt")" "$SCRATCH/inputs/"
  elif [ -f "${prefix}_blast.txt.gz" ]; then
    gunzip -c "${prefix}_blast.txt.gz" >"$SCRATCH/inputs/${name}_blast.txt" || die "cannot unpack ${prefix}_blast.txt.gz"
  else
    die "$prefix: no ${prefix}_blast.txt(.gz)"
  fi
  [ -f "${prefix}_truth.txt" ] && ln -sf "$(absolutePath "${prefix}_truth.txt")" "$SCRATCH/inputs/"
  echo "$species $SCRATCH/inputs/$name"
}

if [[ "$INPUT" == */* ]]; then
  made=$(linkPrefix "$INPUT") || exit 2
else
  made=$(prepareInput "$INPUT") || exit 2
fi
read -r SPECIES PREFIX <<<"$made"
NAME=$(basename "$PREFIX")

if [ -z "$TAXA" ]; then
  case "$NAME" in
    nc3) TAXA=4932,7227,6239 ;;
    nc4 | nc4ev) TAXA=4932,7227,6239,10090 ;;
    nc5 | nc5h) TAXA=4932,7227,6239,10090,9606 ;;
  esac
fi
IFS=, read -ra TAXON <<<"$TAXA"
[ ${#TAXON[@]} -eq 0 ] || [ ${#TAXON[@]} -eq "$SPECIES" ] ||
  die "--taxa lists ${#TAXON[@]} taxa, $NAME has $SPECIES species"
taxonName() {
  case "$1" in
    4932) echo yeast ;; 7227) echo fly ;; 6239) echo worm ;; 10090) echo mouse ;; 9606) echo human ;;
    0) echo "" ;; *) echo "taxon $1" ;;
  esac
}

# The annotations of every species with a taxon, and the references: the proxy for human, the
# planted complexes of a synthetic set.
ANNOTATE_ARGS=(--controls "$CONTROLS" --seed "$SEED")
NAMES=""
needGo=no
for ((s = 0; s < SPECIES; s++)); do
  t=${TAXON[$s]:-0}
  NAMES="$NAMES${NAMES:+,}$(taxonName "$t")"
  [ "$t" = 0 ] || needGo=yes
done
if [ "$needGo" = yes ]; then
  [ -f "$ANNOTATIONS/go.obo" ] || $PY "$HELPERS/annotations.py" ontology --out "$ANNOTATIONS/go.obo" ||
    die "no ontology: install the annotation packages with 'make deps-quality'"
  ANNOTATE_ARGS+=(--obo "$ANNOTATIONS/go.obo")
  for ((s = 0; s < SPECIES; s++)); do
    t=${TAXON[$s]}
    [ "$t" = 0 ] && continue
    source=swissprot
    [ "$t" = 9606 ] && source=human
    gaf="$ANNOTATIONS/${NAME}_$s.gaf"
    [ -f "$gaf" ] || $PY "$HELPERS/annotations.py" "$source" --out "$gaf" --proteins "${PREFIX}_int-$s.txt" ||
      die "no annotations for species $s: install the annotation packages with 'make deps-quality'"
    ANNOTATE_ARGS+=(--gaf "$s=$gaf")
    if [ "$t" = 9606 ]; then
      [ -f "$ANNOTATIONS/proxy_human.txt" ] ||
        $PY "$HELPERS/annotations.py" proxy --out "$ANNOTATIONS/proxy_human.txt" || die "no proxy reference"
      ANNOTATE_ARGS+=(--reference "$s=$ANNOTATIONS/proxy_human.txt")
    fi
  done
fi
if [ -f "${PREFIX}_truth.txt" ]; then
  $PY "$HELPERS/figures.py" truth "${PREFIX}_truth.txt" "$SCRATCH/inputs/${NAME}_planted" >/dev/null ||
    die "cannot read ${PREFIX}_truth.txt"
  for ((s = 0; s < SPECIES; s++)); do
    [ "${TAXON[$s]:-0}" = 9606 ] && continue  # the proxy reference
    [ -f "$SCRATCH/inputs/${NAME}_planted_$s.txt" ] && ANNOTATE_ARGS+=(--reference "$s=$SCRATCH/inputs/${NAME}_planted_$s.txt")
  done
fi

# The size cap of a setting: its --max-size, else the method's 15.
sizeCap() {
  local cap=15 prev="" word
  for word in $1; do
    [ "$prev" = --max-size ] && cap=$word
    prev=$word
  done
  echo "$cap"
}

FIGURES="$SCRATCH/quality-$NAME.tsv"
rm -f "$FIGURES"
BIN_SUM=$(fileChecksum "$BIN")
INPUT_SUM=$(inputChecksum "$SPECIES" "$PREFIX")
for options in "${SETTINGS[@]}"; do
  label=${options:-defaults}
  run="$NAME-q-$(echo "$label" | tr -c 'A-Za-z0-9.\n' '_')"
  # shellcheck disable=SC2206
  args=($options)
  recordedRun "$run" "$REUSE" "$BIN_SUM $INPUT_SUM ${args[*]}" "$BIN" "$SPECIES" "$PREFIX" "${args[@]}"
  read -r status _ <"$SCRATCH/logs/$run.row"
  [ "$status" = 0 ] || die "$label: trellis2 exited with status $status (log: $SCRATCH/logs/$run.log)"
  "$ANNOTATE" "$SCRATCH/runs/$run" "${ANNOTATE_ARGS[@]}" >"$SCRATCH/logs/$run.annotate.log" 2>&1 ||
    die "$label: trellis2-annotate failed: $(tail -n 1 "$SCRATCH/logs/$run.annotate.log")"
  note "$run: annotated"
  $PY "$HELPERS/figures.py" collect --run "$SCRATCH/runs/$run" --species "$SPECIES" --input "$NAME" \
    --setting "$label" --names="$NAMES" --cap "$(sizeCap "$options")" --out "$FIGURES" ||
    die "$label: no figures"
done

echo "== $NAME: $SPECIES species; $CONTROLS controls per complex and species (seed $SEED)"
$PY "$HELPERS/figures.py" show "$FIGURES" || exit 1
echo "(figures: $FIGURES)"
