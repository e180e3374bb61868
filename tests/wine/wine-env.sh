#!/bin/sh
# A private X display and Wine prefix for the tests, shared by every test of one run.
#   wine-env.sh start         start Xvfb, make a fresh prefix with a 1024x768 virtual desktop
#   wine-env.sh run CMD ...   run CMD inside it (a .exe goes through wine); keeps CMD's exit code
#   wine-env.sh stop          end the prefix's wineserver and the display
# The state lives in $WH_WINE_STATE (default: build/wine-env beside this checkout).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
state=${WH_WINE_STATE:-$here/../../build/wine-env}
mkdir -p "$state"
state=$(cd "$state" && pwd)

common_env() {
    export WINEPREFIX="$state/prefix"
    export WINEDEBUG=-all
    # No crash debugger (it hangs under emulation), no Mono or Gecko installers.
    export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
    # Code page 936, as on the Chinese systems the tool is made for.
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
}

wait_for() { # deadline-seconds command...
    limit=$1; shift
    end=$(($(date +%s) + limit))
    while ! "$@" >/dev/null 2>&1; do
        if [ "$(date +%s)" -ge "$end" ]; then return 1; fi
        sleep 0.2
    done
}

start() {
    stop_env quiet
    n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    export DISPLAY=":$n"
    wait_for 30 xdpyinfo || { echo "wine-env: Xvfb did not start" >&2; exit 1; }
    common_env
    rm -rf "$WINEPREFIX"
    wineboot -i >"$state/wineboot.log" 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$state/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$state/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$state/wineboot.log" 2>&1
    wineserver -w
    echo "DISPLAY=:$n" >"$state/env"
    echo "wine-env: display :$n, prefix $WINEPREFIX"
}

stop_env() {
    if [ -f "$state/env" ]; then
        . "$state/env"
        export DISPLAY
        common_env
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    rm -f "$state/env"
    [ "${1:-}" = quiet ] || echo "wine-env: stopped"
}

run() {
    [ -f "$state/env" ] || { echo "wine-env: not started (wine-env.sh start)" >&2; exit 1; }
    . "$state/env"
    export DISPLAY
    common_env
    export WH_WINE_STATE="$state"
    case "$1" in
        *.exe) exec wine "$@" ;;
        *) exec "$@" ;;
    esac
}

cmd=${1:-}
[ $# -gt 0 ] && shift
case "$cmd" in
    start) start ;;
    stop) stop_env ;;
    run) run "$@" ;;
    *) echo "usage: wine-env.sh start|run CMD...|stop" >&2; exit 2 ;;
esac
