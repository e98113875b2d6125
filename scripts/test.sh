#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test.
# A run in which no test executed fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${DRAVO_BUILD_DIR:-"$root/build"}
# Where several developers share a machine, DRAVO_BUILD_LOCK names a lock file that serialises builds.
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

# Each stage's time, printed together at the end, also when a stage fails.
stages=()
stage_start=$SECONDS
stage_done() {
    stages+=("$(printf '%-16s %5d s' "$1" $((SECONDS - stage_start)))")
    echo "$1 stage: $((SECONDS - stage_start)) s"
    stage_start=$SECONDS
}
print_stages() {
    echo "Stage times:"
    printf '  %s\n' "${stages[@]}"
    echo "  (total $SECONDS s)"
}
trap print_stages EXIT

# The plain build: the program, the engine library and the tools, optimised, with warnings as errors. The
# test programs are configured (the npm peers, the container's test) but built in the sanitizer build.
DRAVO_SETUP_TARGET=product "${lock[@]}" "$root/scripts/setup.sh" "$build" -DDRAVO_WERROR=ON -DDRAVO_BUILD_TESTS=ON
stage_done "Set-up and build"

# Every test, once, under AddressSanitizer and UndefinedBehaviorSanitizer: a debug build of everything with
# the tests (build-asan/); any report, leaks included, fails the run. DRAVO_PLAIN_TESTS=1 builds and runs
# them in the plain build instead.
if [ "${DRAVO_PLAIN_TESTS:-0}" = 1 ]; then
    "${lock[@]}" cmake --build "$build" --parallel 2
    tests_build=$build
else
    "$root/scripts/test-asan.sh" "${DRAVO_ASAN_BUILD_DIR:-$root/build-asan}" --build-only
    tests_build=${DRAVO_ASAN_BUILD_DIR:-$root/build-asan}
fi
count=$(cd "$tests_build" && ctest -N | sed -n 's/^Total Tests: \([0-9]*\)$/\1/p')
if [ -z "$count" ] || [ "$count" -eq 0 ]; then
    echo "No tests were found: failing." >&2
    exit 1
fi
stage_done "Test build"
if [ "${DRAVO_PLAIN_TESTS:-0}" = 1 ]; then
    (cd "$tests_build" && "${lock[@]}" ctest --no-tests=error --output-on-failure -j2)
else
    "$root/scripts/test-asan.sh" "$tests_build" --run-only
fi
stage_done "Tests"

# The format and lint check of the tree (skip with DRAVO_SKIP_LINT=1).
if [ "${DRAVO_SKIP_LINT:-0}" != 1 ]; then
    "$root/scripts/lint.sh" "$build"
    stage_done "Lint"
fi

# The threaded parts again under ThreadSanitizer (skip with DRAVO_SKIP_TSAN=1).
if [ "${DRAVO_SKIP_TSAN:-0}" != 1 ]; then
    "$root/scripts/test-sanitizers.sh" "${DRAVO_TSAN_BUILD_DIR:-$root/build-tsan}"
    stage_done "ThreadSanitizer"
fi

# The Windows program cross-built with MinGW-w64, its unit tests under wine64 and the end-to-end runs on an
# Xvfb display, from the zip package (skip with DRAVO_SKIP_WINDOWS=1).
if [ "${DRAVO_SKIP_WINDOWS:-0}" != 1 ]; then
    "$root/scripts/test-windows.sh" "${DRAVO_WINDOWS_BUILD_DIR:-$root/build-windows}" "$build"
    stage_done "Windows"
fi

# The container image built with podman on a Debian base of its own, run with the stand-in fleet sidecar
# (skip with DRAVO_SKIP_CONTAINER=1).
if [ "${DRAVO_SKIP_CONTAINER:-0}" != 1 ]; then
    "$root/scripts/test-container.sh" "$build"
    stage_done "Container"
fi

# Every fuzz target for 30 s on its seed corpus (skip with DRAVO_SKIP_FUZZ=1).
if [ "${DRAVO_SKIP_FUZZ:-0}" != 1 ]; then
    "$root/scripts/test-fuzz.sh" "${DRAVO_FUZZ_BUILD_DIR:-$root/build-fuzz}"
    stage_done "Fuzz"
fi
