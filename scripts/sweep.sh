#!/bin/sh
# A larger sweep of every job on every control than the test suite runs:
#   scripts/sweep.sh TEST_BINARY [SEED] [RUNS_PER_JOB]
# TEST_BINARY is the sweep's test program of a build, for example
# build/release/tests/kelvora_sweep_tests. Every failure is printed with the
# command line that reproduces it (run it in the source folder); the exit
# status is the test program's (0: no failure).
set -eu
if [ $# -lt 1 ] || [ $# -gt 3 ]; then
  echo "usage: $0 TEST_BINARY [SEED] [RUNS_PER_JOB]" >&2
  exit 2
fi
binary=$1
seed=${2:-1}
count=${3:-200}
case $seed$count in
  *[!0-9]*) echo "SEED and RUNS_PER_JOB are whole numbers" >&2; exit 2 ;;
esac
if [ ! -x "$binary" ]; then
  echo "not a program: $binary" >&2
  exit 2
fi
# Each cause's command line is shrunk to the inputs it needs, for up to ten minutes.
KELVORA_SWEEP_SEED=$seed KELVORA_SWEEP_COUNT=$count KELVORA_REQUIRE_RS274=1 \
  KELVORA_SWEEP_SHRINK_SECONDS=${KELVORA_SWEEP_SHRINK_SECONDS:-600} \
  exec "$binary" --gtest_filter='Sweep.RandomInputsOnEveryControl'
