# Shared by the Windows build's tests: Wine quiet, on the prefix this run created, without
# Mono or Gecko; a scratch folder; failure reports. Sourced with the prefix as $1.
export WINEPREFIX=$1
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
# The prefix's Wine processes end with the test (the next test may bring another display).
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

# Keeps one Wine server up until the test ends. Otherwise the server shuts down whenever
# the last Windows program ends, and a program started during that shutdown loses its
# connection ("recvmsg: Connection reset by peer"), failing a run that did nothing wrong.
keep_wineserver() {
    wineserver -p
}

fail() {
    echo "FAIL: $*"
    for log in "$work"/*.err "$work"/*.drive; do
        [ -f "$log" ] && echo "--- $log" && grep -v '^ALSA lib' "$log"
    done
    exit 1
}

# A path of this machine as a Windows program under Wine names it (drive Z: is /).
windows_path() {
    local path
    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}
