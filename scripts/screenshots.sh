#!/usr/bin/env bash
# Takes the two screenshots of the desktop wizard on a virtual X display:
#   docs/screenshots/page.png  the calendar page as it opens (Year and Month ticked)
#   docs/screenshots/tree.png  the generated dimension after Ok
# Needs Xvfb, xwd (x11-apps) and convert (imagemagick), and a built annalex-wizard.
# Usage: scripts/screenshots.sh [build-dir]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
wizard="$build/bin/annalex-wizard"
out="$root/docs/screenshots"
display=":${ANNALEX_SCREENSHOT_DISPLAY:-97}"
title="Annalex Calendar Wizard"

[[ -x "$wizard" ]] || { echo "no wizard at $wizard; build first" >&2; exit 1; }
mkdir -p "$out"
work="$(mktemp -d)"

xvfb_pid=""
wizard_pid=""
cleanup() {
    [[ -n "$wizard_pid" ]] && kill "$wizard_pid" 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do
    xwd -root -silent >/dev/null 2>&1 && break
    sleep 0.1
done

# Grabs the wizard's window into a PNG, retrying until the window is mapped.
shoot() {
    for _ in $(seq 50); do
        if xwd -silent -name "$title" >"$work/shot.xwd" 2>/dev/null; then
            convert "xwd:$work/shot.xwd" "$1"
            return 0
        fi
        sleep 0.1
    done
    echo "window \"$title\" not found" >&2
    return 1
}

# Ok is pressed 2.5 s after start; the messages it shows are closed by the wizard itself.
QT_QPA_PLATFORM=xcb "$wizard" --levels Year,Month --auto-ok-after-ms 2500 \
    "$work/calendar.cube" >"$work/wizard.log" 2>&1 &
wizard_pid=$!

sleep 1.5
shoot "$out/page.png"
sleep 2.5
shoot "$out/tree.png"
echo "wrote $out/page.png and $out/tree.png"
