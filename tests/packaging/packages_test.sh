#!/bin/bash
# The Debian packages of make dist as Debian's own tools and a user see them: lintian
# finds no error or warning; each holds exactly its files, owned by root with plain
# permissions; the demo's does not pull in FFmpeg; its metadata passes appstreamcli and
# desktop-file-validate; the manual pages say what --help says. Unpacked into a folder of
# their own (dpkg -x), the demo plays from another folder with its installed data set, and
# the frame tool draws what the build's draws. The version is the same everywhere.
# Usage: packages_test.sh DIST_DIR BUILD_DIR DATA_DIR VERSION
set -u
dist=$1
build=$2
built_data=$3
version=$4
source "$(dirname "$0")/../e2e/common.sh" "$build/dorminax" "$built_data"
export SDL_AUDIODRIVER=dummy
arch=$(dpkg --print-architecture)
demo_deb="$dist/dorminax_${version}_$arch.deb"
tools_deb="$dist/dorminax-tools_${version}_$arch.deb"
for deb in "$demo_deb" "$tools_deb"; do
    [ -f "$deb" ] || fail "no $deb: make dist makes it"
done

lintian --fail-on none "$demo_deb" "$tools_deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian did not run: $(cat "$work/lintian.log")"
grep -E '^[EW]: ' "$work/lintian.log" && fail "lintian has errors or warnings"

# Every member: its mode, owner and path; the same list expected, in the same order.
members() {
    dpkg-deb -c "$1" | awk '{ sub(/^\.\//, "", $6); print $1, $2, $6 }'
}
expect_members() {  # DEB, then "d PATH/" for a folder, "x PATH" for a program, "f PATH"
    local deb=$1 line
    shift
    for line in "$@"; do
        case ${line%% *} in
            d) echo "drwxr-xr-x root/root ${line#* }" ;;
            x) echo "-rwxr-xr-x root/root ${line#* }" ;;
            f) echo "-rw-r--r-- root/root ${line#* }" ;;
        esac
    done >"$work/expected"
    members "$deb" >"$work/members"
    diff "$work/expected" "$work/members" >"$work/members.diff" ||
        fail "$(basename "$deb"), expected < > found: $(cat "$work/members.diff")"
}
installed=usr/share/dorminax
icons=usr/share/icons/hicolor
data_set=()
for file in 3ds/pellimor_logo.3DS 3ds/sphere2000f.3ds 3ds/sphere32.3ds 3ds/tollek.3ds \
    3ds/torus.3ds demotuin.ogg gfx/ gfx/Rrbt3.gif gfx/_urk.gif gfx/cool.gif gfx/credits.gif \
    gfx/env.gif gfx/ggolf.gif gfx/gouraud1.pal 'gfx/lezbizk!.pal' gfx/lovestil.pal gfx/mavrel.gif \
    gfx/overgang1.gif gfx/overgang2.gif 'gfx/tex(as).gif' \
    gfx/zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif; do
    kind=f
    [[ $file == */ ]] && kind=d
    data_set+=("$kind $installed/$file")
done
expect_members "$demo_deb" "d usr/" "d usr/games/" "x usr/games/dorminax" "d usr/share/" \
    "d usr/share/applications/" "f usr/share/applications/io.github.dorminax.Dorminax.desktop" \
    "d usr/share/doc/" "d usr/share/doc/dorminax/" "f usr/share/doc/dorminax/changelog.gz" \
    "f usr/share/doc/dorminax/copyright" "d $installed/" "d $installed/3ds/" "${data_set[@]}" \
    "d usr/share/icons/" "d $icons/" "d $icons/128x128/" "d $icons/128x128/apps/" \
    "f $icons/128x128/apps/dorminax.png" "d $icons/256x256/" "d $icons/256x256/apps/" \
    "f $icons/256x256/apps/dorminax.png" "d $icons/48x48/" "d $icons/48x48/apps/" \
    "f $icons/48x48/apps/dorminax.png" "d usr/share/man/" "d usr/share/man/man6/" \
    "f usr/share/man/man6/dorminax.6.gz" "d usr/share/metainfo/" \
    "f usr/share/metainfo/io.github.dorminax.Dorminax.metainfo.xml"
