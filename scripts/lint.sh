#!/usr/bin/env bash
# Static analysis of the tool's own code: clang-tidy over the Linux build's
# compile commands, cppcheck over every backend. Needs build/ configured.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files ':(glob)app/*.cpp' ':(glob)launch/*.cpp' ':(glob)cleanup/*.cpp' ':(glob)platform/*.cpp' ':(glob)platform/posix/*.cpp')

echo "== clang-tidy"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
clang-tidy -p build --quiet "${sources[@]}" >"$log" 2>&1 || status=$?
grep -v 'warnings generated' "$log" || true
[ "$status" -eq 0 ] || exit "$status"

echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --std=c++17 --language=c++ \
    --enable=warning,performance,portability,style --inline-suppr \
    --suppress=missingIncludeSystem \
    -I . app launch cleanup platform
