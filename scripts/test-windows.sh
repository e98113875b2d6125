#!/usr/bin/env bash
# The Windows stage: cross-builds dravoserv.exe, server.dll, dravo-bot.exe, dravo-rez.exe and the unit
# tests with MinGW-w64 (preset windows, build-windows/), runs the unit tests under wine64 on an Xvfb
# display, makes the zip package, and then, from the unpacked zip, end to end:
#   1. dravoserv.exe -go hosts the sample game; Linux dravo-bot players join over loopback; quakestat
#      lists the game with them; the console window "Dravo Server v2.1" is found by its title and its log
#      names them; Shutdown and Yes, by keys, end it with exit status 0 and the configuration saved;
#   2. a first run without a saved configuration walks the setup pages by keys to a hosted game;
#   3. what an operator types on never ends a game: Esc and letters in the console window and on a wizard
#      page, the keys of a button kept to one press; a second server on "dravosrv.cfg." and a read-only
#      configuration are refused with their reasons; the guide and the log file are Windows text.
# Screenshots of the console window and of a wizard page go to the build directory.
# Usage: scripts/test-windows.sh [windows-build-dir] [linux-build-dir (for dravo-bot)]
# (DRAVO_SKIP_UNIT_TESTS=1 leaves out the unit tests.)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build-windows"}
linux_build=${2:-"$root/build"}
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick googletest qstat nlohmann-json3-dev)
"$root/scripts/install-packages.sh" "${packages[@]}"
wine64=$(dpkg -L wine64 | grep '/wine64$' | head -n 1)
bot="$linux_build/bin/dravo-bot"
[ -x "$bot" ] || { echo "The Linux dravo-bot is missing: build $linux_build first." >&2; exit 1; }

"${lock[@]}" cmake --preset windows -S "$root" -B "$build" -DDRAVO_BUILD_TESTS=ON >/dev/null
"${lock[@]}" cmake --build "$build" --parallel 2

# A display of our own, a Wine prefix, and the end-to-end hands.
source "$root/scripts/windows-e2e-kit.sh"

# DRAVO_SKIP_UNIT_TESTS=1 goes straight to the package and the end-to-end runs (the unit tests passed
# already, under the same build).
if [ -z "${DRAVO_SKIP_UNIT_TESTS:-}" ]; then
    echo "== Unit tests under wine64"
    (cd "$build" && "${lock[@]}" ctest --no-tests=error --output-on-failure)
fi

echo "== The zip package"
(cd "$build" && cpack -G ZIP >/dev/null)
zip="$build/dravoserv-$(sed -n 's/^project(DravoServ VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")-win64.zip"
[ -f "$zip" ] || { echo "No package at $zip" >&2; exit 1; }

echo "== End to end: dravoserv.exe -go with Linux dravo-bot players"
game=$(unpack)
game_port=$(free_port)
query_port=$(free_port)
(cd "$game" && exec "$wine64" ./dravoserv.exe -go -logfile console.log +Port "$game_port" +UseGameSpy 1 \
    +SpyQueryPort "$query_port" +SpyMasterHost 127.0.0.1 +WebRegUrl http://127.0.0.1:9/servers/server.asp \
    >"$work/hosted.out" 2>"$work/hosted.err") &
server=$!
pids+=("$server")
console=$(wait_window "^Dravo Server v2.1\$" 90)
wait_players "$query_port" 60 0
"$bot" --port "$game_port" --names Ace,Bob,Cyd --duration 120 --quiet &
pids+=($!)
wait_players "$query_port" 60 3
quakestat -gps "127.0.0.1:$query_port" -P | tee "$work/quakestat.txt"
for name in Ace Bob Cyd; do
    grep -q "$name" "$work/quakestat.txt" || { echo "quakestat does not list $name." >&2; exit 1; }
    grep -q "$name" "$game/console.log" || { echo "The console log does not name $name." >&2; exit 1; }
