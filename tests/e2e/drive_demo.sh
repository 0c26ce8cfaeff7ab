#!/bin/bash
# Runs on an X display (tests/on_xvfb.sh): starts the demo in a folder (its data folder,
# or any other) with the options in DEMO_ARGS, answers the start-up question with Enter
# unless an option settles the mode, then takes these steps on its window:
#   KEY            presses the key ("wait" lets three seconds pass)
#   box:TEXT       presses Enter on the error box whose caption holds TEXT
#   size           writes the window's size, WIDTHxHEIGHT, and the smallest size it may
#                  be given, "minimum WIDTHxHEIGHT", to STDERR_FILE.size
#   KEY@N:SECONDS  holds Shift (the window title then shows the scene and its time) until
#                  the title shows scene N at SECONDS or later, then presses the key
# With WINDOW_MANAGER set (openbox, matchbox-window-manager), that window manager runs too.
# Writes the demo's exit status to FOLDER/exit_status and notes of its own to
# STDERR_FILE.drive.
# Usage: [DEMO_ARGS=...] drive_demo.sh DEMO FOLDER STDERR_FILE STEP...
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

wait_for_window() {  # up to twenty seconds, for a window named like $1
    for _ in $(seq 1 200); do
        find_window "$1" && return
        sleep 0.1
    done
    echo "no window named '$1'" >>"$notes"
    return 1
}

press_on() {  # presses $2 on the window named like $1
    wait_for_window "$1" && press_key_on_window "$2"
}

# Enter on "Window Mode?" (No, full screen), the box captioned "Dorminax". Should SDL fail
# to show the box, the demo takes No by itself and opens its window.
answer_question() {
    for _ in $(seq 1 200); do
        if find_box '"Dorminax"'; then
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

milliseconds() {  # "4.6" or "4.612000" into $ms (4600, 4612)
    local whole=${1%%.*} fraction=000
    [[ $1 == *.* ]] && fraction="${1#*.}000"
    ms=$((10#$whole * 1000 + 10#${fraction:0:3}))
}

# Shift held: the title is "scene/9, seconds into the scene, frame rate", renewed ten times
# a second. xprop reports each title as it comes, line by line (polling, or a reader that
# buffers its input, would see it late).
press_at_scene_time() {  # KEY SCENE SECONDS
    press_on 'Dorminax' shift || return  # the pointer stays on the window
    local ms line title seconds pressed=""
    milliseconds "$3"
    local at=$ms
    coproc TITLES { stdbuf -oL xprop -id "$window" -spy _NET_WM_NAME; }
    xdotool keydown shift
    while read -r -t 30 line <&"${TITLES[0]}"; do
        title=${line#*\"}
        title=${title%\"}
        [[ $title == "$2/"* ]] || continue
        seconds=${title#*, }
        [[ $seconds == -* ]] && continue  # just after a switch the time may be below 0
        milliseconds "${seconds%%,*}"
        [ "$ms" -ge "$at" ] || continue
        xdotool key "$1"
        echo "pressed $1 at '$title', next title '$(xdotool getwindowname "$window")'" \
            >>"$notes"
        pressed=yes
        break
    done
    [ -n "$pressed" ] || echo "no title of scene $2 at $3 s" >>"$notes"
    xdotool keyup shift
    kill "$TITLES_PID" 2>/dev/null
}

cd "$data" || exit 1
wm_pid=""
if [ -n "${WINDOW_MANAGER:-}" ]; then
    "$WINDOW_MANAGER" >/dev/null 2>&1 &
    wm_pid=$!
    sleep 1
fi
# shellcheck disable=SC2086  # DEMO_ARGS is a list of words
"$demo" ${DEMO_ARGS:-} 2>"$errors" &
pid=$!

case " ${DEMO_ARGS:-} " in
    *" --window "* | *" --fullscreen "*) ;;
    *) answer_question ;;
esac

sleep 2
for key in "$@"; do
    case $key in
        wait)
            sleep 3
            continue
            ;;
        size)
            wait_for_window 'Dorminax' || continue
            xdotool getwindowgeometry --shell "$window" |
                awk -F= '/^WIDTH/ { w = $2 } /^HEIGHT/ { h = $2 } END { print w "x" h }' \
                    >"$errors.size"
            # The smallest size a window manager lets the user give it, if any.
            xprop -id "$window" WM_NORMAL_HINTS |
                awk '/minimum size/ { print "minimum " $(NF-2) "x" $NF }' >>"$errors.size"
            continue
            ;;
        box:*)
            dismiss_box "${key#box:}"
            sleep 0.7
            continue
            ;;
        *@*:*)
            at=${key#*@}
            press_at_scene_time "${key%%@*}" "${at%%:*}" "${at#*:}"
            sleep 0.7
            continue
            ;;
    esac
    press_on 'Dorminax' "$key"
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
