#!/bin/bash
# Every program reads its command line the same way: --help prints the usage on standard
# output, exits 0 and does nothing else (no data set generated into a folder named
# "--help"); an unknown option exits 2 with one line naming it, then the usage, on
# standard error.
# Usage: command_lines_test.sh PROGRAM...
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
done
echo "PASS"
