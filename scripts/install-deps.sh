#!/usr/bin/env bash
# Installs the Debian packages that are missing. Safe to run again.
#
#   scripts/install-deps.sh main   what the command line and the web window need
#                                  (scripts/run.sh): compiler, CMake, Ninja, the
#                                  header libraries and the HTTP library
#   scripts/install-deps.sh        everything the tests need (scripts/test.sh),
#                                  the Windows cross-build, Wine and what makes
#                                  the packages included
#
# A package index that fails to download (a mirror in the middle of a sync) is
# a warning: the update is tried once more, then the script goes on with the
# indexes there are. The run fails only when a package it needs cannot be
# installed, and then names it. Where 32-bit Wine cannot be installed, or
# cannot start, the 64-bit Windows build and 64-bit Wine are installed instead
# and the log says why (scripts/test.sh then takes the 64-bit path).
set -uo pipefail

mode=${1:-all}
case $mode in
  main | all) ;;
  *)
    echo "usage: $0 [main|all]" >&2
    exit 2
    ;;
esac

main_packages=(cmake ninja-build g++ librapidxml-dev libcli11-dev libboost-dev pkg-config
  libcpp-httplib-dev nlohmann-json3-dev)
test_packages=(googletest libgtest-dev libbenchmark-dev libdxflib-dev clang-format librsvg2-bin
  clang-14 libclang-rt-14-dev valgrind linuxcnc-uspace python3-ezdxf python3-shapely chromium
  chromium-driver python3-selenium)
# The packages' makers and their test: the guide's HTML pages (the zip and the
# .deb), the manual page, the .deb's Depends line (dpkg-shlibdeps) and man, which
# the test reads the manual page with.
package_packages=(pandoc help2man dpkg-dev man-db)
windows_packages=(g++-mingw-w64-i686-posix wine xvfb imagemagick fonts-wine fonts-liberation2
  fonts-thai-tlwg)
wine32_packages=(wine32:i386)
wine64_packages=(g++-mingw-w64-x86-64-posix wine64)

here=$(cd "$(dirname "$0")" && pwd)
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

say() { echo "install-deps: $*"; }
warn() { echo "install-deps: warning: $*" >&2; }

missing_of() {
  local p
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || echo "$p"
  done
}

# The indexes are read once a run, and again after a new architecture is added.
index_fresh=0
update_index() {
  [ "$index_fresh" -eq 1 ] && return 0
  index_fresh=1
  local attempt
  for attempt in 1 2; do
    if "${sudo_cmd[@]}" apt-get update -q; then
      return 0
    fi
    warn "apt-get update failed (attempt $attempt of 2)"
  done
  warn "going on with the package indexes there are"
  return 0
}

# Installs the packages given that are missing. On failure leaves the names of
# the packages that could not be installed in failed_packages, and fails.
failed_packages=()
try_install() {
  failed_packages=()
  local missing
  mapfile -t missing < <(missing_of "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  update_index
  if "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    return 0
  fi
  # One at a time, to name the ones that cannot be had.
  local p
  for p in "${missing[@]}"; do
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "$p" || failed_packages+=("$p")
  done
  [ ${#failed_packages[@]} -eq 0 ]
}

require() {
  if ! try_install "$@"; then
    echo "install-deps: error: cannot install the package(s) needed: ${failed_packages[*]}" >&2
    exit 1
  fi
}

require "${main_packages[@]}"
if [ "$mode" = main ]; then
  exit 0
fi
require "${test_packages[@]}" "${package_packages[@]}" "${windows_packages[@]}"

# 32-bit Wine needs the i386 architecture and its whole set of i386 libraries,
# which a package index in the middle of a sync may not offer.
if [ -n "$(missing_of "${wine32_packages[@]}")" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    index_fresh=0
  fi
  if ! try_install "${wine32_packages[@]}"; then
    warn "32-bit Wine cannot be installed: ${failed_packages[*]} is not installable from the package indexes there are"
  fi
fi

if reason=$("$here/can-run-32bit.sh" 2>&1); then
  say "32-bit Wine starts: the Windows tests run on the 32-bit build"
else
  say "the Windows tests will run on the 64-bit build under 64-bit Wine: $reason"
  require "${wine64_packages[@]}"
fi
exit 0
