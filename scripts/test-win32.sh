#!/usr/bin/env bash
# The Windows build and its suite: cross-compiles aftersetup.exe and the
# suite's Win32 helpers with the win32 preset (MinGW-w64 i686), builds the
# suite's driver for the host, and runs it: the .exe under Wine in a prefix
# of its own (build-win32/wine-prefix, made on first use), with an Xvfb of
# its own for the helpers' windows.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

echo "== Windows build and tests under Wine"
cmake --preset win32 -DAFTERSETUP_WERROR=ON
cmake --build --preset win32 -j "$jobs"
ctest --preset win32 -L wine
