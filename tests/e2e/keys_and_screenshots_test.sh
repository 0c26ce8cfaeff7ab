#!/bin/bash
# The real demo under Xvfb, every run on one screen: answer "Window Mode?" with Enter
# (full screen), take two screenshots, skip a scene, quit with Escape. A run started held
# at a moment: its screenshots, there and five seconds on, are the frame tool's frames.
# Then a run with a data file missing must show the error box, end with exit code 1 and
# name the file.
# Usage: keys_and_screenshots_test.sh DEMO DATA_DIR (the frame tool is beside the demo)
set -u
if [ -z "${SHARED_DISPLAY:-}" ]; then
    exec bash "$(dirname "$0")/../on_xvfb.sh" env SHARED_DISPLAY=1 bash "$0" "$@"
fi
source "$(dirname "$0")/common.sh"
frame_tool=$(dirname "$demo")/dorminax-frame
export SDL_AUDIODRIVER=dummy

# Run 1: keys and screenshots.
drive run1 s s space Escape
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "exit status $status; stderr: $(cat "$work/run1.err")"
for n in 000 001; do
    file="$work/data/screenshot$n.bmp"
    [ -f "$file" ] || fail "screenshot$n.bmp missing"
    size=$(stat -c %s "$file")
    [ "$size" = 77878 ] || fail "screenshot$n.bmp has $size bytes"
done
[ ! -f "$work/data/screenshot002.bmp" ] || fail "a third screenshot was written"
grep -Eq '^fps = [0-9]+$' "$work/run1.err" || fail "no fps line: $(cat "$work/run1.err")"

# The player: held at 98.5 s, S; Right (still held, at 103.5 s), S. Each screenshot shows
# the frame tool's picture of that moment, colour for colour.
mkdir "$work/player"
DRIVE_FOLDER=$work/player DEMO_ARGS="--window --data $work/data --start 98.5 --paused" \
    drive player s Right s Escape
status=$(cat "$work/player/exit_status")
[ "$status" = 0 ] || fail "held run: exit status $status; stderr: $(cat "$work/player.err")"
rgb() {  # a picture file as raw RGB bytes
    ffmpeg -loglevel error -y -i "$1" -f rawvideo -pix_fmt rgb24 "$2" || fail "cannot read $1"
}
for shot in "000 98.5" "001 103.5"; do
    read -r n at <<<"$shot"
    [ -f "$work/player/screenshot$n.bmp" ] || fail "held run: no screenshot$n.bmp"
    "$frame_tool" --data "$work/data" --at "$at" "$work/at-$at.png" || fail "no frame at $at"
    rgb "$work/player/screenshot$n.bmp" "$work/shot$n.rgb"
    rgb "$work/at-$at.png" "$work/at-$at.rgb"
    cmp -s "$work/shot$n.rgb" "$work/at-$at.rgb" ||
        fail "held run: screenshot$n.bmp is not the frame tool's frame at $at s"
done

# Run 2: a data file missing, without a window manager and with one. The demo's window
# closes before the error box, so nothing covers it; Enter on it ends the demo with exit
# code 1, and standard error names the file.
rm "$work/data/gfx/cool.gif"
for wm in "" openbox; do
    name=run2${wm:+-$wm}
    WINDOW_MANAGER=$wm drive "$name" box:cool.gif
    status=$(cat "$work/data/exit_status")
    [ "$status" = 1 ] || fail "missing file (${wm:-no window manager}): exit status $status"
    grep -q 'cool.gif: Error loading file' "$work/$name.err" ||
        fail "missing file not named: $(cat "$work/$name.err")"
done
echo "PASS"
