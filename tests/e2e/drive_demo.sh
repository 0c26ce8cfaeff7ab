#!/bin/bash
# Runs inside xvfb-run: starts the demo in its data folder, answers the start-up question
# with Enter, then sends the given keys to its window ("wait" lets three seconds pass;
# "dismiss" alone presses Enter on an error box instead). Writes the demo's exit status
# to DATA/exit_status.
# Usage: drive_demo.sh DEMO DATA STDERR_FILE KEY...
set -u
demo=$1
data=$2
errors=$3
shift 3

# Without a window manager keys go to the window under the pointer: keep it on the
# centre of the screen, where the boxes and the full-screen window are.
press() {
    xdotool mousemove 512 384
    sleep 0.3
    xdotool key "$1"
}

wait_for_window() {  # a window with the given name, up to ten seconds
    for _ in $(seq 1 50); do
        xdotool search --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

cd "$data" || exit 1
"$demo" 2>"$errors" &
pid=$!

sleep 1.5  # the "Window Mode?" box
press Return

if [ "$1" = dismiss ]; then
    sleep 3
    press Return
else
    wait_for_window "Dorminax" || echo "no demo window" >>"$errors"
    sleep 2
    for key in "$@"; do
        if [ "$key" = wait ]; then
            sleep 3
            continue
        fi
        press "$key"
        sleep 0.7
    done
fi

for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "timeout" >>"$errors"
fi
wait "$pid"
echo $? >"$data/exit_status"
