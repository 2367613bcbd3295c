#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo from build/.
source "$(dirname "$0")/scripts/setup.sh"
install_missing "${BUILD_PACKAGES[@]}"
build_project "$BUILD_DIR"

if [ -z "${DISPLAY:-}" ]; then
    echo "No display found: run it under a virtual display with: xvfb-run -a ./run.sh" >&2
    exit 1
fi
cd "$BUILD_DIR"
exec ./terravell
