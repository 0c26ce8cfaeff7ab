#!/bin/bash
# A new user's first runs of the real demo, all on one Xvfb screen of 1024x768 with no
# window manager: the question box, full screen showing the whole frame, a window scale
# too large for the screen, no display at all, a folder without the data set, no sound
# device, and a screenshot that cannot be written.
# Usage: first_use_test.sh DEMO DATA_DIR (the frame tool is beside the demo)
set -u
if [ -z "${SHARED_DISPLAY:-}" ]; then
    exec bash "$(dirname "$0")/../on_xvfb.sh" env SHARED_DISPLAY=1 bash "$0" "$@"
fi
source "$(dirname "$0")/common.sh"
frame_tool=$(dirname "$demo")/dorminax-frame
export SDL_AUDIODRIVER=dummy

window_of() {  # the id of the window whose line in the tree holds $1
    xwininfo -root -tree 2>/dev/null | grep -F -- "$1" | head -n 1 | awk '{print $1}'
}

wait_for() {  # up to twenty seconds for a window named $1; its id in $window
    for _ in $(seq 1 200); do
        window=$(window_of "$1")
        [ -n "$window" ] && return 0
        sleep 0.1
    done
    return 1
}

geometry() {  # X Y WIDTH HEIGHT of window $1
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}

# ---- The question: captioned "Dorminax", Yes on the left, then No ----
cd "$work/data" || exit 1
"$demo" 2>"$work/question.err" &
pid=$!
wait_for '"Dorminax"' || fail "no box captioned Dorminax"
read -r x y w h < <(geometry "$window")
xdotool mousemove $((x + w / 4)) $((y + h * 72 / 100)) click 1  # the left button
wait_for '"--== Dorminax ==--"' || fail "no demo window after the question"
sleep 1
read -r x y w h < <(geometry "$window")
[ "$w x $h" = "320 x 240" ] || fail "the left button gave a ${w}x$h window, not Yes's 320x240"
xprop -id "$window" _NET_WM_STATE | grep -q FULLSCREEN && fail "the left button played full screen"
kill "$pid"
wait "$pid"

# ---- Full screen without a window manager: the whole frame, 3x, centred ----
# Held on scene 6's finished picture (--start with --paused shows exactly the frame tool's
# frame there), so that no timing of a busy machine decides what the screen shows.
"$frame_tool" --data "$work/data" --at 99.8 "$work/frame.png" || fail "no frame from the tool"
ffmpeg -loglevel error -i "$work/frame.png" \
    -vf "scale=960:720:flags=neighbor,pad=1024:768:32:24:black" -f rawvideo -pix_fmt rgb24 \
    "$work/expected.rgb"
frame_bytes=$((1024 * 768 * 3))
"$demo" --fullscreen --start 99.8 --paused 2>"$work/full.err" &
pid=$!
wait_for '"--== Dorminax ==--"' || fail "no full-screen window"
xdotool mousemove 512 384
shows_the_frame() {  # true when a picture of the screen taken now matches
    ffmpeg -loglevel error -y -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 \
        -f rawvideo -pix_fmt rgb24 "$work/screen.rgb" &&
        cmp -s -n "$frame_bytes" "$work/screen.rgb" "$work/expected.rgb"
}
matched=""
for _ in $(seq 1 50); do  # until the window has shown its first picture
    shows_the_frame && matched=yes && break
    sleep 0.2
done
kill "$pid"
wait "$pid"
[ -n "$matched" ] || fail "the screen never showed the frame 3x and centred"

# ---- A window scale larger than the screen: the largest that fits, and said ----
DEMO_ARGS="--window --scale 8" drive scale size Escape
[ "$(head -n 1 "$work/scale.err.size")" = 960x720 ] ||
    fail "--scale 8 on 1024x768 gave $(head -n 1 "$work/scale.err.size")"
grep -q -- "--scale 8: the window would not fit on the screen; scale 3 instead" "$work/scale.err" ||
    fail "--scale 8 was not said to be too large"

# ---- No display: the error and exit code 1, at once; a driver asked for is honoured ----
env -u DISPLAY timeout 20 "$demo" --window 2>"$work/nodisplay.err"
status=$?
[ "$status" = 1 ] || fail "without a display: exit status $status"
grep -q "Error initializing direct draw" "$work/nodisplay.err" || fail "without a display: no error"
env -u DISPLAY SDL_VIDEODRIVER=dummy timeout --preserve-status -s TERM 8 "$demo" --fullscreen 2>"$work/dummy.err"
status=$?
[ "$status" = 0 ] && grep -q "^fps = " "$work/dummy.err" ||
    fail "SDL_VIDEODRIVER=dummy was not honoured: exit $status, $(cat "$work/dummy.err")"

# ---- A folder without the data set: the host's path, the reason and the hint ----
mkdir "$work/empty"
DRIVE_FOLDER=$work/empty DEMO_ARGS="--window" drive nodata box:zzz-warning
[ "$(cat "$work/empty/exit_status")" = 1 ] || fail "without the data set: not exit 1"
grep -q "^gfx/zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif: missing$" \
    "$work/nodata.err" || fail "no host path and reason: $(cat "$work/nodata.err")"
grep -q "the working directory does not hold the data set: name its folder with --data DIR" \
    "$work/nodata.err" || fail "no --data hint: $(cat "$work/nodata.err")"

# ---- No sound device: one line, and none of the sound library's own ----
SDL_AUDIODRIVER=alsa AUDIODEV=nowhere DEMO_ARGS="--window" drive nosound wait Escape
grep -q "ALSA lib" "$work/nosound.err" && fail "the sound library spoke: $(cat "$work/nosound.err")"
grep -qx "no audio device: playing silent" "$work/nosound.err" || fail "no word of the silence"
[ "$(cat "$work/data/exit_status")" = 0 ] || fail "without sound: not exit 0"

# ---- A screenshot that cannot be written: said, and the title says so for a second ----
mkdir "$work/shots"
cd "$work/shots" || exit 1
"$demo" --window --data "$work/data" 2>"$work/shot.err" &
pid=$!
wait_for '"--== Dorminax ==--"' || fail "no window for the screenshot"
cd "$work" && rmdir "$work/shots"  # gone: no file can be made there, not even by root
read -r x y w h < <(geometry "$window")
xdotool mousemove $((x + w / 2)) $((y + h / 2)) key s
sleep 0.3
title=$(xdotool getwindowname "$window")
sleep 1.5
later=$(xdotool getwindowname "$window")
kill "$pid"
wait "$pid"
[ "$title" = "screenshot failed" ] || fail "the title said '$title' after a failed screenshot"
[ "$later" = "--== Dorminax ==--" ] || fail "the title said '$later' a second later"
grep -q "^screenshot failed: cannot create screenshot000.bmp: No such file or directory$" \
    "$work/shot.err" || fail "the failed screenshot was not reported: $(cat "$work/shot.err")"
echo "PASS"
