#!/usr/bin/env bash
# Installs every Debian package the project needs (idempotent) and builds it.
#   scripts/setup.sh                 release build in build/
#   scripts/setup.sh --sanitize      AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build clang-format pkgconf
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 libcli11-dev
  libzip-dev zlib1g-dev libcurl4-openssl-dev python3-aiosmtpd libicu-dev
  qt6-base-dev fonts-liberation xvfb xauth
  clang libclang-rt-14-dev
  postgresql
  dpkg-dev fakeroot lintian desktop-file-utils
)

source scripts/install_packages.sh
install_missing "${packages[@]}"

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  extra=(-DANNALEX_SANITIZE=ON -DANNALEX_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi

cmake -S . -B "$build_dir" -G Ninja "${extra[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
