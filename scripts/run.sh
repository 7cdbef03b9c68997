#!/usr/bin/env bash
# Installs what is missing, builds the release command line and runs the main
# job: the circle-drilling program with the default inputs. Extra arguments are
# passed to the job (for instance CirR=40 Cirn=6).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kelvora >/dev/null
exec build/release/apps/kelvora/kelvora circle "$@"