done
sleep 1 # the player list is redrawn with the last state before the picture is taken
import -window "$console" "$build/windows-console.png"
# Esc in the command field is a stray key, and the letters typed on stay in the field.
keys "$console" s a y space Escape y o u
xdotool search --onlyvisible --name "^DravoServ\$" >/dev/null 2>&1 && { echo "Esc opened the exit question." >&2; exit 1; }
kill -0 "$server" || { echo "Esc and y ended the server." >&2; exit 1; }
# A second server on the same file, spelt as Windows strips it, is refused with the advice.
(cd "$game" && "$wine64" ./dravoserv.exe -go -face headless -CONFIG "dravosrv.cfg." +Port "$(free_port)" \
    </dev/null >"$work/second.out" 2>"$work/second.err") && { echo "A second server started on dravosrv.cfg." >&2; exit 1; }
grep -q "ERROR - Another DravoServ (process " "$work/second.err" && grep -q "Stop that server first" "$work/second.err" || {
    echo "The second server was not refused with its reason:" >&2
    cat "$work/second.err" >&2
    exit 1
}
keys "$console" alt+s # Shutdown...
question=$(wait_window "^DravoServ\$" 20)
keys "$question" y n space # letters and Space typed on do not answer the question
xdotool search --onlyvisible --name "^DravoServ\$" >/dev/null 2>&1 || { echo "A typed letter answered the exit question." >&2; exit 1; }
keys "$question" alt+y # ...Yes (No is the default answer)
wait_exit "$server" 60
[ "$status" = 0 ] || { echo "dravoserv.exe ended with $status:" >&2; cat "$work/hosted.err" >&2; exit 1; }
grep -q "^SpyQueryPort \"$query_port\"" "$game/dravosrv.cfg" || { echo "The configuration was not saved." >&2; exit 1; }
crlf_named "$game/dravosrv.cfg" || { echo "The configuration is not saved as CRLF text naming server.dll." >&2; exit 1; }
# Windows text: every line of the log file and of the guide ends in CRLF.
all_crlf() { [ "$(grep -c $'\r$' "$1")" = "$(wc -l <"$1")" ]; }
all_crlf "$game/console.log" || { echo "The log file has lines without CRLF." >&2; exit 1; }
all_crlf "$game/DravoSrv.txt" || { echo "The guide in the zip has lines without CRLF." >&2; exit 1; }
# attrib +r freezes the configuration: the next start refuses, saying why, and leaves it as it is.
(cd "$game" && "$wine64" cmd /c attrib +r dravosrv.cfg) >/dev/null 2>&1
before=$(md5sum <"$game/dravosrv.cfg")
(cd "$game" && "$wine64" ./dravoserv.exe -go -face headless +Port "$(free_port)" </dev/null \
    >"$work/readonly.out" 2>"$work/readonly.err") && { echo "A read-only configuration was taken." >&2; exit 1; }
grep -q "dravosrv.cfg\": it is marked read-only" "$work/readonly.err" || {
    echo "The read-only configuration was not refused with its reason:" >&2
    cat "$work/readonly.err" >&2
    exit 1
}
[ "$(md5sum <"$game/dravosrv.cfg")" = "$before" ] || { echo "The read-only configuration was changed." >&2; exit 1; }
echo "Hosted, listed with its players, shut down through its window: exit 0, configuration saved."

echo "== End to end: the headless face, commands on standard input"
game=$(unpack)
game_port=$(free_port)
(cd "$game" && printf 'status\n/players\n/shutdown\n' | "$wine64" ./dravoserv.exe -go -face headless \
    +Port "$game_port" >"$work/headless.out" 2>"$work/headless.err") || {
    echo "dravoserv.exe -face headless failed:" >&2
    cat "$work/headless.out" "$work/headless.err" >&2
    exit 1
}
grep -q "^Server is running\." "$work/headless.out" || { echo "No ready line on standard output." >&2; exit 1; }
grep -q "(answered Yes)" "$work/headless.err" || { echo "/shutdown did not ask and answer." >&2; exit 1; }
echo "Hosted with -face headless, ended by /shutdown on standard input: exit 0."

