#!/usr/bin/env bash
# Sourced by scripts/run and scripts/test: makes sure the Debian packages the build needs
# are installed (apt-get as root, otherwise prints the exact command and stops).
PACKAGES="build-essential cmake libsdl2-dev libsdl2-mixer-dev libassimp-dev libphysfs-dev libstb-dev libgl1-mesa-dri libegl-mesa0 libglu1-mesa-dev fonts-dejavu-core libgtest-dev libbenchmark-dev assimp-testmodels xvfb xauth xdotool imagemagick clang libclang-rt-14-dev zlib1g-dev desktop-file-utils appstream groff-base"

kd_missing_packages() {
    local missing=""
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    echo "$missing"
}

kd_ensure_packages() {
    local missing
    missing=$(kd_missing_packages)
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q && apt-get install -y --no-install-recommends $PACKAGES
    else
        echo "These Debian packages are missing:$missing"
        echo "Install them with:"
        echo "  sudo apt-get install -y --no-install-recommends $PACKAGES"
        exit 1
    fi
}

# Configures and builds into $1 with the extra CMake arguments that follow.
kd_build() {
    local dir=$1
    shift
    local jobs
    jobs=$(nproc 2>/dev/null || echo 2)
    cmake -S "$KD_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null &&
        cmake --build "$dir" -j"$jobs"
}
