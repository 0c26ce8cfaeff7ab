#!/bin/bash
# The real demo under Xvfb: answer "Window Mode?" with Enter (full screen), take two
# screenshots, skip a scene, quit with Escape. Then a run with a data file missing must
# end with exit code 1 and name the file.
# Usage: keys_and_screenshots.sh DEMO DATA_DIR
set -u
demo=$(realpath "$1")
data=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data" "$work/data"
export SDL_AUDIODRIVER=dummy

fail() {
    echo "FAIL: $*"
    for log in "$work"/*.err "$work"/*.drive; do [ -f "$log" ] && echo "--- $log" && cat "$log"; done
    exit 1
}

# Run 1: keys and screenshots.
xvfb-run -a -s "-screen 0 1024x768x24" bash "$here/drive_demo.sh" "$demo" "$work/data" \
    "$work/run1.err" s s space Escape
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
