#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix named by WINEPREFIX, quietly.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine only uses a trash folder under XDG_DATA_HOME when that folder exists.
if [ -n "${XDG_DATA_HOME:-}" ]; then mkdir -p "$XDG_DATA_HOME"; fi
exec wine "$@"
