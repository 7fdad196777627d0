#!/usr/bin/env bash
# The host scripts of tests/windows/scripts, run by Wine's own script host (cscript) as a
# Windows user would run them, with annalex.dll registered by regsvr32 for the while:
#  * calendar.vbs and calendar.js print the sample and the fiscal calendar as read back from
#    the in-memory cube; each must equal what the Linux `annalex generate` printed
#    (linux-sample.jsonl and linux-fiscal.jsonl, written beside the DLL by scripts/windows.sh);
#  * failures.vbs prints Err.Number and Err.Description of failing calls (failures.expected).
# Afterwards `regsvr32 /u` must leave no key of the classes behind.
#   script_hosts.sh BIN_FOLDER        (run under CTest, in the Wine prefix of the Windows leg)
set -euo pipefail
bin=$1
scripts="$(cd "$(dirname "$0")/scripts" && pwd)"
dll="$bin/annalex.dll"
failed=0

wine regsvr32 /s "$dll"
trap 'wine regsvr32 /u /s "$dll"' EXIT

# Runs a script with its arguments and compares what it prints with the expected file.
check() {
  local expected=$1 script=$2
  shift 2
  local printed
  printed=$(wine cscript //nologo "$(winepath -w "$scripts/$script")" "$@" | tr -d '\r')
  if ! diff <(printf '%s\n' "$printed") "$expected" > /dev/null; then
    echo "$script $*: differs from $(basename "$expected"):" >&2
    diff <(printf '%s\n' "$printed") "$expected" | head -10 >&2
    failed=1
  else
    echo "$script $*: $(printf '%s\n' "$printed" | wc -l) lines as expected"
  fi
}

for script in calendar.vbs calendar.js; do
  for calendar in sample fiscal; do
    check "$bin/linux-$calendar.jsonl" "$script" "$calendar"
  done
done
check "$scripts/failures.expected" failures.vbs

wine regsvr32 /u /s "$dll"
trap - EXIT
if wine reg query 'HKCR\Annalex.AnnalexCtrl' > /dev/null 2>&1 ||
   wine reg query 'HKCR\CLSID\{ca018ca7-540f-4e50-9b66-4660d6e21743}' > /dev/null 2>&1; then
  echo "regsvr32 /u left the control's keys behind" >&2
  failed=1
fi
exit $failed
