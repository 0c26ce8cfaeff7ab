#!/bin/bash
# dorminax.exe from the zip, under Wine, driven as the Linux end-to-end test drives the
# native demo: answer "Window Mode?" with Enter (full screen), two screenshots, the next
# scene, Escape. The music it streams goes to a file through ALSA, and must be the song as
# decoded natively. Then a run with a data file missing must show the error box, end with
# exit code 1 and name the file. Runs under Xvfb.
# Usage: keys_and_screenshots_test.sh PREFIX ZIP WINE_CHECKS
set -u
source "$(dirname "$0")/wine.sh"
zip=$2
checks=$3
demo=$work/dorminax
mkdir -p "$demo" && (cd "$demo" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"

# ALSA, through Wine's driver, writes what the demo plays to a WAV file.
export HOME=$work
cat >"$HOME/.asoundrc" <<ASOUND
pcm.!default { type file; slave.pcm "null"; file "$work/music.wav"; format "wav" }
ASOUND

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

read -r seconds largest < <("$checks" music "$work/music.wav" "$demo/demotuin.ogg") ||
    fail "no music reached the sound device"
echo "music: $seconds s of the song reached the device, samples off by at most $largest"
# The C runtimes' maths may move a decoded sample by one step, never more.
[ "${seconds%.*}" -ge 1 ] && [ "$largest" -le 1 ] || fail "the device played something else"

# Run 2: a data file missing. The box is captioned with the file's name; Enter closes it.
rm "$demo/gfx/cool.gif"
(cd "$demo" && exec "$here/wine_demo.sh" --window 2>"$work/run2.err") &
pid=$!
box=""
for _ in $(seq 1 600); do
    box=$(xdotool search --onlyvisible --name 'cool\.gif' 2>/dev/null | head -1)
    [ -n "$box" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
[ -n "$box" ] || fail "no error box for the missing file"
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.3 key Return
wait $pid
status=$?
[ "$status" = 1 ] || fail "missing file: exit status $status"
grep -q 'cool.gif' "$work/run2.err" || fail "missing file not named"
grep -q 'Error loading file' "$work/run2.err" || fail "no loading error"
echo "PASS"
