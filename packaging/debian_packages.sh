#!/bin/sh
# Makes the Debian packages of a build with CPack into a folder (make package).
# Under umask 022, as dpkg-buildpackage does: CPack gives the folders it creates and the
# package's own members the umask's permissions, which must not depend on the packager's.
# Usage: debian_packages.sh BUILD_DIR OUT_DIR
set -e
[ $# -eq 2 ] || { echo "usage: debian_packages.sh BUILD_DIR OUT_DIR" >&2; exit 2; }
umask 022
rm -rf "$2"
exec cpack --config "$1/CPackConfig.cmake" -B "$2"
