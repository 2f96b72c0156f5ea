#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# With --sanitize, the build uses AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
if [ "${1:-}" = "--sanitize" ]; then
    build=$here/build-asan
    "$here/scripts/build.sh" "$build" -DTORVANE_SANITIZE=ON -DTORVANE_BUILD_BENCH=OFF
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
    build=$here/build
    "$here/scripts/build.sh" "$build"
fi
ctest --test-dir "$build" --output-on-failure -j2
