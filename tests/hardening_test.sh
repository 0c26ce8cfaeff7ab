#!/bin/bash
# Every program is built as Debian builds its packages: hardening-check finds a position
# independent executable, a stack protector, fortified calls, read-only relocations bound
# at start (stack clash protection shows only in large frames; "unknown" otherwise).
# Control-flow protection is checked in the code itself: Debian 12's start files carry no
# IBT/SHSTK note, so the linker drops it from every program (Debian's own programs too),
# and hardening-check cannot see it; each function of ours then begins with endbr64.
# Usage: hardening_test.sh PROGRAM...
set -u
status=0
for program in "$@"; do
    name=$(basename "$program")
    if ! report=$(hardening-check --nocfprotection "$program" 2>&1); then
        echo "FAIL: $report"
        status=1
    fi
    first=$(objdump -d --no-show-raw-insn --disassemble=main "$program" |
        awk '/<main>:/ { getline; print $2; exit }')
    if [ "$first" != endbr64 ]; then
        echo "FAIL: $name: main begins with '$first', not endbr64 (no -fcf-protection)"
        status=1
    fi
done
[ "$status" = 0 ] && echo "PASS"
exit "$status"
