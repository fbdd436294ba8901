#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build
"$root/scripts/build.sh" Release
cd "$root/build/release"
ctest --output-on-failure "$@"
