#!/usr/bin/env bash
# Sourced by scripts/run, scripts/test and scripts/fuzz: makes sure the Debian packages they need
# are installed (apt-get as root, otherwise prints the exact command and stops).

# What building and playing the game needs: compilers, the libraries it links, the Mesa drivers it
# draws with, and the fonts and zlib the asset and icon generators use at build time.
KD_RUN_PACKAGES="build-essential cmake pkgconf libsdl2-dev libsdl2-mixer-dev libassimp-dev libphysfs-dev libenet-dev libstb-dev libglu1-mesa-dev libgl1-mesa-dri fonts-dejavu-core zlib1g-dev"
# What the test suite, the benchmarks and the fuzzers add: the test frameworks, the offscreen GL of
# the window tests, the X tools of the end-to-end tests, clang's fuzzer runtime and the checkers of
# the installed files and the Debian package.
KD_TEST_PACKAGES="libgtest-dev libbenchmark-dev assimp-testmodels libegl-mesa0 xvfb xauth xdotool imagemagick clang libclang-rt-14-dev desktop-file-utils appstream groff-base lintian"

kd_missing_packages() {
    local missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    echo "$missing"
}

# kd_ensure_packages <package>...
kd_ensure_packages() {
    local missing
    missing=$(kd_missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        # shellcheck disable=SC2086
        apt-get update -q && apt-get install -y --no-install-recommends $missing
    else
        echo "These Debian packages are missing:$missing"
        echo "Install them with:"
        echo "  sudo apt-get install -y --no-install-recommends$missing"
        exit 1
    fi
}

# Configures and builds into $1 with the CMake arguments that follow; `--target T...` after them
# builds only those targets. Each script has a folder of its own and names every option it
# relies on, so no choice of an earlier run lingers in a shared CMake cache.
kd_build() {
    local dir=$1
    shift
    local config=() targets=()
    while [ $# -gt 0 ] && [ "$1" != --target ]; do
        config+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift && targets=(--target "$@")
    cmake -S "$KD_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${config[@]}" >/dev/null &&
        cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)" "${targets[@]}"
}
