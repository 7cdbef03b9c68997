#!/usr/bin/env bash
# Succeeds when 32-bit Wine can start here: the kernel must execute 32-bit x86
# programs (some virtual machines' kernels are built without that support).
exec /usr/lib/wine/wine --version >/dev/null 2>&1
