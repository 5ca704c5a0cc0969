# Shared by scripts/run and scripts/test: install what is missing and build.
# Sourced, not run.

JF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JF_BUILD=${JF_BUILD:-$JF_ROOT/build}

# Debian packages the project needs to build, run, test and measure itself.
JF_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libjpeg62-turbo-dev libwmf-dev libemf2svg-dev zlib1g-dev
    fonts-liberation fonts-wine fonts-dejavu-core
    cups printer-driver-cups-pdf printer-driver-gutenprint poppler-utils img2pdf ghostscript qpdf
    libcups2-dev cups-ipp-utils
    xvfb xauth libjpeg-turbo-progs util-linux
    desktop-file-utils appstream dpkg-dev file lintian x11-utils
    qt6-image-formats-plugins libheif-dev libexif-dev libwebp-dev netpbm libheif-examples
    libtiff-dev libpng-dev libfontconfig-dev liblcms2-dev libqpdf-dev
    clang libclang-rt-14-dev
)

jf_sudo() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

jf_install_missing() {
    local missing=()
    local pkg
    for pkg in "${JF_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    jf_sudo apt-get update -qq
    jf_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# What the scripts' builds hold beside the program: the tests, the
# benchmarks and the fuzz targets' replays.
JF_TEST_OPTIONS=(BUILD_TESTING JF_BUILD_BENCHMARKS JF_BUILD_FUZZ_REPLAY)

# jf_configure DIR OPTION... -- CMAKE-ARGUMENTS...
# Configures build folder DIR with CMAKE-ARGUMENTS when it is new; a folder
# made earlier without one of the OPTIONS on gets them turned on (its own
# settings kept). Quiet.
jf_configure() {
    local dir=$1 flags=() missing=
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        flags+=("-D$1=ON")
        grep -qx "$1:BOOL=ON" "$dir/CMakeCache.txt" 2>/dev/null || missing=1
        shift
    done
    shift || true
    if [ ! -f "$dir/build.ninja" ]; then
        cmake "$@" "${flags[@]}" >/dev/null
    elif [ -n "$missing" ]; then
        cmake "${flags[@]}" "$dir" >/dev/null
    fi
}

jf_build() {
    jf_configure "$JF_BUILD" "${JF_TEST_OPTIONS[@]}" -- \
        -S "$JF_ROOT" -B "$JF_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$JF_BUILD" -j 2
}
