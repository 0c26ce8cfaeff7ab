#!/bin/bash
# Creates this run's Wine prefix, which the other Windows tests share, and sends its sound
# to ALSA (the tests point ALSA at a file).
# Usage: make_prefix.sh PREFIX
set -eu
source "$(dirname "$0")/wine.sh"
rm -rf "$WINEPREFIX"
wineboot --init
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null
wineserver -w
echo "PASS"
