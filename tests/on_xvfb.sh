#!/bin/bash
# Runs a command on an Xvfb screen of 1024x768 of its own and exits with its status.
# The server chooses its display number itself (-displayfd): the first on which it can
# open every socket. xvfb-run -a guesses one from the lock files in /tmp, which say
# nothing of a server started from another /tmp (another container) on the same host.
# Usage: on_xvfb.sh COMMAND [ARGUMENT...]
set -u
folder=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$folder/display" \
    2>"$folder/server.log" &
server=$!
end() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$folder"
}
trap end EXIT

# The number comes, with a newline, once the server accepts connections.
for _ in $(seq 1 300); do
    [ "$(wc -l <"$folder/display")" -ge 1 ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
number=$(tr -d '\n' <"$folder/display")
if [ -z "$number" ]; then
    echo "on_xvfb: Xvfb did not start" >&2
    cat "$folder/server.log" >&2
    exit 1
fi
DISPLAY=":$number" "$@"
