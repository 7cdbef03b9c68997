#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the Linux build under
# AddressSanitizer and UndefinedBehaviorSanitizer, with warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset debug -DKELVORA_WERROR=ON
cmake --build --preset debug
ctest --preset debug
