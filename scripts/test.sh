#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test.
# A run in which no test executed fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${DRAVO_BUILD_DIR:-"$root/build"}
# Where several developers share a machine, DRAVO_BUILD_LOCK names a lock file that serialises builds.
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

"${lock[@]}" "$root/scripts/setup.sh" "$build" -DDRAVO_WERROR=ON -DDRAVO_BUILD_TESTS=ON

cd "$build"
count=$(ctest -N | sed -n 's/^Total Tests: \([0-9]*\)$/\1/p')
if [ -z "$count" ] || [ "$count" -eq 0 ]; then
    echo "No tests were found: failing." >&2
    exit 1
fi
"${lock[@]}" ctest --no-tests=error --output-on-failure -j2

# The format and lint check of the tree (skip with DRAVO_SKIP_LINT=1).
if [ "${DRAVO_SKIP_LINT:-0}" != 1 ]; then
    stage_start=$SECONDS
    "$root/scripts/lint.sh" "$build"
    echo "Lint stage: $((SECONDS - stage_start)) s"
fi

# The threaded parts again under ThreadSanitizer (skip with DRAVO_SKIP_TSAN=1).
if [ "${DRAVO_SKIP_TSAN:-0}" != 1 ]; then
    stage_start=$SECONDS
    "$root/scripts/test-sanitizers.sh" "${DRAVO_TSAN_BUILD_DIR:-$root/build-tsan}"
    echo "ThreadSanitizer stage: $((SECONDS - stage_start)) s"
fi

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (skip with DRAVO_SKIP_ASAN=1).
if [ "${DRAVO_SKIP_ASAN:-0}" != 1 ]; then
    stage_start=$SECONDS
    "$root/scripts/test-asan.sh" "${DRAVO_ASAN_BUILD_DIR:-$root/build-asan}"
    echo "AddressSanitizer stage: $((SECONDS - stage_start)) s"
fi

# The Windows program cross-built with MinGW-w64, its unit tests under wine64 and the end-to-end runs on an
# Xvfb display, from the zip package (skip with DRAVO_SKIP_WINDOWS=1).
if [ "${DRAVO_SKIP_WINDOWS:-0}" != 1 ]; then
    stage_start=$SECONDS
    "$root/scripts/test-windows.sh" "${DRAVO_WINDOWS_BUILD_DIR:-$root/build-windows}" "$build"
    echo "Windows stage: $((SECONDS - stage_start)) s"
fi

# The container image built with podman on a Debian base of its own, run with the stand-in fleet sidecar
# (skip with DRAVO_SKIP_CONTAINER=1).
if [ "${DRAVO_SKIP_CONTAINER:-0}" != 1 ]; then
    stage_start=$SECONDS
    "$root/scripts/test-container.sh" "$build"
    echo "Container stage: $((SECONDS - stage_start)) s"
fi

# Every fuzz target for 60 s on its seed corpus (skip with DRAVO_SKIP_FUZZ=1).
if [ "${DRAVO_SKIP_FUZZ:-0}" != 1 ]; then
    stage_start=$SECONDS
    "$root/scripts/test-fuzz.sh" "${DRAVO_FUZZ_BUILD_DIR:-$root/build-fuzz}"
    echo "Fuzz stage: $((SECONDS - stage_start)) s"
fi
