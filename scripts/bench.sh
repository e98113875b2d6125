#!/usr/bin/env bash
# Builds the benchmarks and runs them, printing every figure with its goal.
# Usage: scripts/bench.sh [build-dir] [benchmark names...]   (default: all, in the order below)
# Figures are ratios taken within one run; run it on a quiet machine (see `uptime`).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build-bench"}
shift || true
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVO_BUILD_TESTS=OFF -DDRAVO_BUILD_BENCH=ON >/dev/null
"${lock[@]}" cmake --build "$build" --parallel 2 --target benchmarks

benches=("$@")
if [ ${#benches[@]} -eq 0 ]; then
    benches=(Startup_bench JunkConfiguration_bench Memory_bench IdleCost_bench Cadence_bench)
    for extra in AnswerBuild_bench StatusAnswers_bench QueryFlood_bench QueryAbuse_bench Fleet_bench Remote_bench; do
        [ -x "$build/bin/$extra" ] && benches+=("$extra")
    done
fi
echo "Machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for bench in "${benches[@]}"; do
    echo
    echo "== $bench"
    "$build/bin/$bench"
done
