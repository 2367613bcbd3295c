#!/usr/bin/env bash
# usage: ./run.sh [terravell's ARGS...]
# Installs what is missing, builds, and starts the demo: on the default world
# in build/ without arguments, otherwise with the arguments given (a WORLD
# folder, --start and the rest, as in build/terravell --help).
source "$(dirname "$0")/scripts/setup.sh"
install_missing "${BUILD_PACKAGES[@]}"
build_project "$BUILD_DIR"

if [ -z "${DISPLAY:-}" ]; then
    echo "No display found: run it under a virtual display with: xvfb-run -a ./run.sh" >&2
    exit 1
fi
[ $# -eq 0 ] && set -- "$BUILD_DIR"
exec "$BUILD_DIR/terravell" "$@"
