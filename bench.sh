#!/usr/bin/env bash
# Builds and runs the benchmark (under a virtual display when there is no
# display) and prints its tables. With --peer it first installs Irrlicht,
# for the comparison only, and times terravell-peer beside the game. Other
# arguments go to terravell-bench.
source "$(dirname "$0")/scripts/setup.sh"
args=()
peer=0
for arg in "$@"; do
    if [ "$arg" = --peer ]; then peer=1; else args+=("$arg"); fi
done
install_missing "${BUILD_PACKAGES[@]}"
[ $peer -eq 1 ] && install_missing libirrlicht-dev
build_project "$BUILD_DIR" >/dev/null
cd "$BUILD_DIR"
[ $peer -eq 1 ] && args+=(--peer "$BUILD_DIR/terravell-peer")
if [ -z "${DISPLAY:-}" ]; then
    install_missing xvfb xauth
    exec xvfb-run "${XVFB_ARGS[@]}" ./terravell-bench "${args[@]}"
fi
exec ./terravell-bench "${args[@]}"
