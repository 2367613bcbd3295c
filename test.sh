#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite under a
# virtual display. Non-zero on any failure.
source "$(dirname "$0")/scripts/setup.sh"
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_project "$BUILD_DIR"

cd "$BUILD_DIR"
xvfb-run "${XVFB_ARGS[@]}" ctest --output-on-failure -j2 "$@"
