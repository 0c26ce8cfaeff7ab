#!/bin/bash
# The picture against the sound it is heard with. The demo plays in a window under Xvfb
# through a PulseAudio server of the test's own (a null sink, everything in a scratch
# folder), and the sink's monitor is recorded. The meter finds the music's place in the
# recording at points across the play (after a pause, a seek forward and a seek back) and
# compares it with the show time on screen then, from the demo's timing log. The method
# is checked first on a copy of the recording delayed by a known amount.
# Usage: av_sync_test.sh DEMO DATA_DIR METER
set -u
meter=$(realpath "$3")
source "$(dirname "$0")/../e2e/common.sh"
# A client that finds no server must say nothing odd: the server's folders are ours.
export XDG_RUNTIME_DIR=$work/runtime PULSE_RUNTIME_PATH=$work/runtime/pulse
export PULSE_STATE_PATH=$work/state HOME=$work
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$PULSE_STATE_PATH"
cat >"$work/server.pa" <<'PA'
load-module module-native-protocol-unix
load-module module-null-sink sink_name=heard rate=44100 channels=2
set-default-sink heard
PA
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    -F "$work/server.pa" 2>"$work/pulseaudio.err" &
server=$!
recorder=""
stop() {
    [ -n "$recorder" ] && kill "$recorder" 2>/dev/null
    kill "$server" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap stop EXIT
for _ in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl info >/dev/null 2>&1 || fail "the sound server did not start: $(cat "$work/pulseaudio.err")"

# Small blocks: each arrives soon after it is recorded, which places it in time.
parec -d heard.monitor --raw --format=s16le --rate=44100 --channels=1 --latency-msec=5 |
    "$meter" record "$work/heard.raw" "$work/heard.times" &
recorder=$(jobs -p | tail -n 1)
sleep 0.5

export SDL_AUDIODRIVER=pulseaudio
export DEMO_ARGS="--window --timing-log $work/timing.log"
# Six seconds of play, a pause, play on, five seconds on, ten back, play to the end.
drive play wait wait p wait p wait Right wait Left Left wait wait Escape
status=$(cat "$work/data/exit_status")
[ "$status" = 0 ] || fail "exit status $status"
sleep 0.3
pkill -P "$recorder" parec 2>/dev/null
kill "$recorder" 2>/dev/null
wait "$recorder" 2>/dev/null
recorder=""

music="$work/data/demotuin.ogg"
"$meter" measure "$music" "$work/heard.raw" "$work/heard.times" "$work/timing.log" \
    >"$work/measured" || fail "the meter failed"
"$meter" measure "$music" "$work/heard.raw" "$work/heard.times" "$work/timing.log" 37 \
    >"$work/delayed" || fail "the meter failed on the delayed copy"
cat "$work/measured"
# AV_SYNC_KEEP=DIR keeps the logs and the recording's timing for a closer look.
[ -n "${AV_SYNC_KEEP:-}" ] && cp "$work"/{timing.log,heard.times,measured} "$AV_SYNC_KEEP"/
read -r _ _ points _ median _ p95 _ drift _ span < <(grep '^summary' "$work/measured")
read -r _ _ _ _ delayed _ < <(grep '^summary' "$work/delayed")
echo "delayed copy (37 ms later): median $delayed ms"
[ "${points:-0}" -ge 20 ] || fail "only ${points:-0} points matched the music"
awk -v a="$median" -v b="$delayed" 'BEGIN { d = b - a - 37; exit !(d < 1 && d > -1) }' ||
    fail "a copy 37 ms later measured $delayed ms against $median ms"
echo "offset: median $median ms, p95 $p95 ms, drift $drift ms over $span s"
# Within 10 ms at the median and 20 ms for nearly every point: a picture that follows
# the system clock or misses a buffer of latency (SDL's, the server's) is further off.
awk -v m="$median" -v p="$p95" 'BEGIN { exit !(m <= 10 && m >= -10 && p <= 20) }' ||
    fail "the picture is off the sound: median $median ms, p95 $p95 ms"
echo "PASS"
