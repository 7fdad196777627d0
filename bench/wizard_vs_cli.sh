#!/usr/bin/env bash
# Times the desktop host from start to a browsable result against the command line on the same
# calendar, side by side in one run: every level from 1 January 1000 to 31 December 9999
# (3.9 M members) generated into a new cube store, plain and then with every attribute filled
# (--fill-attributes for both programs, "filled" in the table).
#
#   wizard: annalex-wizard --levels Year,Quarter,Month,Week,Day --start 01-01-1000
#           --end 31-12-9999 --auto-ok-after-ms 100 --quit-after-result NEWSTORE
#           (on a virtual X display; it presses Ok after 100 ms, closes the "Info" box, saves,
#           shows the result and ends)
#   cli:    annalex generate with the same levels, dates and --db NEWSTORE; it prints the
#           dimension as well (to /dev/null), which the wizard does not
#
# Each program runs under /usr/bin/time -v for its wall time and peak resident memory. The
# wizard's time includes starting Qt, the 100 ms before Ok and painting the result.
# Needs Xvfb and built programs. Usage: bench/wizard_vs_cli.sh [build-dir] [runs]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
runs="${2:-1}"
wizard="$build/bin/annalex-wizard"
annalex="$build/bin/annalex"
display=":${ANNALEX_BENCH_DISPLAY:-94}"
levels="Year,Quarter,Month,Week,Day"
start="01-01-1000"
end="31-12-9999"

[[ -x "$wizard" && -x "$annalex" ]] || { echo "no programs in $build/bin; build first" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing (apt-get install xvfb)" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
    sleep 0.1
done
export DISPLAY="$display"

# Runs a command under /usr/bin/time -v; prints "seconds peak-MB" and fails when it failed.
measure() {
    local report="$work/time.txt"
    if ! /usr/bin/time -v -o "$report" "$@" >/dev/null 2>"$work/stderr.txt"; then
        echo "failed: $*" >&2
        cat "$work/stderr.txt" >&2
        return 1
    fi
    awk -F': ' '
        /Elapsed \(wall clock\)/ {
            n = split($2, t, ":"); s = 0
            for (i = 1; i <= n; i++) s = s * 60 + t[i]
        }
        /Maximum resident set size/ { kb = $2 }
        END { printf "%.2f %.0f\n", s, kb / 1024 }' "$report"
}

printf '%-16s %4s %10s %10s %10s\n' program run "wall (s)" "peak (MB)" "members"
for run in $(seq "$runs"); do
    for variant in plain filled; do
        fill=()
        suffix=""
        if [[ "$variant" == filled ]]; then
            fill=(--fill-attributes)
            suffix=" filled"
        fi
        rm -f "$work/wizard.cube" "$work/cli.cube"
        # A settings store of its own for each run, so that no remembered calendar, format or
        # "Fill every attribute" of an earlier run changes it.
        export ANNALEX_SETTINGS_DIR="$work/settings-$run-$variant"
        mkdir -p "$ANNALEX_SETTINGS_DIR"
        read -r wizard_s wizard_mb < <(QT_QPA_PLATFORM=xcb measure "$wizard" --levels "$levels" \
            --calendar gregorian --start "$start" --end "$end" "${fill[@]}" \
            --auto-ok-after-ms 100 --quit-after-result "$work/wizard.cube")
        read -r cli_s cli_mb < <(measure "$annalex" generate --levels "$levels" --start "$start" \
            --end "$end" "${fill[@]}" --db "$work/cli.cube" --quiet --output /dev/null)
        # Both stores must hold the same calendar, or the times compare nothing ("?" when the
        # store's tables cannot be read by the sqlite3 shell).
        wizard_members="$(sqlite3 "$work/wizard.cube" 'SELECT sum(count) FROM member_block' 2>/dev/null || echo '?')"
        cli_members="$(sqlite3 "$work/cli.cube" 'SELECT sum(count) FROM member_block' 2>/dev/null || echo '?')"
        printf '%-16s %4d %10s %10s %10s\n' "wizard$suffix" "$run" "$wizard_s" "$wizard_mb" \
            "$wizard_members"
        printf '%-16s %4d %10s %10s %10s\n' "cli$suffix" "$run" "$cli_s" "$cli_mb" "$cli_members"
        awk -v ws="$wizard_s" -v cs="$cli_s" -v wm="$wizard_mb" -v cm="$cli_mb" -v name="ratio$suffix" \
            'BEGIN { printf "%-16s %4s %10.2f %10.2f\n", name, "", ws / cs, wm / cm }'
    done
done
