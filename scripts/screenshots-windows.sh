#!/usr/bin/env bash
# The Windows counterpart of scripts/screenshots.sh: the calendar page as a Windows program
# shows it, inside Wine's ATL container (tests/windows/page_host.cpp), on a virtual X display
# at 144 dpi like the Qt pictures, into docs/screenshots/page-windows.png; then the error report
# form after OK failed on the tests' refusing cube (page_host --fail), into
# docs/screenshots/report-windows.png.
# Needs the Windows build (bash scripts/windows.sh --build); installs xvfb, x11-apps (xwd),
# imagemagick (convert) and Wine with its fonts when missing. Wine runs in a throw-away prefix.
# Usage: scripts/screenshots-windows.sh [build-win-dir]   (default: build-win)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$root/build-win}/bin"
out="$root/docs/screenshots"
title="Annalex page"

[[ -f "$bin/annalex.dll" && -f "$bin/annalex_page_host.exe" ]] ||
    { echo "no annalex.dll or annalex_page_host.exe in $bin; build first" >&2; exit 1; }
source "$root/scripts/install_packages.sh"
install_missing xvfb x11-apps imagemagick wine64 wine fonts-wine
mkdir -p "$out"
work="$(mktemp -d)"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
host_pid=""
cleanup() {
    [[ -n "$host_pid" ]] && kill "$host_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 144 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"

wineboot -i >/dev/null 2>&1 || true
wineserver -w
# 144 dpi, and no window manager: Wine draws the windows' frames itself.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wine regsvr32 /s "$(winepath -w "$bin/annalex.dll")"

wine regsvr32 /s "$(winepath -w "$bin/cube_recorder.dll")"

# Takes the picture of the window titled $1 into $2 once it shows.
picture() {
    local window=$1 file=$2
    for _ in $(seq 100); do
        if xwd -silent -name "$window" >"$work/shot.xwd" 2>/dev/null; then
            sleep 1  # let it paint
            xwd -silent -name "$window" >"$work/shot.xwd"
            convert "xwd:$work/shot.xwd" "$out/$file"
            echo "wrote $out/$file"
            return 0
        fi
        sleep 0.2
    done
    echo "window \"$window\" did not show" >&2
    exit 1
}

wine "$bin/annalex_page_host.exe" &
host_pid=$!
picture "$title" page-windows.png
wine taskkill /f /im annalex_page_host.exe >/dev/null 2>&1 || true
wait "$host_pid" 2>/dev/null || true

wine "$bin/annalex_page_host.exe" --fail &
host_pid=$!
picture "Unexpected Error" report-windows.png
