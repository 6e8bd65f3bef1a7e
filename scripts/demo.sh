#!/usr/bin/env bash
# Builds aftersetup and shows its main job on a generated leftover directory:
# a setup's temporary folder holding a read-only file, a hidden file, a
# follow-up program and a subdirectory the tool may not remove, inside an
# otherwise empty parent.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
    scripts/install-deps.sh build
fi
cmake --preset default -DAFTERSETUP_TESTS=OFF >/dev/null
cmake --build --preset default --target aftersetup -j "$(nproc)" >/dev/null
tool=$PWD/build/aftersetup

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
parent=$work/Setup-1234
target=$parent/Temp
mkdir -p "$target/logs"
echo "setup log" >"$target/logs/setup.log"
echo "[Setup]" >"$target/setup.ini"
chmod 0444 "$target/setup.ini"
echo "cache" >"$target/.cache"
# The follow-up program gets no arguments; the environment tells it where
# to leave its trace, outside the directory being cleaned.
cat >"$target/register.sh" <<'SCRIPT'
#!/bin/sh
echo "register.sh ran in $(pwd)" >>"$DEMO_TRACE"
SCRIPT
chmod 0755 "$target/register.sh"

show() {
    (cd "$work" && find . -mindepth 1 -printf '  %M  %p\n' | sort -k2)
}

echo "Before:"
show
echo
echo "Running: aftersetup $target \"Example Setup\" register.sh"
echo "(no setup window is open, so it starts at once; the subdirectory costs a 3 s pause)"
echo "Its standard error:"
set +e
env -u DISPLAY DEMO_TRACE="$work/trace.txt" "$tool" "$target" "Example Setup" register.sh 2>&1 |
    sed 's/^/  /'
status=${PIPESTATUS[0]}
set -e
echo "Its exit status: $status"
echo
echo "Trace left by the follow-up program:"
sed 's/^/  /' "$work/trace.txt"
echo
echo "After:"
show
