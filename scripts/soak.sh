#!/usr/bin/env bash
# Soak test (not part of CI): 10 minutes of everything at once against a
# ThreadSanitizer build of dravoserv: 16 bots with churn, 500 status queries a
# second from 100 loopback addresses, an operator command every 50 ms, a level
# change every 30 s. Fails on a sanitizer report, a hang or memory growth.
# Usage: scripts/soak.sh [minutes] [build-dir]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
minutes=${1:-10}
build=${2:-"$root/build-tsan"}
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

cmake --preset tsan -S "$root" -B "$build" -DDRAVO_BUILD_BENCH=ON >/dev/null
"${lock[@]}" cmake --build "$build" --parallel 2 --target dravoserv server dravo-bot Soak_bench

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66"
"$build/bin/Soak_bench" --minutes "$minutes"
