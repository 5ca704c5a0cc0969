#!/bin/sh
# Builds the .deb with CPack into a temporary folder and checks that it holds
# the launcher, the program, the desktop files, the defaults and the
# documents, installed under /usr, that it names what the program needs at
# run time, and, when lintian is installed, that lintian finds no error and
# no warning in it.
# usage: deb-package.sh BUILD_DIR [hardened|unhardened]
# (an unhardened build is not held to lintian's hardening checks)
set -eu
build=$1
suppress=
[ "${2:-hardened}" = hardened ] ||
    suppress=hardening-no-relro,hardening-no-bindnow,hardening-no-pie,hardening-no-fortify-functions
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
    ./usr/share/jacketforge/Data/DefaultSizes.ins ./usr/share/man/man1/jacketforge.1.gz \
    ./usr/share/doc/jacketforge/copyright ./usr/share/doc/jacketforge/changelog.Debian.gz; do
    echo "$contents" | grep -q " $file\$" || fail "$file is not in the package"
done
echo "$contents" | grep " ./usr/bin/jacketforge\$" | grep -q '^-rwxr-xr-x root/root' ||
    fail "the launcher is not an executable owned by root"
depends=$(dpkg-deb -f "$deb" Depends)
# Linked libraries, and the pieces pictures load at run time.
for lib in libqt6widgets6 libqt6printsupport6 libjpeg62-turbo qt6-image-formats-plugins \
    libqt6svg6 libtiff6 libpng16-16 libheif1 liblcms2-2; do
    echo "$depends" | grep -q "$lib" || fail "the package does not depend on $lib"
done
[ "$(dpkg-deb -f "$deb" Version)" = 1.20-1 ] || fail "the version is not 1.20-1"
dpkg-deb -f "$deb" Suggests | grep -q printer-driver-cups-pdf || fail "cups-pdf is not suggested"

if command -v lintian >/dev/null; then
    # Overrides, each with its reason, travel in the package itself.
    report=$(lintian --fail-on error,warning ${suppress:+--suppress-tags "$suppress"} "$deb" 2>&1) || {
        echo "$report" >&2
        fail "lintian found errors or warnings"
    }
    [ -z "$report" ] || echo "$report"
else
    echo "lintian is not installed: not checked"
fi
echo "deb package: ok"
