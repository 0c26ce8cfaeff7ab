#!/bin/bash
# The music plays with the show: SDL's disk audio driver records what the demo plays,
# which must not be silence. Without the music file the show runs silent and ends well.
# Usage: music_test.sh DEMO DATA_DIR
set -u
demo=$(realpath "$1")
data=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data" "$work/data"

fail() {
    echo "FAIL: $*"
    for log in "$work"/*.err "$work"/*.drive; do [ -f "$log" ] && echo "--- $log" && cat "$log"; done
    exit 1
}

export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$work/audio.raw"
xvfb-run -a -s "-screen 0 1024x768x24" bash "$here/drive_demo.sh" "$demo" "$work/data" \
    "$work/run1.err" wait Escape
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "exit status $status; stderr: $(cat "$work/run1.err")"
[ -f "$work/audio.raw" ] || fail "no audio was recorded"
recorded=$(stat -c %s "$work/audio.raw")
audible=$(tr -d '\000' <"$work/audio.raw" | wc -c)
echo "recorded $recorded bytes, $audible of them not zero"
[ "$recorded" -gt 100000 ] || fail "only $recorded bytes of audio"
[ "$audible" -gt $((recorded / 4)) ] || fail "the recording is (nearly) silent"

rm "$work/data/demotuin.ogg" "$work/audio.raw"
rm -f "$work/data/exit_status"
export SDL_AUDIODRIVER=dummy  # the disk driver announces itself on standard error
xvfb-run -a -s "-screen 0 1024x768x24" bash "$here/drive_demo.sh" "$demo" "$work/data" \
    "$work/run2.err" wait Escape
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "without music: exit status $status; stderr: $(cat "$work/run2.err")"
grep -Eq '^fps = [0-9]+$' "$work/run2.err" || fail "without music: no fps line"
extra=$(grep -Ev '^fps = [0-9]+$' "$work/run2.err")
[ -z "$extra" ] || fail "without music the demo said: $extra"
echo "PASS"
