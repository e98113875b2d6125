#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# the whole test suite under them. Any report (leaks included) fails the run.
# scripts/test.sh runs the suite this way, timing the build and the run apart.
# Usage: scripts/test-asan.sh [build-dir] [--build-only | --run-only]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build-asan"}
mode=${2:-}
# Where several developers share a machine, DRAVO_BUILD_LOCK names a lock file that serialises builds.
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

if [ "$mode" != --run-only ]; then
    cmake --preset asan -S "$root" -B "$build" >/dev/null
    "${lock[@]}" cmake --build "$build" --parallel 2
fi
[ "$mode" != --build-only ] || exit 0

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:exitcode=66"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build"
"${lock[@]}" ctest --no-tests=error --output-on-failure -j2
