#!/usr/bin/env bash
# The command line: exit statuses, printed values and lists, and two concurrent writers.
#   cli_test.sh PATH_TO_ANNALEX
set -euo pipefail
annalex="$1"
ANNALEX_SETTINGS_DIR="$(mktemp -d)"
export ANNALEX_SETTINGS_DIR
trap 'rm -rf "$ANNALEX_SETTINGS_DIR"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Two processes writing 30 values each at the same time lose none of them.
writer() { for i in $(seq 1 30); do "$annalex" settings write HKCU 'Shared' "$1$i" D "$i"; done; }
writer a & pid_a=$!
writer b & pid_b=$!
wait "$pid_a" && wait "$pid_b" || fail "a concurrent write failed"
[ "$("$annalex" settings list-values HKCU Shared | wc -l)" -eq 60 ] || fail "values lost"
[ "$("$annalex" settings read hkcu shared B17 D)" = 17 ] || fail "read back"

"$annalex" settings write HKCU 'Shared\Sub' Flag B true
[ "$("$annalex" settings read HKCU 'Shared\Sub' Flag B)" = True ] || fail "boolean"
[ "$("$annalex" settings list-keys HKCU Shared)" = Sub ] || fail "list-keys"

# A missing value: non-zero exit with the status printed; usage errors exit 2.
set +e
err="$("$annalex" settings read HKCU Shared Missing 2>&1 >/dev/null)"; rc=$?
set -e
[ "$rc" -eq 1 ] && [[ "$err" == *"status 2"* ]] || fail "missing value: rc=$rc err=$err"
set +e
"$annalex" settings read HKCU 2>/dev/null; rc=$?
set -e
[ "$rc" -eq 2 ] || fail "usage error: rc=$rc"
echo "cli ok"
