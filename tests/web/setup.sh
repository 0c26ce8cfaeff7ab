#!/bin/sh
# Installs puppeteer-core, at the versions locked here, into a folder of the build (it
# downloads no browser: the tests drive Debian's Chromium). Skipped when already there.
set -e
here=$(cd "$(dirname "$0")" && pwd)
tools=$1
mkdir -p "$tools"
if cmp -s "$here/package-lock.json" "$tools/package-lock.json" &&
   [ -d "$tools/node_modules/puppeteer-core" ]; then
    exit 0
fi
cp "$here/package.json" "$here/package-lock.json" "$tools/"
cd "$tools"
npm ci --no-audit --no-fund --loglevel=error
