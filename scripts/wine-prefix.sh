#!/usr/bin/env bash
# Creates and serves a private Wine prefix.
#   wine-prefix.sh start <prefix> [null|x11]   create the prefix once, choose the graphics
#                                              driver, start one persistent wineserver
#   wine-prefix.sh stop <prefix>               shut that wineserver (and every process) down
set -euo pipefail
action=$1
mkdir -p "$2"
WINEPREFIX=$(cd "$2" && pwd)
export WINEPREFIX
driver=${3:-null}
export WINEDEBUG=-all
# No network here to fetch Mono and Gecko: keep wineboot from trying.
export WINEDLLOVERRIDES="mscoree,mshtml="

case "$action" in
start)
    stamp=$WINEPREFIX/.lumora-3-$driver
    if [ ! -f "$stamp" ]; then
        wineserver -k 2>/dev/null || true
        rm -f "$WINEPREFIX"/.lumora-*
        [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
        # Wine's own fonts (Tahoma, MS Sans Serif, Marlett for the caption buttons) are not found
        # in Debian's data folder by this Wine; the prefix's font folder always is searched.
        cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        if [ "$driver" = null ]; then
            wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
        else
            wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
        fi
        # A crash must end the program at once: Wine would start its debugger, which waits for a
        # user that a scripted run does not have. An empty debugger command cannot start, and
        # then Wine ends the process with the exception's code.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /d '' /f >/dev/null
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Auto /d 1 /f >/dev/null
        # The driver setting only takes effect for a wineserver started after it.
        wineserver -w
        touch "$stamp"
    fi
    # Detached from our output, or ctest would wait for the server to close it. The first
    # program of a server starts Wine's own services; start them here for the same reason,
    # instead of letting them inherit a test's output.
    # A server left running for this prefix (an interrupted run) is simply reused.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1
    ;;
stop)
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    ;;
*)
    echo "usage: $0 start|stop <prefix> [null|x11]" >&2
    exit 2
    ;;
esac
