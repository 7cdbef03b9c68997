#!/usr/bin/env bash
# Succeeds when 32-bit Wine can start here. It must be installed (its i386
# packages may be missing from the package index) and the kernel must execute
# 32-bit x86 programs (some virtual machines' kernels are built without that
# support). When it cannot, says why on standard error.
loader=${KELVORA_WINE32_LOADER:-/usr/lib/wine/wine}
if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  echo "32-bit Wine (wine32:i386) is not installed" >&2
  exit 1
fi
if ! "$loader" --version >/dev/null 2>&1; then
  echo "32-bit Wine is installed but does not start: this kernel cannot execute 32-bit programs" >&2
  exit 1
fi
exit 0
