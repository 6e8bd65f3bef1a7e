#!/usr/bin/env bash
# Installs the Debian packages the project needs. Run as root on Debian 12;
# a no-op when all are present.
#   install-deps.sh build   what building the Linux tool needs
#   install-deps.sh         everything: the tests, the analysers, the Windows
#                           build and Wine
set -euo pipefail

packages=(cmake g++ make pkg-config libxcb1-dev)
if [ "${1:-all}" != build ]; then
    packages+=(
        git libgtest-dev libgmock-dev
        xvfb xauth
        e2fsprogs strace
        dpkg-dev man-db groff-base gzip
        clang-tidy cppcheck
        g++-mingw-w64-i686 mingw-w64-i686-dev
        wine wine32:i386
    )
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q "${missing[@]}"
