#!/bin/bash
# The music plays with the show: SDL's disk audio driver records what the demo plays,
# which must not be silence. Without the music file the show runs silent and ends well;
# with a file of that name that is no music, it runs silent and says so.
# Usage: music_test.sh DEMO DATA_DIR
set -u
source "$(dirname "$0")/common.sh"

export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$work/audio.raw"
drive run1 wait Escape
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "exit status $status; stderr: $(cat "$work/run1.err")"
[ -f "$work/audio.raw" ] || fail "no audio was recorded"
recorded=$(stat -c %s "$work/audio.raw")
audible=$(tr -d '\000' <"$work/audio.raw" | wc -c)
echo "recorded $recorded bytes, $audible of them not zero"
[ "$recorded" -gt 100000 ] || fail "only $recorded bytes of audio"
[ "$audible" -gt $((recorded / 4)) ] || fail "the recording is (nearly) silent"

# The calibration screen: its keys move the offset in steps of 5 ms, from --audio-offset.
DEMO_ARGS="--calibrate --window --audio-offset 20" drive calibrate Right Right Left Escape \
    >"$work/calibrate.out"
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "calibration: exit status $status"
grep -q "^audio offset: 25 ms" "$work/calibrate.out" ||
    fail "calibration said: $(cat "$work/calibrate.out")"

rm "$work/data/demotuin.ogg" "$work/audio.raw"
export SDL_AUDIODRIVER=dummy  # the disk driver announces itself on standard error
drive run2 wait Escape
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "without music: exit status $status; stderr: $(cat "$work/run2.err")"
grep -Eq '^fps = [0-9]+$' "$work/run2.err" || fail "without music: no fps line"
extra=$(grep -Ev '^fps = [0-9]+$' "$work/run2.err")
[ -z "$extra" ] || fail "without music the demo said: $extra"

echo "not music" >"$work/data/demotuin.ogg"
drive run3 wait Escape
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "text for music: exit status $status; stderr: $(cat "$work/run3.err")"
said=$(grep -Ev '^fps = [0-9]+$' "$work/run3.err")
[ "$said" = "cannot decode demotuin.ogg: playing silent" ] || fail "text for music: $said"
echo "PASS"
