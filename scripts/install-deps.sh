#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the Windows build
# need. Run as root on Debian 12; a no-op when all are present.
set -euo pipefail

packages=(
    cmake g++ make pkg-config git
    libxcb1-dev libgtest-dev libgmock-dev
    xvfb xauth
    e2fsprogs strace
    clang-tidy cppcheck
    g++-mingw-w64-i686 mingw-w64-i686-dev
    wine wine32:i386
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
