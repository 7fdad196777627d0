#!/usr/bin/env bash
# Runs a Windows test program of the error report under Wine with a work folder of its own
# (ANNALEX_REPORT_WORK), then checks what it noted there once it has ended:
#  * archives.txt, one line per archive: the names it must hold (blank-separated) and its path;
#    each must pass `unzip -t` and hold exactly those names;
#  * restart-expected, the program's command line and current directory: the restart program
#    must start the program again (it then writes the same into "restarted") within 30 seconds.
#   report_checks.sh PROGRAM.exe      (run under CTest, in the Wine prefix of the Windows leg)
set -uo pipefail
program=$1
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0

ANNALEX_REPORT_WORK="$(winepath -w "$work")" wine "$program" || failed=1

if [ -f "$work/archives.txt" ]; then
  while IFS=$'\t' read -r names archive; do
    file="$(winepath -u "$archive" 2>/dev/null)"
    listed="$(unzip -Z1 "$file" 2>/dev/null | sort | tr '\n' ' ')"
    expected="$(printf '%s\n' $names | sort | tr '\n' ' ')"
    if ! unzip -tq "$file" > /dev/null; then
      echo "unzip -t: $archive is not a sound zip archive" >&2
      failed=1
    elif [ "$listed" != "$expected" ]; then
      echo "unzip: $archive holds '$listed', not '$expected'" >&2
      failed=1
    else
      echo "unzip -t: $archive holds $expected"
    fi
  done < "$work/archives.txt"
fi

if [ -f "$work/restart-expected" ]; then
  for _ in $(seq 300); do [ -s "$work/restarted" ] && break; sleep 0.1; done
  if ! cmp -s "$work/restart-expected" "$work/restarted"; then
    echo "the restart program did not start $(basename "$program") again as it was:" >&2
    diff "$work/restart-expected" "$work/restarted" >&2
    failed=1
  else
    echo "VmRestart.exe started $(basename "$program") again with its command line and directory"
  fi
fi
exit $failed
