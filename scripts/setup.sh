# Sourced by run.sh, test.sh and bench.sh: installs the Debian packages that
# are missing, then configures and builds into build/.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}

BUILD_PACKAGES=(cmake g++ make pkg-config libsdl1.2-dev libglu1-mesa-dev libgl1-mesa-dri
                libfreetype-dev fonts-dejavu-core libpng-dev libtiff-dev libgeotiff-dev)
TEST_PACKAGES=(googletest libgtest-dev xvfb xauth xdotool x11-apps imagemagick libx11-dev gdb
               clang-14 libclang-rt-14-dev clang-format)

# Installs whichever of the named packages are not installed yet.
install_missing() {
    local missing=() package
    for package in "$@"; do
        [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) == *"install ok installed"* ]] ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds (both quick when nothing changed); the build also
# writes the assets to build/Data. Configuring every time lets a build made
# by run.sh pick up the test packages that test.sh installs later.
build_project() {
    local dir=$1; shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# The flags that keep SDL 1.2 reliable on a virtual display.
XVFB_ARGS=(-a -s "-screen 0 1024x768x24 -noreset -r")
