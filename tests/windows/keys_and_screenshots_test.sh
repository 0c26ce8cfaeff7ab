#!/bin/bash
# dorminax.exe from the zip, under Wine, driven as the Linux end-to-end test drives the
# native demo: answer "Window Mode?" with Enter (full screen), two screenshots, the next
# scene, Escape. The music it streams goes to a file through ALSA, and must be the song as
# decoded natively. Then a run from another folder, and a windowed run with a data file
# missing, which must show the error box, end with exit code 1 and name the file. Runs
# under Xvfb.
# Usage: keys_and_screenshots_test.sh PREFIX ZIP WINE_CHECKS
set -u
source "$(dirname "$0")/wine.sh"
keep_wineserver
zip=$2
checks=$3
demo=$work/dorminax
mkdir -p "$demo" && (cd "$demo" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"

# ALSA, through Wine's driver, writes what the demo plays to a WAV file.
export HOME=$work
cat >"$HOME/.asoundrc" <<ASOUND
pcm.!default { type file; slave.pcm "null"; file "$work/music.wav"; format "wav" }
ASOUND

# Waits up to a minute, while the demo ($pid) runs, for a window of dorminax.exe with a
# name like $1 (grep -E); sets X, Y, WIDTH and HEIGHT to its place and size.
wait_for_window() {
    local window
    for _ in $(seq 1 300); do
        for window in $(xdotool search --onlyvisible --classname '^dorminax\.exe$' 2>/dev/null); do
            if xdotool getwindowname "$window" | grep -Eq "$1"; then
                eval "$(xdotool getwindowgeometry --shell "$window")"
                return 0
            fi
        done
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

press_on_window() {
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.3 "$@"
}

# Run 1: keys and screenshots, with the Linux test's driver.
bash "$here/../e2e/drive_demo.sh" "$here/wine_demo.sh" "$demo" "$work/run1.err" s s space Escape
status=$(cat "$demo/exit_status")
tr -d '\r' <"$work/run1.err" | grep -v '^ALSA lib' >"$work/run1.out"
[ "$status" = 0 ] || fail "exit status $status"
for n in 000 001; do
    file="$demo/screenshot$n.bmp"
    [ -f "$file" ] || fail "screenshot$n.bmp missing"
    size=$(stat -c %s "$file")
    [ "$size" = 77878 ] || fail "screenshot$n.bmp has $size bytes"
    shape=$("$checks" bmp "$file")
    [ "$shape" = "320x240 8" ] || fail "screenshot$n.bmp reads as '$shape'"
done
[ ! -f "$demo/screenshot002.bmp" ] || fail "a third screenshot was written"
grep -Eq '^fps = [1-9][0-9]*$' "$work/run1.out" || fail "no fps line above 0"
grep '^fps' "$work/run1.out"

read -r seconds largest silence < <("$checks" music "$work/music.wav" "$demo/demotuin.ogg") ||
    fail "no music reached the sound device"
echo "music: $seconds s of the song reached the device in order, samples off by at most" \
    "$largest, with $silence s of silence between (the file device runs faster than real" \
    "time, and the feeder may fall behind on a busy machine)"
# The C runtimes' maths may move a decoded sample by one step, never more.
[ "${seconds%.*}" -ge 1 ] && [ "$largest" -le 1 ] || fail "the device played something else"

# Run 2, started elsewhere: the data set is found beside the exe. Under Wine, Escape
# answers the question on its press (Windows' own yes/no box ignores it), and its release
# reaches the new window: a release whose press the window never saw must not act. Held
# Shift then sends statistics to the debugger output: the release has been read.
(cd "$work" && exec wine "$demo/dorminax.exe" 2>"$work/run2.err") &
pid=$!
wait_for_window '^Dorminax$' || fail "no question"  # the box's caption
press_on_window key Escape
wait_for_window '^--== Dorminax ==--$' || fail "no window after the question"
press_on_window keydown shift
for _ in $(seq 1 300); do
    grep -q '^1/9, ' "$work/run2.err" && break
    kill -0 $pid 2>/dev/null || fail "the release of the Escape that answered ended the demo"
    sleep 0.2
done
xdotool keyup shift key Escape
wait $pid
status=$?
[ "$status" = 0 ] || fail "started elsewhere: exit status $status"
grep -q '^1/9, ' "$work/run2.err" || fail "no statistics with Shift held"

# Run 3, in a window, whose client area is 320x240: a data file missing. The box is
# captioned with the file's name; Enter closes it.
rm "$demo/gfx/cool.gif"
(cd "$demo" && exec "$here/wine_demo.sh" --window 2>"$work/run3.err") &
pid=$!
wait_for_window Dorminax || fail "no window"
[ "${WIDTH}x$HEIGHT" = 320x240 ] || fail "the window's client area is ${WIDTH}x$HEIGHT"
wait_for_window 'cool\.gif' || fail "no error box for the missing file"
press_on_window key Return
wait $pid
status=$?
[ "$status" = 1 ] || fail "missing file: exit status $status"
grep -q 'cool.gif' "$work/run3.err" || fail "missing file not named"
grep -q 'Error loading file' "$work/run3.err" || fail "no loading error"
echo "PASS"
