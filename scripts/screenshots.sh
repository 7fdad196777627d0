#!/usr/bin/env bash
# Takes the screenshots of the desktop wizard on a virtual X display of 1920x1080 at 144 dpi:
#   docs/screenshots/page.png    the calendar page with the "Calendar rules" panel, as it opens
#                                (Year, Month and Day ticked)
#   docs/screenshots/tree.png    the generated dimension after Ok, a day member selected
#   docs/screenshots/retail.png  a retail 4-4-5 calendar whose year 2022 has 53 weeks, that year
#                                open down to its last week
#   docs/screenshots/report.png  the error report form after a generation that failed (the
#                                wizard's --fail-generation), in a temporary installation, its
#                                picture showing the wizard's page as the failure found it
# Needs Xvfb, xwd (x11-apps), xrdb (x11-xserver-utils), convert (imagemagick), xdotool
# and python3-aiosmtpd (a loopback mail server), installed when missing, and a built annalex-wizard and annalex.
#
# The result is browsed with keys, as a person would: typing a member's name selects it (the
# view's keyboard search), "*" opens everything below it, Down and End move. RESULT_KEYS_DAY and
# RESULT_KEYS_RETAIL (xdotool key names after the typed year) change those steps.
# Usage: scripts/screenshots.sh [build-dir]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
wizard="$build/bin/annalex-wizard"
annalex="$build/bin/annalex"
out="$root/docs/screenshots"
display=":${ANNALEX_SCREENSHOT_DISPLAY:-97}"
title="Annalex Calendar Wizard"
day_keys="${RESULT_KEYS_DAY:-asterisk Down Down}"
retail_keys="${RESULT_KEYS_RETAIL:-asterisk End}"

[[ -x "$wizard" && -x "$annalex" ]] || { echo "no programs in $build/bin; build first" >&2; exit 1; }
source "$root/scripts/install_packages.sh"
install_missing xvfb x11-apps x11-xserver-utils imagemagick xdotool python3-aiosmtpd
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

Xvfb "$display" -screen 0 1920x1080x24 -dpi 144 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do
    xwd -root -silent >/dev/null 2>&1 && break
    sleep 0.1
done
# The resolution desktops announce to their programs (Qt reads it for its scaling); -noreset
# keeps it once xrdb has disconnected.
echo "Xft.dpi: 144" | xrdb -merge
# A settings store of the script's own: no remembered choice of an earlier run shows.
export ANNALEX_SETTINGS_DIR="$work/settings" TMPDIR="$work/tmp"
mkdir -p "$ANNALEX_SETTINGS_DIR" "$TMPDIR"

# Grabs a window by its title into a PNG, retrying until the window is mapped.
shoot() {
    local name="$2"
    for _ in $(seq 100); do
        if xwd -silent -name "$name" >"$work/shot.xwd" 2>/dev/null; then
            convert "xwd:$work/shot.xwd" "$1"
            return 0
        fi
        sleep 0.1
    done
    echo "window \"$name\" not found" >&2
    return 1
}

# Waits until a window of that title is mapped.
await() {
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "window \"$1\" did not show" >&2
    return 1
}

# Starts the wizard on a new store; Ok is pressed after $1 ms (the "Info" box closes itself).
start_wizard() {
    local delay="$1" store="$2"
    shift 2
    "$wizard" --auto-ok-after-ms "$delay" "$@" "$work/$store" >"$work/$store.log" 2>&1 &
    wizard_pid=$!
}

stop_wizard() {
    kill "$wizard_pid" 2>/dev/null || true
    wait "$wizard_pid" 2>/dev/null || true
    wizard_pid=""
}

# Types keys into the wizard's window: the result view has the focus once it shows.
browse() {
    local window
    window="$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)"
    xdotool windowfocus --sync "$window"
    xdotool type --delay 50 "$2"
    # shellcheck disable=SC2086
    xdotool key --delay 100 $3
    sleep 0.5
}

# The page, and the tree with a day selected.
start_wizard 4000 calendar.cube --levels Year,Month,Day --calendar gregorian \
    --start 01-01-2001 --end 31-12-2001 --month-format MMM --day-format DDD \
    --fill-attributes --holidays us
await "calendar.cube - $title"
sleep 1
shoot "$out/page.png" "calendar.cube - $title"
sleep 4
browse "calendar.cube - $title" 2001 "$day_keys"
shoot "$out/tree.png" "calendar.cube - $title"
stop_wizard

# A retail 4-4-5 calendar: the year ending on the last Saturday of December 2022 has 53 weeks,
# the 53rd in its last month.
start_wizard 1000 retail.cube --levels Year,Quarter,Month,Week --calendar retail --pattern 445 \
    --start 01-01-2022 --end 31-12-2022 --month-format MMM --fill-attributes
await "retail.cube - $title"
sleep 3
browse "retail.cube - $title" 2022 "$retail_keys"
shoot "$out/retail.png" "retail.cube - $title"
stop_wizard

# The error report: a temporary installation (settings, Error Logs, System) so that the form
# reads its directories and saves its screen picture there; Ok fails on the cube's first member.
mkdir -p "$work/install/Error Logs" "$work/install/System"
for name in Installed ApplicationDir; do
    "$annalex" settings write HKCU 'Software\Velmora\Defaults' "$name" S "$work/install"
done
# A mail server on loopback (the tests' own), so that the form offers its mail options.
mkdir -p "$work/smtp"
sleep 30 | /usr/bin/python3 "$root/tests/report/smtp_test_server.py" accept "$work/smtp" \
    >"$work/smtp-port" &
for _ in $(seq 50); do [[ -s "$work/smtp-port" ]] && break; sleep 0.1; done
"$annalex" settings write HKCU 'Software\Velmora\Defaults' MailServer S \
    "smtp://127.0.0.1:$(head -n 1 "$work/smtp-port")"
# The form's picture is taken before the wizard's window closes, so it shows the page as the
# failure found it. Once the form is on screen it asks the mail server; the shot waits for that.
start_wizard 1500 failing.cube --levels Year,Month --fail-generation
await "Unexpected Error"
sleep 2
shoot "$out/report.png" "Unexpected Error"
echo "wrote $out/page.png, $out/tree.png, $out/retail.png and $out/report.png"
