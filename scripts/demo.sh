#!/usr/bin/env bash
# Builds DravoServ and runs it on a fresh copy of the bundled sample game.
# Extra arguments go to dravoserv (for example -go).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${DRAVO_BUILD_DIR:-"$root/build"}

"$root/scripts/setup.sh" "$build" -DDRAVO_BUILD_TESTS=OFF

game=$(mktemp -d /tmp/dravo-game.XXXXXX)
cp -r "$root/data/." "$game/"
echo "Sample game copied to $game"
cd "$game"
set +e
"$build/bin/dravoserv" "$@"
status=$?
set -e
echo "dravoserv ended with status $status; the configuration it saved:"
cat "$game/dravosrv.cfg" 2>/dev/null || echo "(none)"
exit $status