expect_members "$tools_deb" "d usr/" "d usr/bin/" "x usr/bin/dorminax-capture" \
    "x usr/bin/dorminax-frame" "d usr/share/" "d usr/share/doc/" "d usr/share/doc/dorminax-tools/" \
    "f usr/share/doc/dorminax-tools/changelog.gz" "f usr/share/doc/dorminax-tools/copyright" \
    "d usr/share/man/" "d usr/share/man/man1/" "f usr/share/man/man1/dorminax-capture.1.gz" \
    "f usr/share/man/man1/dorminax-frame.1.gz"

# Dependencies from the libraries the programs link; watching needs no FFmpeg.
demo_depends=$(dpkg-deb -f "$demo_deb" Depends)
tools_depends=$(dpkg-deb -f "$tools_deb" Depends)
for library in libc6 libsdl2-2.0-0 libsdl2-mixer-2.0-0; do
    [[ $demo_depends == *"$library "* ]] || fail "dorminax lacks $library: $demo_depends"
done
[[ $demo_depends == *libav* ]] && fail "dorminax pulls in FFmpeg: $demo_depends"
[[ $tools_depends == *"dorminax (= $version)"* && $tools_depends == *libavcodec* ]] ||
    fail "dorminax-tools depends on $tools_depends"
for deb in "$demo_deb" "$tools_deb"; do
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb: not version $version"
done

root="$work/root"
dpkg -x "$demo_deb" "$root" && dpkg -x "$tools_deb" "$root" || fail "dpkg -x failed"
appstreamcli validate-tree --no-net "$root/usr" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli: $(cat "$work/appstream.log")"
desktop-file-validate "$root/usr/share/applications/io.github.dorminax.Dorminax.desktop" ||
    fail "desktop-file-validate"
metainfo="$root/usr/share/metainfo/io.github.dorminax.Dorminax.metainfo.xml"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata's release is not $version"
zcat "$root/usr/share/doc/dorminax/changelog.gz" | head -n 1 | grep -q "^dorminax ($version)" ||
    fail "the changelog's last entry is not $version"

# Every option a program's --help names, its manual page describes.
check_page() {  # PROGRAM PAGE
    local option
    for option in $("$1" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
        zcat "$2" | grep -qF -- "${option//-/\\-}" || fail "$(basename "$2") lacks $option"
    done
}
check_page "$root/usr/games/dorminax" "$root/usr/share/man/man6/dorminax.6.gz"
check_page "$root/usr/bin/dorminax-frame" "$root/usr/share/man/man1/dorminax-frame.1.gz"
check_page "$root/usr/bin/dorminax-capture" "$root/usr/share/man/man1/dorminax-capture.1.gz"

# The unpacked demo, run from another folder, finds the data set beside its own folder.
mkdir "$work/elsewhere"
[ "$(cd "$work/elsewhere" && "$root/usr/games/dorminax" --version)" = "dorminax $version" ] ||
    fail "--version is not $version"
export DRIVE_DEMO="$root/usr/games/dorminax" DRIVE_FOLDER="$work/elsewhere"
DEMO_ARGS="--window --scene 6" drive show wait s Escape
status=$(cat "$work/elsewhere/exit_status")
[ "$status" = 0 ] || fail "the show: exit status $status"
[ "$(stat -c %s "$work/elsewhere/screenshot000.bmp")" = 77878 ] || fail "the show: no screenshot"
grep -Eq '^fps = [1-9]' "$work/show.err" || fail "the show did not play: $(cat "$work/show.err")"

# The packaged frame tool (stripped) draws the build's frame, from the installed data set.
(cd "$work/elsewhere" &&
    "$root/usr/bin/dorminax-frame" --data "$root/$installed" --at 12.5 packaged.png &&
    "$build/dorminax-frame" --data "$built_data" --at 12.5 built.png) || fail "no frames"
cmp -s "$work/elsewhere/packaged.png" "$work/elsewhere/built.png" ||
    fail "the packaged frame tool draws another frame"
echo "PASS"
