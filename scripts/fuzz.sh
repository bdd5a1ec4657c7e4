#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for as long as asked.
#   scripts/fuzz.sh [SECONDS_EACH] [TARGET...]     (default: 60 s, every target)
#   FUZZ_RUNS=N scripts/fuzz.sh                    (a fixed number of runs instead; what the tests do)
# New inputs that reach new code are kept in build-fuzz/corpus/<target>; the
# samples and the recorded printouts are the seeds. A crash leaves its input
# in build-fuzz/ and makes the script fail.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(ReceivePathFuzzer LineParserFuzzer CaptureLoaderFuzzer DocxTextFuzzer)
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAPRINT_FUZZ=ON \
    -DTESSAPRINT_BUILD_QT=OFF -DTESSAPRINT_BUILD_TESTS=OFF -DTESSAPRINT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    if [ -n "${FUZZ_RUNS:-}" ]; then
        limit=(-runs="$FUZZ_RUNS")
        # Building a .docx package is slow; its smoke run is a tenth as long.
        [ "$target" = DocxTextFuzzer ] && limit=(-runs=$((FUZZ_RUNS / 10)))
    else
        limit=(-max_total_time="$seconds")
    fi
    echo "== $target ${limit[*]}"
    log=$build/$target.log
    status=0
    (cd "$build" && ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/$target" "${limit[@]}" -max_len=8192 \
        -print_final_stats=1 "$corpus" "$root/samples" "$root/tests/data" >"$log" 2>&1) || status=$?
    grep -E '^#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -60 "$log"
        echo "$target failed (status $status); the input is in $build"
        exit 1
    fi
done
