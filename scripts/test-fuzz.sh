#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each on a copy of its seed corpus for DRAVO_FUZZ_SECONDS (30) seconds, as many at a time as the
# machine has cores (DRAVO_FUZZ_JOBS).
# A crash, a sanitizer report, a leak or a timeout fails the run; the input is kept in the build directory.
# Usage: scripts/test-fuzz.sh [build-dir]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build-fuzz"}
seconds=${DRAVO_FUZZ_SECONDS:-30}
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDRAVO_BUILD_FUZZ=ON -DDRAVO_BUILD_TESTS=OFF >/dev/null
"${lock[@]}" cmake --build "$build" --parallel 2 --target fuzz_targets

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# The targets run DRAVO_FUZZ_JOBS (the machine's cores) at a time, each single-threaded on its own copy of
# its corpus; their reports are printed in the order of the targets once all have ended.
jobs=${DRAVO_FUZZ_JOBS:-$(nproc)}

fuzz_one() {
    local target=$1 corpus=$2
    local work="$build/fuzz-work/$target"
    rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
    cp "$corpus"/* "$work/corpus/" 2>/dev/null || true
    if "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log.txt" 2>&1; then
        echo pass >"$work/result"
    else
        echo fail >"$work/result"
    fi
}

targets=()
for corpus in "$root"/fuzz/corpus/*/; do
    target=$(basename "$corpus")
    targets+=("$target")
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || true
    done
    echo "== $target: ${seconds} s"
    fuzz_one "$target" "$corpus" &
done
wait

failed=0
for target in "${targets[@]}"; do
    work="$build/fuzz-work/$target"
    if [ "$(cat "$work/result" 2>/dev/null)" != pass ]; then
        echo "FAILED: $target (log and crashing input in $work)" >&2
        tail -n 40 "$work/log.txt" >&2
        failed=1
    else
        echo "$target: $(grep -E '^stat::number_of_executed_units|^Done' "$work/log.txt" | tr '\n' ' ')"
    fi
done
[ "${#targets[@]}" -gt 0 ] || { echo "No fuzz targets ran: failing." >&2; failed=1; }
exit "$failed"
