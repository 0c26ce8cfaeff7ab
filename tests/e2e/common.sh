# Shared by the end-to-end tests: a scratch copy of the data folder, failure reports, and
# a driven run of the demo under Xvfb. Sourced with DEMO and DATA_DIR as $1 and $2.
demo=$(realpath "$1")
data=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data" "$work/data"

fail() {
    echo "FAIL: $*"
    for log in "$work"/*.err "$work"/*.drive; do [ -f "$log" ] && echo "--- $log" && cat "$log"; done
    exit 1
}

# Runs the demo under Xvfb with drive_demo.sh: drive NAME STEP...; the demo's standard
# error goes to $work/NAME.err and its exit status to FOLDER/exit_status. The program
# (DRIVE_DEMO), the folder it runs in (DRIVE_FOLDER) and its options (DEMO_ARGS) default
# to the demo under test, $work/data and none. With SHARED_DISPLAY set, the runs share
# the X display already in DISPLAY instead of starting an Xvfb each.
drive() {
    local name=$1
    local folder=${DRIVE_FOLDER:-$work/data}
    local display=(bash "$here/../on_xvfb.sh")
    [ -n "${SHARED_DISPLAY:-}" ] && display=()
    shift
    rm -f "$folder/exit_status"
    "${display[@]}" bash "$here/drive_demo.sh" "${DRIVE_DEMO:-$demo}" "$folder" \
        "$work/$name.err" "$@"
}
