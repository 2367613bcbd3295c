#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite under a virtual
# display: the tests, the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of each fuzz target.
# Non-zero on any failure. Extra arguments go to the first ctest run.
source "$(dirname "$0")/scripts/setup.sh"
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_project "$BUILD_DIR"
build_project "$ROOT/build-asan" -DTERRAVELL_SANITIZE=ON

status=0
echo "== Tests"
(cd "$BUILD_DIR" && xvfb-run "${XVFB_ARGS[@]}" ctest --output-on-failure -j2 "$@") || status=1

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$ROOT/build-asan" && xvfb-run "${XVFB_ARGS[@]}" ctest --output-on-failure -j2 -E '^e2e') || status=1
# The real binary's exit tears down the GL driver, whose module is unloaded
# before LeakSanitizer can name (and suppress) its allocations; the binary
# runs with every other check, and leaks are checked in-process above.
(cd "$ROOT/build-asan" && ASAN_OPTIONS=detect_leaks=0 xvfb-run "${XVFB_ARGS[@]}" ctest --output-on-failure -R '^e2e') ||
    status=1
unset LSAN_OPTIONS UBSAN_OPTIONS

echo "== Fuzzing"
"$ROOT/scripts/fuzz.sh" "${FUZZ_SECONDS:-30}" || status=1

exit $status