echo "== End to end: a configuration another program holds open is not saved, and the box says why"
game=$(unpack)
(cd "$game" && exec "$wine64" ./dravoserv.exe -go +Port "$(free_port)" >"$work/held.out" 2>"$work/held.err") &
server=$!
pids+=("$server")
console=$(wait_window "^Dravo Server v2.1\$" 90)
before=$(md5sum <"$game/dravosrv.cfg")
(cd "$game" && exec "$wine64" "$build/bin/wine-probe.exe" hold dravosrv.cfg 120 >"$work/hold.out" 2>"$work/hold.err") &
holder=$!
pids+=("$holder")
deadline=$((SECONDS + 30))
until grep -q "^held" "$work/hold.out" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] && kill -0 "$holder" 2>/dev/null || {
        echo "The probe could not hold dravosrv.cfg open:" >&2
        cat "$work/hold.err" >&2
        exit 1
    }
    sleep 0.2
done
keys "$console" alt+s
question=$(wait_window "^DravoServ\$" 20)
keys "$question" alt+y
# The error box has the question's title: read the words of the box that stands now until they are its.
deadline=$((SECONDS + 30))
until grep -q "Unable to save" "$work/box.txt" 2>/dev/null || [ $SECONDS -ge $deadline ]; do
    "$wine64" "$build/bin/wine-probe.exe" box-text DravoServ 10 >"$work/box.txt" 2>/dev/null || true
done
grep -q "Unable to save the configuration file \"dravosrv.cfg\"" "$work/box.txt" &&
    grep -Eq "Cannot replace [^ ]*dravosrv\.cfg: [^ ]+" "$work/box.txt" || {
    echo "The box of the failed save does not say why:" >&2
    cat "$work/box.txt" >&2
    exit 1
}
keys "$(wait_window "^DravoServ\$" 10)" Return
wait_exit "$server" 60
kill "$holder" 2>/dev/null || true
[ "$(md5sum <"$game/dravosrv.cfg")" = "$before" ] || { echo "The held configuration was changed." >&2; exit 1; }
# A run whose settings were not saved ends with exit status 3.
[ "$status" = 3 ] || { echo "The run with a held configuration ended with exit status $status, not 3." >&2; exit 1; }
echo "A held-open configuration: the box said \"$(grep "Cannot replace" "$work/box.txt")\"; exit status $status."

echo "== End to end: the remote console of dravoserv.exe with the npm client rcon-srcds"
modules="$linux_build/node_modules"
[ -e "$modules/rcon-srcds/package.json" ] || { echo "rcon-srcds is missing: run scripts/setup.sh $linux_build." >&2; exit 1; }
game=$(unpack)
game_port=$(free_port)
rcon_port=$(free_port)
# The last run's Wine server ends first, so that this run does not start while it is going away.
timeout 30 /usr/lib/wine/wineserver -w || true
password=Tr0ub4dor-wine
(cd "$game" && exec "$wine64" ./dravoserv.exe -go -face headless -logfile rcon.log +Port "$game_port" +RconPort "$rcon_port" \
    +RconPassword "$password" +RconReplyWait 0.05 </dev/null >"$work/rcon.out" 2>"$work/rcon.err") &
server=$!
pids+=("$server")
deadline=$((SECONDS + 90))
until grep -q "Remote console listening on TCP 127.0.0.1:$rcon_port" "$game/rcon.log" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] && kill -0 "$server" 2>/dev/null || {
        echo "The remote console of dravoserv.exe did not start (running: $(kill -0 "$server" 2>/dev/null && echo yes || echo no)):" >&2
        cat "$work/rcon.out" "$work/rcon.err" "$game/rcon.log" >&2
        exit 1
    }
    sleep 0.2
done
rcon() { node "$root/tests/integration/rcon-peer.js" "$modules" srcds "$rcon_port" "$@"; }
logins=$(rcon "$password" logins 20)
[ "$logins" = '{"ok":20}' ] || { echo "Logins over RCON: $logins" >&2; exit 1; }
answers=$(rcon "$password" run status "+ServerName \"Wine Arena\"" ServerName /players)
for expected in "0 of 16 players" 'ServerName is \"Wine Arena\"' "Players: 0"; do
    grep -qF "$expected" <<<"$answers" || { echo "No $expected in the RCON answers: $answers" >&2; exit 1; }
