#!/bin/bash
# Runs inside xvfb-run: starts the demo in its data folder, answers the start-up question
# with Enter, then sends the given keys to its window ("wait" lets three seconds pass;
# "box:TEXT" presses Enter on the error box whose caption holds TEXT). Writes the demo's
# exit status to DATA/exit_status and notes of its own to STDERR_FILE.drive. With
# WINDOW_MANAGER set (openbox, matchbox-window-manager), that window manager runs too.
# Usage: drive_demo.sh DEMO DATA STDERR_FILE KEY...
set -u
demo=$1
data=$2
errors=$3
notes=$3.drive
shift 3

# Without a window manager keys go to the window under the pointer, and a key that
# reaches the root window while SDL's message box is up can end the X connection: every
# key is sent with the pointer on the centre of the window it is meant for.
window=""
find_window() {  # the newest visible window named like $1, not the root (nameless, at 0,0)
    window=""
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ -n "$(xdotool getwindowname "$id")" ] || [ "$X" -ne 0 ] || [ "$Y" -ne 0 ]; then
            window=$id
        fi
    done
    [ -n "$window" ]
}

press_key_on_window() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    sleep 0.3
    xdotool key "$1"
}

# xdotool cannot read the captions SDL gives its boxes; xwininfo lists them.
find_box() {  # a window whose caption holds $1
    window=$(xwininfo -root -tree 2>/dev/null | grep -F -- "$1" | head -n 1 | awk '{print $1}')
    [ -n "$window" ]
}

dismiss_box() {  # waits up to twenty seconds for the box captioned with $1, then Enter
    for _ in $(seq 1 200); do
        find_box "$1" && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "no box captioned '$1'" >>"$notes"
        return 1
    fi
    press_key_on_window Return
}

press_on() {  # waits up to twenty seconds for a window named like $1, then presses $2 on it
    for _ in $(seq 1 200); do
        find_window "$1" && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "no window named '$1'" >>"$notes"
        return 1
    fi
    press_key_on_window "$2"
}

# Enter on "Window Mode?" (No, full screen). SDL's message box shows no name to xdotool.
# Should SDL fail to show the box, the demo takes No by itself and opens its window.
answer_question() {
    for _ in $(seq 1 200); do
        if find_window '^$'; then
            press_key_on_window Return
            return
        fi
        if find_window 'Dorminax'; then
            echo "no question box was shown" >>"$notes"
            return
        fi
        sleep 0.1
    done
}

cd "$data" || exit 1
wm_pid=""
if [ -n "${WINDOW_MANAGER:-}" ]; then
    "$WINDOW_MANAGER" >/dev/null 2>&1 &
    wm_pid=$!
    sleep 1
fi
"$demo" 2>"$errors" &
pid=$!

answer_question

sleep 2
for key in "$@"; do
    case $key in
        wait) sleep 3; continue ;;
        box:*) dismiss_box "${key#box:}" ;;
        *) press_on 'Dorminax' "$key" ;;
    esac
    sleep 0.7
done

for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"  # SDL turns a plain kill into a quit event, which a box never reads
    echo "the demo did not end" >>"$notes"
fi
wait "$pid"
echo $? >"$data/exit_status"
if [ -n "$wm_pid" ]; then kill "$wm_pid"; fi
