#!/usr/bin/env bash
# Runs each fuzz target given as argument for FUZZ_SECONDS seconds, starting
# from its committed seed corpus, and prints executions and findings per
# target. New inputs and findings stay in $BUILD; exits 1 on any finding.
set -uo pipefail
cd "$(dirname "$0")"
: "${FUZZ_SECONDS:=60}" "${BUILD:=../../build-fuzz}"

max_len() {
  case "$1" in
    orientation_fuzz) echo 256 ;;
    cmdline_fuzz) echo 1024 ;;
    *) echo 2048 ;;
  esac
}

total_findings=0
summary=()
for target in "$@"; do
  work="$BUILD/corpus/$target"
  artifacts="$BUILD/artifacts/$target"
  log="$BUILD/$target.log"
  mkdir -p "$work" "$artifacts"
  before=$(ls "$artifacts" | wc -l)
  echo "== $target: ${FUZZ_SECONDS}s"
  "$BUILD/$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len "$target")" -dict=fuzz.dict -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" "corpus/$target" >"$log" 2>&1
  status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  findings=$(( $(ls "$artifacts" | wc -l) - before ))
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
  if [ "$findings" -ne 0 ]; then
    echo "-- $target: finding (exit status $status), log $log:"
    grep -m 1 -A 30 -E "ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|harness invariant|Assertion failed" "$log" || tail -n 30 "$log"
  fi
  total_findings=$((total_findings + findings))
  summary+=("$(printf '%-18s %10s executions  %d findings' "$target" "${execs:-?}" "$findings")")
done

echo "== Fuzzing summary (${FUZZ_SECONDS}s per target)"
printf '%s\n' "${summary[@]}"
[ "$total_findings" -eq 0 ]
