#!/usr/bin/env bash
# Builds and runs the benchmark (under a virtual display when there is no
# display) and prints its table. Extra arguments go to terravell-bench.
source "$(dirname "$0")/scripts/setup.sh"
install_missing "${BUILD_PACKAGES[@]}"
build_project "$BUILD_DIR" >/dev/null
cd "$BUILD_DIR"
if [ -z "${DISPLAY:-}" ]; then
    install_missing xvfb xauth
    exec xvfb-run "${XVFB_ARGS[@]}" ./terravell-bench "$@"
fi
exec ./terravell-bench "$@"
