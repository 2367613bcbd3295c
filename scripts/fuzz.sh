#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan, unsigned overflow
# included), replays every saved regression case, then fuzzes each target.
#   scripts/fuzz.sh [SECONDS-PER-TARGET] [TARGET...]     (default 30, Bmp Map Heightmap GeoTiff Srtm Options)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${1:-30}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(Bmp Map Heightmap GeoTiff Srtm Options)
FUZZ_DIR=${FUZZ_DIR:-$ROOT/build-fuzz}

cmake -S "$ROOT" -B "$FUZZ_DIR" -DTERRAVELL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$FUZZ_DIR" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${TARGETS[@]}") >/dev/null

# SDL is not instrumented: let its allocations of absurd sizes fail softly.
export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1
status=0
for target in "${TARGETS[@]}"; do
    lower=$(echo "$target" | tr 'A-Z' 'a-z')
    binary="$FUZZ_DIR/tests/fuzz/fuzz_$target"
    corpus="$FUZZ_DIR/corpus/$lower"
    crashes="$FUZZ_DIR/crashes/$lower"
    mkdir -p "$corpus" "$crashes"
    cp -n "$ROOT/tests/fuzz/seeds/$lower/"* "$corpus/" 2>/dev/null || true

    regressions=("$ROOT/tests/fuzz/regressions/$lower/"*)
    if [ -e "${regressions[0]}" ]; then
        echo "== $target: replaying ${#regressions[@]} regression case(s)"
        "$binary" -close_fd_mask=2 "${regressions[@]}" >/dev/null 2>&1 || { echo "FAIL: $target regression"; status=1; }
    fi

    # The map tool's decoders are ours from the first byte: any allocation
    # over 256 MB is a finding (SDL's, behind the BMP target, is not).
    limit=()
    [ "$target" != Bmp ] && [ "$target" != Map ] && limit=(-malloc_limit_mb=256)
    # Every GeoTIFF layout the decoder reads (strips or tiles, compressed,
    # with nodata and a georeference) fits in 1 KB; longer inputs only let a
    # header claim larger pictures and slow each run.
    [ "$target" = GeoTiff ] && limit+=(-max_len=1024)
    # The SRTM reader does the same for a square of any side: 16 a side
    # (512 bytes) holds every shape of void a larger one does.
    [ "$target" = Srtm ] && limit+=(-max_len=512)
    echo "== $target: fuzzing for $SECONDS_EACH s"
    if "$binary" -max_total_time="$SECONDS_EACH" "${limit[@]}" -close_fd_mask=2 -print_final_stats=1 \
                 -artifact_prefix="$crashes/" "$corpus" >"$FUZZ_DIR/$lower.log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)|cov:' "$FUZZ_DIR/$lower.log" | tail -3
    else
        echo "FAIL: $target found a crash; artifacts in $crashes" >&2
        tail -40 "$FUZZ_DIR/$lower.log" >&2
        status=1
    fi
done
exit $status
