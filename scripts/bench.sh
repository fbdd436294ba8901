#!/usr/bin/env bash
# Builds Release and runs one benchmark program under Wine in its own prefix.
#   bench.sh <name> [arguments...]     e.g. bench.sh replace_bench
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?usage: bench.sh <name> [arguments...]}
shift
"$root/scripts/install-deps.sh" build
"$root/scripts/build.sh" Release "$name"
prefix=$root/build/release/wine-bench
"$root/scripts/wine-prefix.sh" start "$prefix" null
trap '"$root/scripts/wine-prefix.sh" stop "$prefix"' EXIT
WINEPREFIX=$prefix "$root/scripts/wine-run.sh" "$root/build/release/bench/$name.exe" "$@"
