#!/usr/bin/env bash
# Builds DravoServ and hosts the bundled sample game with three bot players.
# The server runs in the foreground: type console commands, or /help for the
# window's actions; /shutdown (or Ctrl+C) ends it and saves the configuration.
# Extra arguments go to dravoserv.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${DRAVO_DEMO_BUILD_DIR:-"$root/build-demo"}

"$root/scripts/setup.sh" "$build" -DDRAVO_BUILD_TESTS=OFF

game=$(mktemp -d /tmp/dravo-game.XXXXXX)
cp -r "$root/data/." "$game/"
echo "Sample game copied to $game"
cd "$game"

# Three bots join once the server is up and play for ten minutes (loopback only).
(sleep 2 && exec "$build/bin/dravo-bot" --host 127.0.0.1 --port 27888 --names Ace,Bob,Cyd --duration 600 --quiet) &
bots=$!
trap 'kill $bots 2>/dev/null || true' EXIT

set +e
# GameSpy answers on the query port 25554 (try: quakestat -gps 127.0.0.1:25554); heartbeats go to
# loopback only.
"$build/bin/dravoserv" -go -face headless +UseGameSpy 1 +SpyMasterHost 127.0.0.1 "$@"
status=$?
set -e
echo "dravoserv ended with status $status; its configuration is $game/dravosrv.cfg"
exit $status
