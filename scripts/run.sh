#!/usr/bin/env bash
# Installs what is missing, builds Release and starts Lumora under Wine.
# With a display (DISPLAY set and answering) the program runs there until it is closed.
# Without one it runs on a virtual X server; once its window has appeared a PNG screenshot of
# the window is saved (build/release/screenshot.png, or the path given as the first argument),
# its path printed, and the program ended.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run
"$root/scripts/build.sh" Release
build=$root/build/release
exe=$build/bin/Lumora.exe
prefix=$build/wine-run
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "$root/scripts/wine-prefix.sh" start "$prefix" x11
    trap '"$root/scripts/wine-prefix.sh" stop "$prefix"' EXIT
    wine "$exe"
    exit 0
fi

shot=${1:-$build/screenshot.png}
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    "$root/scripts/wine-prefix.sh" stop "$prefix" || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$root/scripts/wine-prefix.sh" start "$prefix" x11
# No window manager runs on the virtual server: Wine draws the window frames itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wine "$exe" >/dev/null 2>&1 &

window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name 'Lumora 2.0' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "Lumora's window did not appear" >&2
    exit 1
fi
sleep 2  # let the window finish painting
import -display "$display" -window "$window" "$shot"
echo "Screenshot of Lumora's window: $shot"
