#!/bin/bash
# The real demo under Xvfb: answer "Window Mode?" with Enter (full screen), take two
# screenshots, skip a scene, quit with Escape. Then a run with a data file missing must
# end with exit code 1 and name the file.
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

# Run 2: a data file missing. SDL's dummy video driver stands in for the display here:
# with no display there is no question to answer (the answer is No) and the error goes
# to standard error. (Under Xvfb without a window manager, SDL's X11 error box, shown
# after the display has been opened, never appears and the demo waits for it.)
rm "$work/data/gfx/cool.gif"
(cd "$work/data" && SDL_VIDEODRIVER=dummy timeout 60 "$demo" 2>"$work/run2.err")
status=$?
[ "$status" = 1 ] || fail "missing file: exit status $status"
grep -q 'cool.gif' "$work/run2.err" || fail "missing file not named: $(cat "$work/run2.err")"
grep -q 'Error loading file' "$work/run2.err" || fail "no loading error: $(cat "$work/run2.err")"
echo "PASS"
