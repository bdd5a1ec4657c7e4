#!/usr/bin/env bash
# Builds Tessaprint with warnings as errors and runs every test; then builds
# the core tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# them too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc)

"$root/scripts/install-deps.sh" --tests

# The code keeps the layout of .clang-format.
(cd "$root" && git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAPRINT_WERROR=ON >/dev/null
cmake --build "$build" --parallel "$jobs"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$jobs")

cmake -S "$root" -B "$build-asan" -DCMAKE_BUILD_TYPE=Debug -DTESSAPRINT_WERROR=ON -DTESSAPRINT_SANITIZE=ON \
    -DTESSAPRINT_BUILD_QT=OFF -DTESSAPRINT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build-asan" --parallel "$jobs"
(cd "$build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --parallel "$jobs")

# The fuzz targets, a short smoke run each (scripts/fuzz.sh runs them for longer).
FUZZ_BUILD_DIR="$build-fuzz" FUZZ_RUNS=${FUZZ_RUNS:-20000} "$root/scripts/fuzz.sh"