done
wrong=$(rcon wrong-password login)
grep -q '"ok":false' <<<"$wrong" || { echo "A wrong password was taken: $wrong" >&2; exit 1; }
grep -q "Remote console: wrong password from 127.0.0.1." "$game/rcon.log" || {
    echo "The wrong password was not logged." >&2
    exit 1
}
shutdown=$(rcon "$password" run /shutdown)
[ "$shutdown" = '["Shutting the server down.\n"]' ] || { echo "/shutdown over RCON: $shutdown" >&2; exit 1; }
wait_exit "$server" 60
[ "$status" = 0 ] || { echo "dravoserv.exe ended with $status:" >&2; cat "$work/rcon.err" >&2; exit 1; }
if grep -qF "$password" "$work/rcon.out" "$work/rcon.err" "$game/rcon.log"; then
    echo "The password shows in the output." >&2
    exit 1
fi
echo "Logged in 20 times, ran commands and actions, refused a wrong password, stopped by /shutdown over RCON: exit 0."

echo "== End to end: a first run walks the setup pages by keys"
game=$(unpack)
rm -f "$game/dravosrv.cfg"
game_port=$(free_port)
query_port=$(free_port)
(cd "$game" && exec "$wine64" ./dravoserv.exe -logfile first.log +Port "$game_port" +UseGameSpy 1 +SpyQueryPort "$query_port" \
    +SpyMasterHost 127.0.0.1 +WebRegUrl http://127.0.0.1:9/servers/server.asp \
    >"$work/first.out" 2>"$work/first.err") &
server=$!
pids+=("$server")
page=$(wait_window "^Dravo Server Wizard\$" 90)
# A first run selects TCP/IP, the service the engine can host, at the top of the sorted list.
sleep 0.5
import -window "$page" "$build/windows-wizard.png"
# Esc asks whether to discard the setup; a y typed on does not answer it, and Enter answers its No.
keys "$page" Escape y
discard=$(next_page "$page")
keys "$discard" Return
kill -0 "$server" || { echo "Esc and y discarded the setup." >&2; exit 1; }
for name in services "rez file" "game settings" "game options"; do
    echo "Next on the $name page"
    keys "$page" alt+n
    page=$(next_page "$page")
done
keys "$page" Down Tab Tab space # the level page: the first retail level, then Add >
keys "$page" alt+f              # Finish
tip=$(wait_window "^Dravo Server\$" 30)
keys "$tip" Return # the "-go" tip
console=$(wait_window "^Dravo Server v2.1\$" 60)
wait_players "$query_port" 60 0
# Tab to Next Level, Enter: Next Level asks first; Alt+Y answers it, and the focus is back in the command
# field, so the next Enter sends an empty line there and one level change comes of it all.
changes=$(grep -c "Level changed to" "$game/first.log" || true)
keys "$console" Tab Tab Tab Return
question=$(wait_window "^DravoServ\$" 20)
keys "$question" alt+y
keys "$console" Return
deadline=$((SECONDS + 30))
until [ "$(grep -c "Level changed to" "$game/first.log" || true)" -gt "$changes" ] || [ $SECONDS -ge $deadline ]; do sleep 0.2; done
changes=$((changes + 1))
keys "$console" alt+s # Shutdown...
question=$(wait_window "^DravoServ\$" 20)
keys "$question" alt+y # ...Yes
wait_exit "$server" 60
[ "$status" = 0 ] || { echo "dravoserv.exe ended with $status:" >&2; cat "$work/first.err" >&2; exit 1; }
grep -q '^NumLevels "1"' "$game/dravosrv.cfg" || { echo "The first run's settings were not saved." >&2; exit 1; }
[ "$(grep -c "Level changed to" "$game/first.log")" = "$changes" ] || {
    echo "Tab Tab Tab Enter Enter did not change the level once:" >&2
    grep "Level changed to" "$game/first.log" >&2
    exit 1
}
crlf_named "$game/dravosrv.cfg" || { echo "The first run's configuration is not CRLF text naming server.dll." >&2; exit 1; }
echo "The setup pages walked by keys to a hosted game; exit 0, configuration saved."
echo "Screenshots: $build/windows-console.png $build/windows-wizard.png"
