# The Windows stage's kit, sourced by scripts/test-windows.sh and scripts/windows-shutdown-figures.sh: a display
# and a Wine prefix of their own, and the hands that unpack the zip, find windows, type keys and wait.
# The caller sets $build (the Windows build directory), $zip (the package), $wine64 (the loader), and
# has "set -euo pipefail". It gets $work (a folder removed at the end), $pids (killed at the end) and
# the functions below.

# A display of our own, and a Wine prefix kept in the build directory (its first start takes a while).
display=""
for number in $(seq 70 99); do
    if [ ! -e "/tmp/.X11-unix/X$number" ] && [ ! -e "/tmp/.X$number-lock" ]; then
        display=":$number"
        break
    fi
done
[ -n "$display" ] || { echo "No free X display number." >&2; exit 1; }
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display WINEDEBUG=-all WINEPREFIX=${DRAVO_WINEPREFIX:-"$build/wineprefix"}
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
[ -d "$WINEPREFIX" ] || "$wine64" wineboot -i >/dev/null 2>&1

# Unpacks the zip into a new folder and prints the folder that holds dravoserv.exe.
unpack() {
    local target
    target=$(mktemp -d "$work/game.XXXX")
    (cd "$target" && cmake -E tar xf "$zip")
    dirname "$(find "$target" -name dravoserv.exe | head -n 1)"
}
# A UDP port nobody has bound on loopback, from a range the other tests leave alone.
free_port() {
    local port
    for _ in $(seq 1 200); do
        port=$((40000 + RANDOM % 20000))
        if ! ss -Huln "sport = :$port" 2>/dev/null | grep -q .; then
            echo "$port"
            return
        fi
    done
    return 1
}
# Waits at most $2 seconds for a window whose name matches $1; prints its id.
wait_window() {
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    echo "No window named \"$1\" within $2 s." >&2
    return 1
}
# Waits at most 30 seconds for the next wizard page (a new window of the same name as page $1); prints it.
next_page() {
    local deadline=$((SECONDS + 30)) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "^Dravo Server Wizard\$" 2>/dev/null | grep -vx "$1" | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    echo "No next wizard page within 30 s." >&2
    return 1
}
# Sends keys to a window, as typed on the keyboard.
keys() {
    local window=$1 tries=0
    shift
    # A window just created may not be viewable yet, and focusing it then fails (BadMatch): try again
    # for at most 5 s.
    until xdotool windowfocus --sync "$window" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 50 ] || { echo "Cannot focus window $window." >&2; return 1; }
        sleep 0.1
    done
    xdotool key --delay 80 "$@"
}
# Waits at most $2 seconds for quakestat's answer from 127.0.0.1:$1 to show $3 players.
wait_players() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        if quakestat -gps "127.0.0.1:$1" -P 2>/dev/null | grep -Eq "^127\\.0\\.0\\.1:$1 +$3/"; then
            return 0
        fi
        sleep 0.5
    done
    echo "quakestat did not list $3 players on port $1 within $2 s:" >&2
    quakestat -gps "127.0.0.1:$1" -P >&2 || true
    return 1
}
# Waits at most $2 seconds for process $1 to end; its exit status goes to $status.
wait_exit() {
    local deadline=$((SECONDS + $2))
    while kill -0 "$1" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
    if kill -0 "$1" 2>/dev/null; then
        echo "dravoserv.exe did not end within $2 s." >&2
        return 1
    fi
    status=0
    wait "$1" || status=$?
}
# Saved as Windows text: CRLF line ends, the first line naming the engine it was saved by.
crlf_named() {
    head -n 1 "$1" | grep -q $'(server\\.dll)\\. Edit with care\\.\r$' &&
        [ "$(grep -c $'\r$' "$1")" = "$(wc -l <"$1")" ]
}
