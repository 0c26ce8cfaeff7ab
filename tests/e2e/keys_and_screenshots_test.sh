#!/bin/bash
# The real demo under Xvfb: answer "Window Mode?" with Enter (full screen), take two
# screenshots, skip a scene, quit with Escape. Then a run with a data file missing must
# show the error box, end with exit code 1 and name the file.
# Usage: keys_and_screenshots_test.sh DEMO DATA_DIR
set -u
source "$(dirname "$0")/common.sh"
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
