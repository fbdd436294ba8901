#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need, and only those that are
# missing, so that a second run installs nothing.
#   install-deps.sh build    cross compiler, CMake, Ninja, GoogleTest sources, Wine, help compiler
#   install-deps.sh run      the above, plus a virtual X server and screenshot tools
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest wine wine64 fonts-wine fp-utils)
if [ "${1:-build}" = run ]; then
    packages+=(xvfb x11-utils xdotool imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
