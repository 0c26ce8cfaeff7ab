#!/bin/bash
# The manual (docs/manual.md) and each program's manual page list exactly the options its
# --help lists: an option added without a word in the manual, or one documented that the
# program no longer takes, fails here by name.
# Usage: manual_test.sh SOURCE_DIR PROGRAM...
set -u
source_dir=$1
shift
manual=$source_dir/docs/manual.md
fail() {
    echo "FAIL: $*"
    exit 1
}
options() {  # the options named on standard input, one a line, sorted
    sed 's/\\-/-/g' | grep -o -- '--[a-z][a-z-]*' | LC_ALL=C sort -u
}
differ() {  # WHERE EXPECTED FOUND: fail with what is missing and what is extra
    local missing extra
    missing=$(LC_ALL=C comm -23 <(echo "$2") <(echo "$3") | tr '\n' ' ')
    extra=$(LC_ALL=C comm -13 <(echo "$2") <(echo "$3") | tr '\n' ' ')
    fail "$1: missing ${missing:-nothing}; not in --help: ${extra:-nothing}"
}

for program in "$@"; do
    name=$(basename "$program")
    # The lines of --help that start with an option; every program takes --help and --version.
    help=$({ "$program" --help | grep -E '^ +--'; echo "--help --version"; } | options)
    [ -n "$help" ] || fail "$name --help lists no option"

    # The first column of the option table under the manual's heading that names the program.
    in_manual=$(awk -v heading="\`$name\`" '/^## / { on = index($0, heading) > 0 } on' "$manual" |
        grep '^| `--' | cut -d'|' -f2 | options)
    [ -n "$in_manual" ] || fail "docs/manual.md has no option table under a heading naming \`$name\`"
    [ "$in_manual" = "$help" ] || differ "docs/manual.md, $name" "$help" "$in_manual"

    # The manual page's OPTIONS: the tag line after each .TP.
    page=$(ls "$source_dir/packaging/$name".[1-9].in 2>/dev/null | head -n 1)
    [ -n "$page" ] || fail "no manual page for $name"
    in_page=$(awk '/^\.SH / { on = ($0 == ".SH OPTIONS") } on && tag { print }
                   { tag = on && /^\.TP/ }' "$page" | options)
    [ "$in_page" = "$help" ] || differ "$(basename "$page")" "$help" "$in_page"
done
echo "PASS"
