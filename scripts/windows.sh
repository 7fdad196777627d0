#!/usr/bin/env bash
# The Windows leg: cross-builds the Windows targets with MinGW-w64 into build-win/ and runs
# their suites under Wine (headless, in a throw-away Wine prefix), then checks that
# `annalex.exe generate` prints the same JSON Lines as the Linux `annalex generate`, that
# `annalex.exe settings` reaches the real registry, and that `cmake --install` lays out the
# program, the server and what hosts build against. The suites include the COM hosts: a C++
# host, VBScript and JScript files run by Wine's cscript, and the page in Wine's ATL container,
# for which the leg runs on a virtual display (Xvfb, no window manager).
#   scripts/windows.sh            build and test
#   scripts/windows.sh --build    build only
set -euo pipefail
cd "$(dirname "$0")/.."
leg_start=$SECONDS

# widl (mingw-w64-tools) compiles annalex.idl; the system IDL files it imports come with
# libwine-dev, stdole2.tlb with Wine itself.
# The page's windows need a display (xvfb) and the fonts Windows programs expect (fonts-wine:
# MS Sans Serif, Tahoma). The report form's archives are written with zlib, linked statically
# (libz-mingw-w64-dev), and checked with unzip.
packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine libwine-dev libgtest-dev
          libcli11-dev libz-mingw-w64-dev cmake ninja-build xvfb fonts-wine unzip)
source scripts/install_packages.sh
install_missing "${packages[@]}"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Optimised as on Linux (-O2) but without debug information, which makes compiling and
# linking the static programs slow.
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" "${launcher[@]}" \
      >/dev/null
cmake --build build-win -j "$(nproc)"
[ "${1:-}" = "--build" ] && exit 0

# The Linux program whose output the Windows one must match (built by setup.sh, or here).
if [ ! -x build/bin/annalex ]; then
  cmake -S . -B build -G Ninja "${launcher[@]}" >/dev/null
  cmake --build build --target annalex -j "$(nproc)"
fi

WINEPREFIX="$(mktemp -d)"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A display of the leg's own, on a free number Xvfb picks and writes down.
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$display_file"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"
start=$SECONDS
wineboot -i >/dev/null 2>&1 || true
wineserver -w
wineserver -p  # keep one server for every program below
# With no window manager, Wine keeps every window itself; otherwise it would wait for a
# manager's answer at each framed window that closes.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
echo "Wine prefix ready in $((SECONDS - start)) s"

# The README's sample calendar, generated on Linux and by annalex.exe; the COM test host
# compares with the Linux one too. A fiscal calendar with every level exercises the rest.
compare() {
  local name=$1
  shift
  build/bin/annalex "$@" > "build-win/bin/linux-$name.jsonl"
  wine build-win/bin/annalex.exe "$@" > "build-win/windows-$name.jsonl"
  if ! cmp "build-win/bin/linux-$name.jsonl" "build-win/windows-$name.jsonl"; then
    echo "annalex.exe generate ($name) differs from the Linux annalex generate:" >&2
    diff "build-win/bin/linux-$name.jsonl" "build-win/windows-$name.jsonl" | head -20 >&2
    exit 1
  fi
  echo "annalex.exe generate ($name): $(wc -l < "build-win/windows-$name.jsonl") lines, same as on Linux"
}
compare sample generate --levels Year,Month --month-format MMM --output-format jsonl --quiet
compare fiscal generate --levels Year,Quarter,Month,Week,Day --calendar fiscal \
        --start 01-04-2001 --end 31-03-2003 --day-format DDDD --month-format MMMM \
        --output-format jsonl --quiet

# File names outside the ANSI code page: a rules file and the one it includes, in a folder
# named with an omega, read through --holidays, and the calendar written through --output
# beside them. (Wine takes the arguments in the locale's encoding: UTF-8 here.)
wide="build-win/Ωdir"
rm -rf "$wide" && mkdir -p "$wide"
printf 'include Ωmore.rules\n12-24 = Christmas Eve\n' > "$wide/Ωcompany.rules"
printf '06-01 = Company day\n' > "$wide/Ωmore.rules"
args=(generate --levels Year,Month,Day --fill-attributes --holidays "$wide/Ωcompany.rules"
      --output-format jsonl --quiet)
