#!/usr/bin/env bash
# Sets up and builds (see setup.sh), then runs every test suite through CTest.
#   scripts/test.sh               the release build
#   scripts/test.sh --sanitize    the AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh "$@"
build_dir=build
[ "${1:-}" = "--sanitize" ] && build_dir=build-asan
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# A test that hangs (a modal box nobody closes) fails after 15 minutes instead of holding CI.
ctest --test-dir "$build_dir" --output-on-failure --timeout 900 -j "$(nproc)"
