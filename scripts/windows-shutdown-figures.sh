#!/usr/bin/env bash
# How the Windows program ends, measured under Wine from the zip that scripts/test-windows.sh made (run
# that first; this is not part of CI). Two series of rounds on one unpacked copy:
#   - the console window shut down by its keys, Alt+S then Alt+Y: every round must exit 0 and save
#     dravosrv.cfg anew as Windows text; the time from Yes to the end of the process, and from the save
#     (the file's change time) to that end;
#   - the headless face stopped by /shutdown on a standard input that stays open: every round must exit
#     0 and save; the time from /shutdown and from the save to the end of the process.
# Prints each round and the range of each figure. Run it inside the build lock: it takes both cores.
# Usage: scripts/windows-shutdown-figures.sh [windows-build-dir] [rounds (20)]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build-windows"}
rounds=${2:-20}
wine64=$(dpkg -L wine64 | grep '/wine64$' | head -n 1)
zip=$(find "$build" -maxdepth 1 -name 'dravoserv-*-win64.zip' | head -n 1)
[ -n "$zip" ] || { echo "No zip package in $build: run scripts/test-windows.sh first." >&2; exit 1; }
# shellcheck source=windows-e2e-kit.sh
source "$root/scripts/windows-e2e-kit.sh"
# On hiding a window it hands to the X window manager, Wine waits up to 2 s for the manager to withdraw
# it. The stage's display runs no manager, so each window hidden on the way out (the question, then the
# console window) would add those 2 s, which Windows never spends: for these rounds Wine keeps
# dravoserv.exe's windows to itself. The setting goes again at the end.
wine_x11_key='HKCU\Software\Wine\AppDefaults\dravoserv.exe\X11 Driver'
"$wine64" reg add "$wine_x11_key" /v Managed /d N /f >/dev/null 2>&1
trap '"$wine64" reg delete "$wine_x11_key" /v Managed /f >/dev/null 2>&1 || true; cleanup' EXIT

nanoseconds() { date +%s%N; }
saved_at() { stat -c %.9Y "$1" | tr -d .; }
milliseconds() { echo $((($2 - $1) / 1000000)); }
# Waits at most 60 s for process $1; its exit status goes to $status, the moment it ended to $ended.
wait_end() {
    (for _ in $(seq 1 600); do sleep 0.1 && kill -0 "$1" 2>/dev/null || exit 0; done && kill "$1") &
    local watchdog=$!
    status=0
    wait "$1" || status=$?
    ended=$(nanoseconds)
    wait "$watchdog" 2>/dev/null || true
}
# Range and median of the numbers given.
summary() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {printf "%d-%d ms (median %d)", v[1], v[NR], v[int((NR+1)/2)]}'; }
check_round() {
    [ "$status" = 0 ] || { echo "Round $1 ended with $status:" >&2; cat "$2" >&2; exit 1; }
    [ "$(saved_at "$game/dravosrv.cfg")" -gt "$3" ] || { echo "Round $1 did not save dravosrv.cfg." >&2; exit 1; }
    crlf_named "$game/dravosrv.cfg" || { echo "Round $1 saved no Windows text naming server.dll." >&2; exit 1; }
}

game=$(unpack)
yes_to_exit=() window_save_to_exit=() stop_to_exit=() headless_save_to_exit=()
echo "== The console window: Alt+S, Alt+Y, $rounds rounds"
for round in $(seq 1 "$rounds"); do
    started=$(nanoseconds)
    (cd "$game" && exec "$wine64" ./dravoserv.exe -go +Port "$(free_port)" >"$work/window.out" 2>"$work/window.err") &
    server=$!
    pids+=("$server")
    console=$(wait_window "^Dravo Server v2.1\$" 90)
    keys "$console" alt+s
    question=$(wait_window "^DravoServ\$" 20)
    xdotool windowfocus --sync "$question"
    xdotool key --delay 0 alt+y
    yes=$(nanoseconds)
    wait_end "$server"
    check_round "$round" "$work/window.err" "$started"
    yes_to_exit+=("$(milliseconds "$yes" "$ended")")
    window_save_to_exit+=("$(milliseconds "$(saved_at "$game/dravosrv.cfg")" "$ended")")
    echo "round $round: exit 0, saved; Yes to exit ${yes_to_exit[-1]} ms, save to exit ${window_save_to_exit[-1]} ms"
done

echo "== The headless face: /shutdown on an open standard input, $rounds rounds"
mkfifo "$work/input"
for round in $(seq 1 "$rounds"); do
    started=$(nanoseconds)
    (cd "$game" && exec "$wine64" ./dravoserv.exe -go -face headless +Port "$(free_port)" <"$work/input" \
        >"$work/headless.out" 2>"$work/headless.err") &
    server=$!
    pids+=("$server")
    exec 3>"$work/input" # held open until the process has ended
    deadline=$((SECONDS + 90))
    until grep -q "^Server is running\." "$work/headless.out" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || { echo "Round $round never ran:" >&2; cat "$work/headless.err" >&2; exit 1; }
        sleep 0.1
    done
    printf '/shutdown\n' >&3
    stop=$(nanoseconds)
    wait_end "$server"
    exec 3>&-
    check_round "$round" "$work/headless.err" "$started"
    stop_to_exit+=("$(milliseconds "$stop" "$ended")")
    headless_save_to_exit+=("$(milliseconds "$(saved_at "$game/dravosrv.cfg")" "$ended")")
    echo "round $round: exit 0, saved; /shutdown to exit ${stop_to_exit[-1]} ms, save to exit ${headless_save_to_exit[-1]} ms"
done

echo "== $rounds rounds each, every one exit 0 and saved"
echo "Window, Yes to exit:          $(summary "${yes_to_exit[@]}")"
echo "Window, save to exit:         $(summary "${window_save_to_exit[@]}")"
echo "Headless, /shutdown to exit:  $(summary "${stop_to_exit[@]}")"
echo "Headless, save to exit:       $(summary "${headless_save_to_exit[@]}")"
