#!/usr/bin/env bash
# The container stage: a Debian 12 base made with mmdebstrap from Debian's packages (no registry is
# reached; the base is kept as the image localhost/dravoserv-base:bookworm and made again only when it is
# missing), the image built from the Containerfile with podman (its layers and the build stage's compiler
# cache stay with podman, so a rebuild compiles only what changed), then tests/container/ against it: the
# container on the host network beside the stand-in sidecar, quakestat, dravo-bot and podman stop.
# Usage: scripts/test-container.sh [linux-build-dir (for the test program and dravo-bot)]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

"$root/scripts/install-packages.sh" podman runc mmdebstrap uidmap qstat
# crun refuses this kind of kernel's hybrid cgroups, and raising limits is refused: runc, and limits as
# they are.
podman=(podman --runtime runc)
limits=(--ulimit nofile=1024:1024 --ulimit nproc=1024:1024)
base=${DRAVO_CONTAINER_BASE:-localhost/dravoserv-base:bookworm}
image=localhost/dravoserv:test

if ! "${podman[@]}" image exists "$base"; then
    step=$SECONDS
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    "${lock[@]}" mmdebstrap --variant=minbase --aptopt='Acquire::Check-Valid-Until "false"' bookworm "$work/base.tar"
    "${podman[@]}" import "$work/base.tar" "$base" >/dev/null
    rm -rf "$work"
    echo "Base image $base made in $((SECONDS - step)) s"
fi

step=$SECONDS
"${lock[@]}" "${podman[@]}" build --network host "${limits[@]}" --build-arg BASE="$base" -t "$image" \
    -f "$root/Containerfile" "$root"
echo "Image $image built in $((SECONDS - step)) s"

"${lock[@]}" cmake --build "$build" --parallel 2 --target container_tests dravo-bot
DRAVO_CONTAINER_IMAGE=$image "${lock[@]}" "$build/bin/container_tests"
