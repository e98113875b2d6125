#!/usr/bin/env bash
# Installs what the build needs (Debian 12), then configures and builds.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
# DRAVO_SETUP_TARGET names the one target to build (for example product); without it, everything is built.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
shift || true

packages=(cmake ninja-build g++ libgtest-dev libcurl4-openssl-dev nlohmann-json3-dev qstat rcon libncurses-dev tmux)
# clang with its sanitizer and libFuzzer runtimes for the fuzz stage; valgrind for the instruction benchmark.
packages+=(clang libclang-rt-14-dev valgrind)
# The fleet manifests' check.
packages+=(python3-yaml python3-jsonschema)
# The format and lint stage.
packages+=(clang-format clang-tidy)
"$root/scripts/install-packages.sh" "${packages[@]}"

# gamedig (the GameSpy client of the interop test) and rcon-srcds and rcon-client (the remote console's
# clients) come from npm (node and npm from Debian when missing); Prometheus and curl, which read the
# metrics, from Debian. A build without tests (the demo's) needs none of them.
tests=1
for argument in "$@"; do
    [ "$argument" != "-DDRAVO_BUILD_TESTS=OFF" ] || tests=0
done
if [ "$tests" = 1 ] && ! command -v npm >/dev/null 2>&1; then
    "$root/scripts/install-packages.sh" nodejs npm
fi
if [ "$tests" = 1 ]; then
    "$root/scripts/install-packages.sh" prometheus curl
fi
mkdir -p "$build"
if [ "$tests" = 1 ] && { [ ! -e "$build/node_modules/gamedig/bin/gamedig.js" ] ||
    [ ! -e "$build/node_modules/rcon-srcds/package.json" ] || [ ! -e "$build/node_modules/rcon-client/package.json" ]; }; then
    npm install --prefix "$build" --no-save --no-audit --no-fund --loglevel=error gamedig@5 rcon-srcds@2.1 \
        rcon-client@4.2
fi

cmake -S "$root" -B "$build" -G Ninja "$@"
target=()
[ -z "${DRAVO_SETUP_TARGET:-}" ] || target=(--target "$DRAVO_SETUP_TARGET")
cmake --build "$build" --parallel 2 "${target[@]}"
