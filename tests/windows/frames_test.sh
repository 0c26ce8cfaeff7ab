#!/bin/bash
# dorminax-frame.exe under Wine against the native frame tool: the same frames at about
# twenty moments of the show, and the share of identical pixels for each. The loading
# screen and scene 6 use no maths function and must be identical. Elsewhere only the C
# runtimes' maths functions differ, on under 1% of the pixels, except in scene 9 after its
# first second: its particles follow chaotic flows, where a difference in the last bit
# grows into another picture (reported, not judged). The table goes to REPORT too.
# Usage: frames_test.sh PREFIX FRAME_EXE NATIVE_FRAME WINE_CHECKS DATA REPORT
set -u
source "$(dirname "$0")/wine.sh"
keep_wineserver
exe=$2
native=$3
checks=$4
data=$5
report=$6

# name | frame tool options | least share of identical pixels (percent; - to report only).
# Ten frames a second: the frames are the same for both tools at any rate, and cheaper.
frames="loading|--loading 0.6|100
scene 1 at 3 s|--scene 1 --time 3|99
scene 1 at 25 s|--scene 1 --time 25|99
scene 2 at 3 s|--scene 2 --time 3|99
scene 2 at 15 s|--scene 2 --time 15|99
scene 3 at 3 s|--scene 3 --time 3|99
scene 3 at 12 s|--scene 3 --time 12|99
scene 4 at 3 s|--scene 4 --time 3|99
scene 4 at 15 s|--scene 4 --time 15|99
scene 5 at 2 s|--scene 5 --time 2|99
scene 5 at 6 s|--scene 5 --time 6|99
scene 6 at 1 s|--scene 6 --time 1|100
scene 6 at 4 s|--scene 6 --time 4|100
scene 7 at 3 s|--scene 7 --time 3|99
scene 7 at 15 s|--scene 7 --time 15|99
scene 8 at 3 s|--scene 8 --time 3|99
scene 8 at 20 s|--scene 8 --time 20|99
scene 9 at 0.5 s|--scene 9 --time 0.5|99
scene 9 at 4 s|--scene 9 --time 4|-
scene 9 at 10 s|--scene 9 --time 10|-"

printf '%-18s %s\n' "frame" "identical pixels" >"$report"
failures=""
n=0
while IFS='|' read -r name options least; do
    n=$((n + 1))
    # The two tools at once, one on each core.
    # shellcheck disable=SC2086
    "$native" --data "$data" --fps 10 $options "$work/native$n.png" 2>"$work/native$n.err" &
    # shellcheck disable=SC2086
    wine "$exe" --data "$(windows_path "$data")" --fps 10 $options \
        "$(windows_path "$work/wine$n.png")" 2>"$work/wine$n.err" ||
        fail "$name: dorminax-frame.exe failed"
    wait $! || fail "$name: the native frame tool failed"
    share=$("$checks" frames "$work/native$n.png" "$work/wine$n.png") || fail "$name: no frames"
    verdict=""
    if [ "$least" != - ] && awk "BEGIN { exit !($share < $least) }"; then
        verdict="  (below $least%)"
        failures="$failures; $name"
    fi
    [ "$least" = - ] && verdict="  (reported only)"
    printf '%-18s %7s%%%s\n' "$name" "$share" "$verdict" | tee -a "$report"
done <<<"$frames"

[ -z "$failures" ] || fail "frames differ:${failures#;}"
echo "PASS"
