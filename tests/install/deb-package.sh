#!/bin/sh
# Builds the .deb with CPack into a temporary folder and checks that it holds
# the launcher, the program, the desktop files and the defaults, installed
# under /usr, and that it names the libraries the program needs.
# usage: deb-package.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp" >/dev/null
deb=$(ls "$tmp"/jacketforge_*_*.deb) || fail "no package was made"
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/jacketforge ./usr/libexec/jacketforge/jacketforge \
    ./usr/share/applications/org.jacketforge.Jacketforge.desktop \
    ./usr/share/metainfo/org.jacketforge.Jacketforge.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/org.jacketforge.Jacketforge.svg \
    ./usr/share/jacketforge/Data/DefaultSizes.ins; do
    echo "$contents" | grep -q " $file\$" || fail "$file is not in the package"
done
echo "$contents" | grep " ./usr/bin/jacketforge\$" | grep -q '^-rwxr-xr-x root/root' ||
    fail "the launcher is not an executable owned by root"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 libjpeg62-turbo; do
    echo "$depends" | grep -q "$lib" || fail "the package does not depend on $lib"
done
echo "deb package: ok"
