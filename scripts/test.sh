#!/usr/bin/env bash
# Everything the project checks: installs what the tests need, then builds
# and runs the Linux suite, the same suite under AddressSanitizer/UBSan, the
# static analysers, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
    scripts/install-deps.sh
fi

jobs=$(nproc)

echo "== Linux build and tests"
cmake --preset default -DAFTERSETUP_WERROR=ON -DAFTERSETUP_TESTS=ON
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

echo "== Static analysis"
scripts/lint.sh

echo "== AddressSanitizer and UBSan"
cmake --preset asan -DAFTERSETUP_WERROR=ON -DAFTERSETUP_TESTS=ON
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

scripts/test-win32.sh
