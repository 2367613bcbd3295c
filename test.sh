#!/usr/bin/env bash
# usage: ./test.sh [--quick] [CTEST ARGS...]
# Installs what is missing, builds, and runs the suite under a virtual
# display: the tests; the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer; a short run of each fuzz target; last, that
# every C++ file is laid out as .clang-format says, and the size of the
# tests against the code. CTEST ARGS (e.g. -R Bitmap) go to every
# ctest run, and then the fuzzing is left out; --quick runs the plain tests
# only (no sanitizer build, no fuzzing). Non-zero on any failure.
source "$(dirname "$0")/scripts/setup.sh"
quick=0
if [ "${1:-}" = --quick ]; then quick=1; shift; fi
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_project "$BUILD_DIR"

status=0
run_ctest() {
    local dir=$1; shift
    (cd "$dir" && xvfb-run "${XVFB_ARGS[@]}" ctest --output-on-failure -j2 "$@") || status=1
}

echo "== Tests"
run_ctest "$BUILD_DIR" "$@"

if [ $quick -eq 0 ]; then
    build_project "$ROOT/build-asan" -DTERRAVELL_SANITIZE=ON
    echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # LeakSanitizer's exit-time scan stops every thread of the process and
    # now and then crashed on one of Mesa's ("Tracer caught signal 11"):
    # its rasterizer and compute threads and its shader-cache writer. Here
    # the software renderer draws on the calling thread and keeps no disk
    # cache, so the scan finds the test's thread alone; the pixels are the
    # same whichever thread draws them.
    LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true run_ctest "$ROOT/build-asan" -LE e2e "$@"
    # The real binary's exit tears down the GL driver, whose module is
    # unloaded before LeakSanitizer can name (and suppress) its allocations;
    # the binary runs with every other check, and leaks are checked
    # in-process above.
    ASAN_OPTIONS=detect_leaks=0 run_ctest "$ROOT/build-asan" -L e2e "$@"
    unset LSAN_OPTIONS UBSAN_OPTIONS
    if [ $# -eq 0 ]; then
        echo "== Fuzzing"
        "$ROOT/scripts/fuzz.sh" "${FUZZ_SECONDS:-30}" || status=1
    fi
fi

echo "== Formatting"
(cd "$ROOT" && git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror) || status=1

echo "== Size of the tests"
"$ROOT/scripts/test-ratio.sh" || status=1
exit $status
