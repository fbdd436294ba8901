#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix named by WINEPREFIX, quietly.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
