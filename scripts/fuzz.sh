#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and fuzzes each for a while,
# starting from the committed seeds; fails on the first crash, leak, sanitizer
# report or broken property.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# Default: 10 seconds for every target; a target also stops after 10 million
# executions. An input that takes longer than FUZZ_TIMEOUT seconds (default 10)
# is a finding like a crash: no input the targets take needs a second, and the
# 10 s leave room for a slow, busy machine. Inputs that failed are written to
# build/fuzz/findings/; new coverage stays in build/fuzz/corpus/ (the committed
# seeds in fuzz/corpus/ are not touched). A crash-*, timeout-*, oom-* or leak-*
# file that a target's run leaves at the top of the tree (as a fuzzer does where
# no prefix names another place) is moved into that target's folder under
# tests/fuzz/regressions/, which the test suite replays.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(dxf points_csv cuts_csv teach_csv profile numbers gcode outlines contour_plan
    job_circle job_grid job_surface job_dxf job_points job_thread job_cuts job_teach job_autogrid
    job_report)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_all

shopt -s nullglob
strays() { printf '%s\n' crash-* timeout-* oom-* leak-*; }
# Files already at the top belong to no run of this script: they stay.
before=$(strays)
if [ -n "$before" ]; then
  echo "*** left where they are (not from this run): $(echo $before)" >&2
fi
# Moves what the run of target $1 left at the top into its regression folder.
keep_findings() {
  local f
  for f in $(strays); do
    if ! grep -qxF -- "$f" <<<"$before"; then
      mkdir -p tests/fuzz/regressions/"$1"
      mv -- "$f" tests/fuzz/regressions/"$1"/
      echo "*** $f moved to tests/fuzz/regressions/$1/ (replayed by the tests)" >&2
    fi
  done
}

mkdir -p build/fuzz/findings
for t in "${targets[@]}"; do
  work=build/fuzz/corpus/$t
  mkdir -p "$work"
  options=(-max_total_time="$seconds" -runs=10000000 -print_final_stats=1
    -timeout="${FUZZ_TIMEOUT:-10}" -artifact_prefix=build/fuzz/findings/"$t"-)
  case $t in
    dxf | outlines) options+=(-dict=fuzz/dxf.dict -max_len=8192) ;;
  esac
  echo "== fuzz_$t for ${seconds}s"
  if ! build/fuzz/fuzz/fuzz_"$t" "${options[@]}" "$work" fuzz/corpus/"$t" \
      >build/fuzz/"$t".log 2>&1; then
    keep_findings "$t"
    tail -n 60 build/fuzz/"$t".log >&2
    echo "*** fuzz_$t failed; the input is in build/fuzz/findings/" >&2
    exit 1
  fi
  keep_findings "$t"
  grep -E "^stat::number_of_executed_units|DONE" build/fuzz/"$t".log | tail -2
done
