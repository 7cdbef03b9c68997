#!/usr/bin/env bash
# Installs what is missing, checks the C++ files' format, builds and runs every
# test: the Linux build under AddressSanitizer and UndefinedBehaviorSanitizer,
# the command line under Valgrind and its Debian package, a short run of every
# fuzz target, then the 32-bit Windows build under Wine, with warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each stage's time, printed at the end whether the run passes or fails, so a
# slow stage shows in the log.
stage_name=
stage_start=$SECONDS
stage_times=()
stage() {
  if [ -n "$stage_name" ]; then stage_times+=("$stage_name: $((SECONDS - stage_start)) s"); fi
  stage_name=$1
  stage_start=$SECONDS
}
print_stage_times() {
  stage ""
  echo "*** stage times:" >&2
  printf '***   %s\n' "${stage_times[@]}" >&2
  echo "***   all: $SECONDS s" >&2
}
trap print_stage_times EXIT

stage "set-up"
scripts/install-deps.sh
# LinuxCNC's interpreter was installed above: the tests that compare our motion
# model with it fail, rather than skip, when it is missing.
export KELVORA_REQUIRE_RS274=1
# Likewise Shapely and ezdxf, the independent geometry the contour and drawing
# tests compare with.
export KELVORA_REQUIRE_PYTHON_GEOMETRY=1

stage "format"
# Every C++ file as clang-format writes it (.clang-format): a difference fails.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
else
  find apps bench fuzz src tests \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run -Werror
fi

stage "debug build"
cmake --preset debug -DKELVORA_WERROR=ON
cmake --build --preset debug
stage "debug tests"
# Two at a time, as the machine has two cores: the Linux tests keep their
# files, ports and browser profiles apart, and run side by side without a clash.
ctest --preset debug --parallel 2

stage "release build, Valgrind, package"
# The command-line cases once more under Valgrind, on the release build.
# The tests and benchmarks are switched on again here, as scripts/run.sh
# configures the same build without them.
cmake --preset release -DKELVORA_WERROR=ON -DKELVORA_VALGRIND=ON -DKELVORA_TESTS=ON -DKELVORA_BENCH=ON
cmake --build --preset release --target kelvora
ctest --preset release -R cli_golden_valgrind
# The Debian package from the same build: deb_package_build packs it (the guide's
# pages, the manual page, the stripped program; nothing more is compiled), and
# deb_package unpacks it and runs every sample with the unpacked program.
ctest --preset release -R deb_package

stage "fuzz"
# Every fuzz target for a short while (clang-14, libFuzzer); any finding fails.
scripts/fuzz.sh 10

stage "windows"
# The product's target is always built. Its tests need 32-bit Wine, which only
# starts where the kernel executes 32-bit programs; elsewhere the same tests run
# on the 64-bit Windows build under 64-bit Wine, and the run says so.
cmake --preset windows -DKELVORA_WERROR=ON
cmake --build --preset windows
if why=$(scripts/can-run-32bit.sh 2>&1); then
  echo "*** 32-bit Wine starts: the Windows tests run on the 32-bit build." >&2
  ctest --preset windows
else
  echo "*** $why." >&2
  echo "*** The 32-bit Windows build was compiled but not run; its tests run on the" >&2
  echo "*** 64-bit Windows build under 64-bit Wine instead." >&2
  cmake --preset windows64 -DKELVORA_WERROR=ON
  cmake --build --preset windows64
  ctest --preset windows64
fi
