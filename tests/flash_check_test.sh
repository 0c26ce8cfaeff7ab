#!/bin/bash
# The flash meter on the real show: the default show fails where the ring flight
# flashes (an independent broadcast analyser found failures at 10.6-12.0, 18.7-20.0,
# 22.0-24.1 and 26.6-30.0 s), the gentle show passes without a warning at every common
# frame rate from 24 to 240 a second, the committed report (which the build makes --help,
# the manual page and the web page from) is the show's as measured now, and the table
# published in the docs is the build's report.
# Usage: flash_check_test.sh FRAME_TOOL DATA_DIR FLASH_REPORT_DIR PAGE REPORT_JSON
set -u
frame_tool=$1
data=$2
report=$3
page=$4
committed=$5
fail() {
    echo "FAIL: $*"
    exit 1
}

# The default show measured now gives the committed report, to the byte.
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$frame_tool" --data "$data" --flash-check --json "$fresh/flash-report.json" >/dev/null
[ $? -le 1 ] || fail "the flash check of the default show did not run"
cmp -s "$fresh/flash-report.json" "$committed" ||
    fail "$committed is stale: the show's flashes have changed (make flash-report measures them again)"

# The build's report: the default show's verdict and spans.
python3 - "$report/flash-report.json" <<'PY' || fail "the default show's report"
import json, sys
report = json.load(open(sys.argv[1]))
assert report["verdict"] == "fail", report["verdict"]
fails = [s for s in report["spans"] if s["level"] != "warning"]
for start, end in [(10.6, 12.0), (18.7, 20.0), (22.0, 24.1), (26.6, 30.0)]:
    inside = [s for s in fails if s["scene"] == 1 and s["from"] <= start + 0.2 and s["to"] >= end - 0.2]
    assert inside, "no failing span of scene 1 covers %.1f-%.1f s" % (start, end)
assert not [s for s in fails if s["scene"] not in (1, 8)], "failures outside scenes 1 and 8"
assert max(report["luminancePerSecond"][:30]) >= 20
PY

# A music file cut short (at 20.5 s) does not shorten the show: measured whole, and said.
cut=$(mktemp -d)
trap 'rm -rf "$fresh" "$cut"' EXIT
for file in "$(cd "$data" && pwd)"/*; do ln -s "$file" "$cut/"; done
rm "$cut/demotuin.ogg"
head -c 300000 "$data/demotuin.ogg" >"$cut/demotuin.ogg"
output=$("$frame_tool" --data "$cut" --fps 2 --flash-check 2>"$cut/err")
echo "$output" | grep -q "(368 frames at 2 fps)$" || fail "music cut short: $output"
[ "$(cat "$cut/err")" = "dorminax-frame: $cut/demotuin.ogg ends at 20.5 s, the show lasts 184 s" ] ||
    fail "music cut short: $(cat "$cut/err")"

# The gentle show at the rates screens and videos run at, two at a time.
gentle=$(mktemp -d)
trap 'rm -rf "$fresh" "$cut" "$gentle"' EXIT
rates="24 25 30 48 50 60 72 75 90 100 120 144 165 240"
printf '%s\n' $rates | xargs -P 2 -I{} sh -c \
    '"$1" --data "$2" --fps {} --gentle --flash-check > "$3/{}.txt" 2>&1; echo $? >> "$3/{}.txt"' \
    sh "$frame_tool" "$data" "$gentle"
for fps in $rates; do
    output=$(cat "$gentle/$fps.txt")
    [ "$(echo "$output" | tail -n 1)" = 0 ] || fail "the gentle show fails at $fps fps: $output"
    echo "$output" | grep -q "^verdict: passes (" || fail "the gentle show warns at $fps fps: $output"
done

# The page shows the report the build made, not one typed by hand.
grep -qF -f "$report/flash-report.md" "$page" || fail "$page's table is not the build's"
table=$(grep -c . "$report/flash-report.md")
found=$(grep -cxF -f "$report/flash-report.md" "$page")
[ "$found" = "$table" ] || fail "$page has $found of the report's $table lines: $(cat "$report/flash-report.md")"
echo "flash check: the report is the show's, the default show fails in scenes 1 and 8, the gentle show passes"