build/bin/annalex "${args[@]}" > build-win/linux-wide.jsonl
LC_ALL=C.UTF-8 wine build-win/bin/annalex.exe "${args[@]}" --output "$wide/Ωcalendar.jsonl"
if ! cmp build-win/linux-wide.jsonl "$wide/Ωcalendar.jsonl" ||
   ! grep -q 'Company day' "$wide/Ωcalendar.jsonl"; then
  echo "annalex.exe --holidays/--output with names outside the ANSI code page failed" >&2
  exit 1
fi
echo "annalex.exe generate: --holidays and --output with names outside the ANSI code page"

# Without ICU the Windows build writes the English names and refuses a language, naming it.
if wine build-win/bin/annalex.exe generate --levels Year --language de --quiet \
     > /dev/null 2> build-win/language-check.err ||
   ! grep -q "'de': names in other languages come from ICU" build-win/language-check.err; then
  echo "annalex.exe generate --language de was not refused as expected:" >&2
  cat build-win/language-check.err >&2
  exit 1
fi
echo "annalex.exe generate: --language refused without ICU"

# The settings command over the real registry: a value written, read back, a missing one
# reported with the platform's status, the key deleted.
exe=build-win/bin/annalex.exe
key='Software\Annalex Check'
wine "$exe" settings write HKCU "$key" Dir S 'C:\x'
value=$(wine "$exe" settings read HKCU "$key" Dir)
if [ "$value" != 'C:\x' ]; then
  echo "annalex.exe settings read gave '$value', not the value written" >&2
  exit 1
fi
if wine "$exe" settings read HKCU "$key" Absent 2> build-win/settings-check.err ||
   ! grep -q "status 2:" build-win/settings-check.err; then
  echo "annalex.exe settings read of a missing value did not fail with status 2:" >&2
  cat build-win/settings-check.err >&2
  exit 1
fi
wine "$exe" settings delete-key HKCU Software 'Annalex Check'
echo "annalex.exe settings: write, read, status 2 for a missing value, delete-key"

# An argument that starts with "/" is a value, as on Linux, not a Windows-style option: an INI
# file named by its absolute POSIX path (which Wine maps to the same file) is written and read.
# (A settings write changes an existing INI file; it does not create one.)
ini="$PWD/build-win/slash-path.ini"
printf '[Section]\n' > "$ini"
wine "$exe" settings write "$ini" Section Entry S slash
value=$(wine "$exe" settings read "$ini" Section Entry)
if [ "$value" != slash ] || ! grep -q '^Entry=slash' "$ini"; then
  echo "annalex.exe settings with the INI path $ini gave '$value'" >&2
  exit 1
fi
echo "annalex.exe settings: an INI file named by a path starting with /"

# A failure of the command line goes to the error log below "Installed", or below the user's
# data folder (%LOCALAPPDATA%\Annalex) when "Installed" is empty. (An empty start day fails the
# date check with a type mismatch; the program exits with status 3.)
installed="$(mktemp -d)"
mkdir -p "$installed/Error Logs"
defaults='Software\Velmora\Defaults'
local_data="$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/Annalex"
for where in "$installed" ""; do
  wine "$exe" settings write HKCU "$defaults" Installed S "${where:+$(winepath -w "$where")}"
  status=0
  wine "$exe" generate --quiet --levels Year --start-day "" 2> /dev/null || status=$?
  log="${where:-$local_data}/Error Logs/VmError.log"
  if [ "$status" != 3 ] || ! grep -q $'^Procedure      : Private Function dateFormatValid' "$log" ||
     ! grep -q $'^Description    : Reported by the annalex command line, which has no report form\r$' "$log"; then
    echo "annalex.exe did not log its failure in $log (status $status)" >&2
    exit 1
  fi
done
wine "$exe" settings delete-value HKCU "$defaults" Installed
rm -rf "$installed"
echo "annalex.exe: a failure is logged below Installed, else below %LOCALAPPDATA%\\Annalex"

# What an installation holds.
install_root="$(mktemp -d)"
cmake --install build-win --prefix "$install_root" > /dev/null
for file in bin/annalex.exe bin/annalex.dll System/VmRestart.exe include/annalex/annalex.idl \
            include/annalex/annalex.h lib/annalex.tlb; do
  if [ ! -f "$install_root/$file" ]; then
    echo "cmake --install of the Windows build did not install $file" >&2
    exit 1
  fi
done
rm -rf "$install_root"
echo "cmake --install: annalex.exe, annalex.dll, VmRestart.exe, the IDL, its header and the type library"

ctest --test-dir build-win --output-on-failure --timeout 900 -j "$(nproc)"
echo "Windows leg: $((SECONDS - leg_start)) s in all"
