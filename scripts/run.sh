#!/usr/bin/env bash
# Installs what is missing (the compiler, CMake, Ninja, the header and HTTP libraries:
# no Wine, no cross-compiler, no test libraries), builds the release command line
# (and the web window, `kelvora window`) and runs the main job: the circle-drilling
# program with the default inputs.
# Extra arguments are passed to the job (for instance CirR=40 Cirn=6).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh main >&2
cmake --preset release -DKELVORA_TESTS=OFF -DKELVORA_BENCH=OFF >/dev/null
cmake --build --preset release --target kelvora kelvora-window >/dev/null
exec build/release/apps/kelvora/kelvora circle "$@"
