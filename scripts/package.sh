#!/usr/bin/env bash
# Builds the Debian package build/annalex_<version>_amd64.deb from the release build in build/
# (made by scripts/setup.sh when missing) and checks it: desktop-file-validate on the desktop
# entry, lintian with no error allowed.
#   scripts/package.sh                  build and check the package
#   scripts/package.sh --install-test   then install it with apt-get, run the sample calendar and
#                                       annalex-wizard --version from /usr/bin, and remove it
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/install_packages.sh
install_missing dpkg-dev fakeroot lintian desktop-file-utils

[ -f build/build.ninja ] || bash scripts/setup.sh
cmake --build build -j "$(nproc)"
desktop-file-validate packaging/annalex-wizard.desktop

rm -f build/annalex_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/annalex_*_amd64.deb)
echo "built $deb"
lintian --fail-on error "$deb"

if [ "${1:-}" = "--install-test" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
  sample=$(mktemp -d)
  trap '$sudo apt-get remove -y -qq annalex >/dev/null; rm -rf "$sample"' EXIT
  # The programs from /usr/bin, with settings and data folders of their own.
  export ANNALEX_SETTINGS_DIR="$sample/settings" XDG_DATA_HOME="$sample/data" QT_QPA_PLATFORM=offscreen
  /usr/bin/annalex generate --levels Year,Month --month-format MMM --quiet | tee "$sample/sample.txt"
  grep -q '^  2001  \[Year #0\]' "$sample/sample.txt"
  /usr/bin/annalex-wizard --version
  # A first start sets up the user's installation folder with the packaged restart program.
  /usr/bin/annalex-wizard --levels Year --auto-ok-after-ms 100 --quit-after-result "$sample/calendar.cube"
  test -x "$sample/data/annalex/System/VmRestart.exe"
  test -d "$sample/data/annalex/Error Logs"
  [ "$(/usr/bin/annalex settings read HKCU 'Software\Velmora\Defaults' Installed)" = "$sample/data/annalex" ]
  echo "installed, ran and removed $deb"
fi
