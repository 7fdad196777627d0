#!/usr/bin/env bash
# Takes the screenshots of the desktop wizard on a virtual X display:
#   docs/screenshots/page.png    the calendar page as it opens (Year and Month ticked)
#   docs/screenshots/tree.png    the generated dimension after Ok
#   docs/screenshots/report.png  the error report form over a generation that failed
#                                (the wizard's --fail-generation), in a temporary installation
# Needs Xvfb, xwd and xlogo (x11-apps), convert (imagemagick), python3-aiosmtpd (a loopback mail
# server), and a built annalex-wizard and annalex.
# Usage: scripts/screenshots.sh [build-dir]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
wizard="$build/bin/annalex-wizard"
annalex="$build/bin/annalex"
out="$root/docs/screenshots"
display=":${ANNALEX_SCREENSHOT_DISPLAY:-97}"
title="Annalex Calendar Wizard"

[[ -x "$wizard" && -x "$annalex" ]] || { echo "no programs in $build/bin; build first" >&2; exit 1; }
mkdir -p "$out"
work="$(mktemp -d)"

xvfb_pid=""
wizard_pid=""
logo_pid=""
cleanup() {
    [[ -n "$wizard_pid" ]] && kill "$wizard_pid" 2>/dev/null || true
    [[ -n "$logo_pid" ]] && kill "$logo_pid" 2>/dev/null || true
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

# Grabs a window (by default the wizard's) into a PNG, retrying until the window is mapped.
shoot() {
    local name="${2:-$title}"
    for _ in $(seq 50); do
        if xwd -silent -name "$name" >"$work/shot.xwd" 2>/dev/null; then
            convert "xwd:$work/shot.xwd" "$1"
            return 0
        fi
        sleep 0.1
    done
    echo "window \"$name\" not found" >&2
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
kill "$wizard_pid" 2>/dev/null || true
wait "$wizard_pid" 2>/dev/null || true

# The error report: a temporary installation (settings, Error Logs, System) so that the form
# reads its directories and saves its screen picture there; Ok fails on the cube's first member.
export ANNALEX_SETTINGS_DIR="$work/settings" TMPDIR="$work/tmp"
mkdir -p "$ANNALEX_SETTINGS_DIR" "$TMPDIR" "$work/install/Error Logs" "$work/install/System"
for name in Installed ApplicationDir; do
    "$annalex" settings write HKCU 'Software\Velmora\Defaults' "$name" S "$work/install"
done
# A mail server on loopback (the tests' own), so that the form offers its mail options.
mkdir -p "$work/smtp"
sleep 30 | /usr/bin/python3 "$root/tests/errors/smtp_test_server.py" accept "$work/smtp" \
    >"$work/smtp-port" &
for _ in $(seq 50); do [[ -s "$work/smtp-port" ]] && break; sleep 0.1; done
"$annalex" settings write HKCU 'Software\Velmora\Defaults' MailServer S \
    "smtp://127.0.0.1:$(head -n 1 "$work/smtp-port")"
# Something on the desktop besides the wizard, for the form's screen picture to show (the
# wizard's own window is closed before the picture is taken).
xlogo -geometry 360x360+600+300 >/dev/null 2>&1 &
logo_pid=$!
QT_QPA_PLATFORM=xcb "$wizard" --levels Year,Month --auto-ok-after-ms 1500 --fail-generation \
    "$work/failing.cube" >"$work/wizard-failing.log" 2>&1 &
wizard_pid=$!
sleep 3
shoot "$out/report.png" "Unexpected Error"
echo "wrote $out/page.png, $out/tree.png and $out/report.png"
