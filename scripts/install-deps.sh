#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the Windows cross-build
# need, when any is missing. Safe to run again.
set -euo pipefail

linux_packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev librapidxml-dev
  libcli11-dev libdxflib-dev clang-format librsvg2-bin clang-14 libclang-rt-14-dev valgrind)
windows_packages=(g++-mingw-w64-i686-posix wine wine32:i386 xvfb imagemagick fonts-wine
  fonts-liberation2 fonts-thai-tlwg)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

install() {
  local missing=()
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
}

install "${linux_packages[@]}" "${windows_packages[@]}"

# Where the kernel cannot execute 32-bit programs, the Windows tests run on a
# 64-bit build under 64-bit Wine (scripts/test.sh).
if ! "$(dirname "$0")/can-run-32bit.sh"; then
  install g++-mingw-w64-x86-64-posix wine64
fi
