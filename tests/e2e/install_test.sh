#!/bin/bash
# The installed demo: install into a fresh prefix, check the layout, run the installed
# program from another folder (it must find its data set by itself), then uninstall,
# which must leave nothing behind.
# Usage: install_test.sh DEMO DATA_DIR (DEMO's folder is the build folder)
set -u
source "$(dirname "$0")/common.sh"
export SDL_AUDIODRIVER=dummy
build=$(dirname "$demo")
prefix="$work/prefix"

# Through the component, so that the build's install_manifest.txt (the record of a real
# install) is left alone.
cmake --install "$build" --prefix "$prefix" --component demo >"$work/install.log" 2>&1 ||
    fail "install: $(cat "$work/install.log")"
for file in bin/dorminax share/applications/io.github.dorminax.Dorminax.desktop \
    share/metainfo/io.github.dorminax.Dorminax.metainfo.xml share/man/man6/dorminax.6.gz \
    share/dorminax/demotuin.ogg share/dorminax/gfx/cool.gif share/dorminax/3ds/torus.3ds; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
count=$(find "$prefix/share/dorminax" -type f | wc -l)
[ "$count" = 20 ] || fail "$count files in share/dorminax instead of the 20 of the data set"
for size in 48 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/dorminax.png"
    shape=$(ffprobe -v error -show_entries stream=width,height,pix_fmt -of csv=p=0 "$icon")
    [ "$shape" = "$size,$size,rgba" ] || fail "icon $icon: '$shape'"
done

# Run 1: a window at twice the size; the screenshot is still the 320x240 file.
mkdir "$work/elsewhere"
export DRIVE_DEMO="$prefix/bin/dorminax" DRIVE_FOLDER="$work/elsewhere"
DEMO_ARGS="--window --scale 2" drive run1 size s Escape
status=$(cat "$work/elsewhere/exit_status")
[ "$status" = 0 ] || fail "scale 2: exit status $status"
size=$(tr '\n' ' ' <"$work/run1.err.size")
# Made smaller than the frame, the window could show no whole-number scale.
[ "$size" = "640x480 minimum 320x240 " ] || fail "scale 2: the window is $size"
shot="$work/elsewhere/screenshot000.bmp"
[ "$(stat -c %s "$shot")" = 77878 ] || fail "scale 2: no 77,878-byte screenshot"

# Run 2: from scene 6, the reveal is whole between 4.5 and 5 s. Both pictures are read by
# FFmpeg and compared colour by colour. The key goes when the title shows 4.6 s, but on a
# loaded machine it may arrive after the scene's end: up to three runs, one of which must
# save exactly the picture.
rgb() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - | md5sum; }
reveal=$(rgb "$prefix/share/dorminax/gfx/cool.gif")
for run in 1 2 3; do
    rm -f "$shot" "$work/run2.err.drive"
    DEMO_ARGS="--scene 6 --window" drive run2 's@6:4.6' Escape
    status=$(cat "$work/elsewhere/exit_status")
    [ "$status" = 0 ] || fail "scene 6: exit status $status"
    [ -f "$shot" ] || fail "scene 6: no screenshot"
    cat "$work/run2.err.drive"  # when the key went
    [ "$(rgb "$shot")" = "$reveal" ] && break
    [ "$run" = 3 ] && fail "scene 6: the screenshot is not the reveal picture"
done

# The uninstall removes every file and every folder the install created: here all of it.
cmake -DMANIFEST="$build/install_manifest_demo.txt" -P "$here/../../packaging/uninstall.cmake" \
    >"$work/uninstall.log" 2>&1 || fail "uninstall: $(cat "$work/uninstall.log")"
[ ! -e "$prefix" ] || fail "left after the uninstall: $(find "$prefix")"
echo "PASS"
