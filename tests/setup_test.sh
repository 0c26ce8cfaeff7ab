#!/bin/bash
# A new user's set-up, short of a fresh machine: `make run` installs and builds only what
# watching needs, says little, plays from build/screenshots/ and passes ARGS on; the
# licence is there; the web data set packs the data set's own files and nothing else.
# Usage: setup_test.sh SOURCE_DIR BUILD_DIR FILE_PACKAGER
set -u
source_dir=$1
build=$2
packager=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

# What make run installs: no other toolchain, browser, emulator or test framework.
run_packages=$("$source_dir/scripts/install-deps" --list run) || fail "no package list for run"
for p in googletest libgtest-dev emscripten chromium wine clang g++-mingw-w64-x86-64-posix \
    xvfb ffmpeg libavcodec-dev; do
    echo "$run_packages" | grep -qx "$p" && fail "make run would install $p"
done
for p in cmake libsdl2-dev libsdl2-mixer-dev libgif-dev libvorbis-dev; do
    echo "$run_packages" | grep -qx "$p" || fail "make run would not install $p"
done
# The data set's texts come from the repository's glyphs: no build or test needs a font.
test_packages=$("$source_dir/scripts/install-deps" --list test) || fail "no package list for test"
for p in libfreetype-dev fonts-dejavu-core python3-freetype; do
    echo "$test_packages" | grep -qx "$p" && fail "make test would install $p"
done

# make run on the built tree: quiet, the options passed on, run from its own folder.
rm -rf "$build/screenshots"
output=$(cd "$source_dir" && timeout 300 make run BUILD_DIR="$build" ARGS=--version 2>&1)
status=$?
[ "$status" = 0 ] || fail "make run: exit status $status: $output"
echo "$output" | tail -n 1 | grep -Eqx "dorminax [0-9.]+" || fail "ARGS not passed on: $output"
echo "$output" | grep -q "Entering directory" && fail "make run is not quiet: $output"
echo "$output" | grep -q "^-- " && fail "make run shows CMake's report: $output"
[ -d "$build/screenshots" ] || fail "no build/screenshots/ to run in"

head -n 1 "$source_dir/LICENSE" | grep -qx "MIT License" || fail "no MIT licence"
grep -q "MIT licence (\`LICENSE\`)" "$source_dir/README.md" || fail "the README names no licence"

# The web data set, packed from a data folder that also holds screenshots and a note.
cp -r "$build/data" "$work/data"
touch "$work/data/screenshot000.bmp" "$work/data/gfx/screenshot001.bmp" "$work/data/notes.txt"
mkdir "$work/web"
(cd "$work/web" && NODE_PATH=/usr/share/nodejs cmake -DDATA_DIR="$work/data" \
    -DPACKAGER="$packager" -P "$source_dir/src/platform/web/pack_data.cmake" >/dev/null) ||
    fail "packing failed"
packed=$(grep -o '"filename": "[^"]*"' "$work/web/dorminax-data.js" | cut -d'"' -f4 | sort)
expected=$(cd "$build/data" && find . -type f ! -name '.*' | sed 's|^\.||' | sort)
[ "$packed" = "$expected" ] || fail "packed: $packed"
echo "PASS"
