#!/bin/bash
# Every program reads its command line the same way: --help (or -h) prints the usage on
# standard output, exits 0 and does nothing else (no data set generated into a folder
# named "--help"); --version prints the version; an unknown option exits 2 with one line
# naming it, then the usage, on standard error; so do options that cannot go together.
# An output file is checked before any work is done for it.
# Usage: command_lines_test.sh DEMO DATAGEN FRAME_TOOL [PROGRAM...]
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() {
    echo "FAIL: $*"
    exit 1
}

for program in "$@"; do
    name=$(basename "$program")
    "$program" --help >out 2>err
    status=$?
    [ "$status" = 0 ] || fail "$name --help: exit status $status"
    head -n 1 out | grep -q "^usage: $name " || fail "$name --help: $(head -n 1 out)"
    [ ! -s err ] || fail "$name --help wrote on standard error: $(cat err)"
    [ "$(ls)" = "$(printf 'err\nout')" ] || fail "$name --help made files: $(ls)"

    "$program" --no-such-option >out 2>err
    status=$?
    [ "$status" = 2 ] || fail "$name --no-such-option: exit status $status"
    [ "$(head -n 1 err)" = "$name: unknown option '--no-such-option'" ] ||
        fail "$name --no-such-option: $(head -n 1 err)"
    sed -n 2p err | grep -q "^usage: $name " || fail "$name --no-such-option: no usage"
    [ ! -s out ] || fail "$name --no-such-option wrote on standard output"

    "$program" --help >help 2>err
    "$program" -h >out 2>err
    [ "$?" = 0 ] && cmp -s help out || fail "$name -h is not --help"
    "$program" --version >out 2>err
    [ "$?" = 0 ] && grep -Eqx "$name [0-9]+\.[0-9]+\.[0-9]+" out || fail "$name --version: $(cat out)"
    rm -f out err help
done

refused() {  # FIRST_LINE PROGRAM ARGUMENT...: exit 2, that line, then the usage
    local line=$1
    shift
    "$@" >out 2>err
    status=$?
    [ "$status" = 2 ] || fail "$*: exit status $status"
    [ "$(head -n 1 err)" = "$line" ] || fail "$*: $(head -n 1 err)"
    sed -n 2p err | grep -q "^usage: " || fail "$*: no usage"
}
demo=$1
frame_tool=$3
refused "dorminax: options '--window' and '--fullscreen' cannot be used together" \
    "$demo" --window --fullscreen
refused "dorminax-frame: options '--at' and '--scene' cannot be used together" \
    "$frame_tool" --at 5 --scene 6 --time 2 out.png
refused "dorminax-frame: option '--at' given twice: they conflict; give it once" \
    "$frame_tool" --at 1 --at 2 out.png
refused "dorminax-frame: the frame is written as a PNG: name the output OUT.png, not 'out.jpg'" \
    "$frame_tool" --at 1 out.jpg
refused "dorminax: option '--scale' takes a whole number from 1 to 8, not '9'" "$demo" --scale=9
refused "dorminax: option '--window' takes no value" "$demo" --window=yes
"$demo" --scale=2 --scene=6 --version >out 2>err || fail "--scale=2 --scene=6 refused: $(cat err)"

# The output before the data: nothing is drawn for a file that cannot be written.
"$frame_tool" --data "$work/no-data-here" --at 5 /nonexistent/x.png >out 2>err
status=$?
[ "$status" = 1 ] || fail "unwritable output: exit status $status"
[ "$(cat err)" = "dorminax-frame: cannot write /nonexistent/x.png: no folder /nonexistent" ] ||
    fail "unwritable output: $(cat err)"
# Where the data set was looked for, in the host's way of writing paths.
mkdir empty
"$frame_tool" --data empty --at 1 out.png >out 2>err
[ "$(tail -n 1 err)" = "gfx/zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif: Error loading file" ] ||
    fail "no data set: $(cat err)"

# A write that fails (a file size limit standing in for a full disk) is an error with its
# reason, and the file that had the name is kept as it was; nothing else is left.
# (DORMINAX_DATA: the data set, from CTest.)
data=${DORMINAX_DATA:?"the data folder"}
"$frame_tool" --data "$data" --at 1 keep.png 2>err || fail "--at 1 keep.png: $(cat err)"
cp keep.png good.png
echo '{}' >keep.json
cp keep.json good.json
# (ulimit -f counts blocks of 1,024 bytes; the messages come back through a pipe, which no
# limit stops.)
png=$( (ulimit -f 16; "$frame_tool" --data "$data" --at 2 keep.png 2>&1; echo "exit $?") )
json=$( (ulimit -f 0; "$frame_tool" --data "$data" --fps 2 --flash-check --json keep.json \
    2>&1 >/dev/null; echo "exit $?") )
[ "$png" = "$(printf 'dorminax-frame: cannot write keep.png: File too large\nexit 1')" ] ||
    fail "full disk: $png"
[ "$json" = "$(printf 'dorminax-frame: cannot write keep.json: File too large\nexit 1')" ] ||
    fail "full disk: $json"
cmp -s keep.png good.png && cmp -s keep.json good.json || fail "full disk: the old file was spoilt"
[ -z "$(ls | grep partial)" ] || fail "full disk: left behind: $(ls | grep partial)"
echo "PASS"
