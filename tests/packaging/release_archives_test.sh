#!/bin/bash
# The release folder of make dist: the five archives named by the version and SHA256SUMS,
# which sha256sum -c accepts; each archive holds what its users expect; and a second
# making of each gives the same bytes: the Debian packages made again by CPack in another
# folder, under another umask and time zone; each zip written again from its own unpacked
# files (new times, new permissions); the source archived again from the same commit.
# Usage: release_archives_test.sh DIST_DIR BUILD_DIR DATA_DIR SOURCE_DIR VERSION EPOCH
set -u
dist=$1
build=$2
data=$3
source_dir=$4
version=$5
epoch=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
[ -d "$dist" ] || fail "no $dist: make dist makes it"
arch=$(dpkg --print-architecture)
demo_deb=dorminax_${version}_$arch.deb
tools_deb=dorminax-tools_${version}_$arch.deb
windows_zip=dorminax-$version-windows-x64.zip
web_zip=dorminax-$version-web.zip
source_tar=dorminax-$version-source.tar.gz

archives=$(printf '%s\n' "$demo_deb" "$tools_deb" "$windows_zip" "$web_zip" "$source_tar" |
    LC_ALL=C sort)
[ "$(ls "$dist")" = "$(printf '%s\n' "$archives" SHA256SUMS | LC_ALL=C sort)" ] ||
    fail "dist holds $(ls "$dist" | tr '\n' ' ')"
[ "$(awk '{ print $2 }' "$dist/SHA256SUMS")" = "$archives" ] ||
    fail "SHA256SUMS lists $(cat "$dist/SHA256SUMS")"
(cd "$dist" && sha256sum --check --strict --quiet SHA256SUMS) || fail "sha256sum -c"

# Python's zipfile reads the zips: list, read MEMBER, or extract FOLDER (which gives the
# files new times and the umask's permissions).
cat >"$work/zip.py" <<'PYTHON'
import sys, zipfile
command, archive = sys.argv[1], zipfile.ZipFile(sys.argv[2])
if command == 'list':
    print('\n'.join(archive.namelist()))
elif command == 'read':
    sys.stdout.buffer.write(archive.read(sys.argv[3]))
else:
    archive.extractall(sys.argv[3])
PYTHON
zip_members() { python3 "$work/zip.py" list "$1"; }
zip_text() { python3 "$work/zip.py" read "$1" "$2"; }

# The Windows zip: the program beside the data set, a README.txt and the licence.
data_set=$(cd "$data" && find gfx 3ds demotuin.ogg -type f && echo gfx/ && echo 3ds/)
expected=$(printf '%s\n' "$data_set" dorminax.exe README.txt LICENSE.txt | LC_ALL=C sort)
[ "$(zip_members "$dist/$windows_zip")" = "$expected" ] ||
    fail "$windows_zip holds $(zip_members "$dist/$windows_zip" | tr '\n' ' ')"
zip_text "$dist/$windows_zip" README.txt | head -n 1 |
    grep -q "^Dorminax $version for Windows (64-bit)"$'\r'"$" ||
    fail "the Windows README.txt does not start with the version and a Windows line end"

# The web zip: the folder any static host serves, installable and offline, its footer
# naming the version, and so the service worker's cache; a note on the headers ?bench wants.
folder=dorminax-$version-web
expected=$(printf "$folder/%s\n" '' README.txt LICENSE.txt index.html dorminax.js dorminax.wasm \
    dorminax.data dorminax-data.js manifest.webmanifest service-worker.js dorminax-180.png \
    dorminax-192.png dorminax-512.png | LC_ALL=C sort)
[ "$(zip_members "$dist/$web_zip")" = "$expected" ] ||
    fail "$web_zip holds $(zip_members "$dist/$web_zip" | tr '\n' ' ')"
footer="<span id=\"version\">Dorminax $version</span>"
zip_text "$dist/$web_zip" "$folder/index.html" | grep -qF "$footer" ||
    fail "the page's footer does not name $version"
zip_text "$dist/$web_zip" "$folder/service-worker.js" |
    grep -qE "^const kCacheName = 'dorminax-$version-[0-9a-f]{12}';$" ||
    fail "the service worker's cache is not named for $version"
for header in "Cross-Origin-Opener-Policy: same-origin" \
    "Cross-Origin-Embedder-Policy: require-corp"; do
    zip_text "$dist/$web_zip" "$folder/README.txt" | grep -qF "$header" ||
        fail "the web README.txt does not name $header"
done

# The source: the commit's files under dorminax-VERSION/, none of a build.
tar -tzf "$dist/$source_tar" >"$work/source.list" || fail "$source_tar does not unpack"
grep -qx "dorminax-$version/CMakeLists.txt" "$work/source.list" || fail "no CMakeLists.txt"
grep -v "^dorminax-$version/" "$work/source.list" && fail "files outside dorminax-$version/"
grep -E "^dorminax-$version/(build|dist)" "$work/source.list" && fail "build files in the source"

# A second making of each.
(umask 077 && TZ=Pacific/Kiritimati \
    "$source_dir/packaging/debian_packages.sh" "$build" "$work/cpack") >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
for deb in "$demo_deb" "$tools_deb"; do
    cmp "$dist/$deb" "$work/cpack/$deb" || fail "$deb made again differs"
done
for zip in "$windows_zip" "$web_zip"; do
    mkdir "$work/${zip%.zip}"
    python3 "$work/zip.py" extract "$dist/$zip" "$work/${zip%.zip}" || fail "$zip does not unpack"
    python3 "$source_dir/packaging/release_zip.py" "$epoch" "$work/$zip" "$work/${zip%.zip}" ||
        fail "release_zip.py failed"
    cmp "$dist/$zip" "$work/$zip" || fail "$zip made again differs"
done
git -C "$source_dir" archive --format=tar.gz --prefix="dorminax-$version/" HEAD \
    >"$work/$source_tar" || fail "git archive failed"
cmp -s "$dist/$source_tar" "$work/$source_tar" ||
    fail "$source_tar is not the archive of HEAD (committed since make dist?)"
echo "PASS"
