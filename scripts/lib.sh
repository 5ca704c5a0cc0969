# Shared by scripts/run and scripts/test: install what is missing and build.
# Sourced, not run.

JF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JF_BUILD=${JF_BUILD:-$JF_ROOT/build}

# Debian packages the project needs to build, run, test and measure itself.
JF_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libjpeg62-turbo-dev libwmf-dev libemf2svg-dev zlib1g-dev
    fonts-liberation fonts-wine fonts-dejavu-core
    cups printer-driver-cups-pdf poppler-utils img2pdf
    xvfb xauth libjpeg-turbo-progs util-linux
    desktop-file-utils appstream dpkg-dev file lintian x11-utils
    qt6-image-formats-plugins libheif-dev libexif-dev libwebp-dev netpbm libheif-examples
    libtiff-dev libpng-dev libfontconfig-dev liblcms2-dev
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

jf_build() {
    if [ ! -f "$JF_BUILD/build.ninja" ]; then
        cmake -S "$JF_ROOT" -B "$JF_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$JF_BUILD" -j 2
}
