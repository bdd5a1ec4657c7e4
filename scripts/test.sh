#!/usr/bin/env bash
# Builds Tessaprint with warnings as errors and runs every test; then builds
# everything again with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test once more; last, a short run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc)

"$root/scripts/install-deps.sh" --tests
# The number tests' second run needs a decimal-comma locale; here it is never skipped.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "The locale de_DE.UTF-8 is missing although install-deps.sh --tests generates it." >&2
    exit 1
fi

# The code keeps the layout of .clang-format, as clang-format 14 reads it; without that version the
# check is skipped (another version would flag lines it lays out otherwise).
. "$root/scripts/clang-format-pinned.sh"
if [ -n "$clang_format" ]; then
    (cd "$root" && git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r "$clang_format" --dry-run --Werror)
else
    echo "The format check was skipped: $clang_format_missing."
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAPRINT_WERROR=ON >/dev/null
cmake --build "$build" --parallel "$jobs"
# Beside a throwaway PostgreSQL server, so the history's tests run on both engines.
(cd "$build" && QT_QPA_PLATFORM=offscreen "$root/scripts/with-postgres.sh" ctest --output-on-failure --parallel "$jobs")

# The whole suite under AddressSanitizer (with LeakSanitizer) and
# UndefinedBehaviorSanitizer: the core, the Qt layer and the windows, the
# programs the tests start (tessaprint-cli, tessaprint-sim), the golden and
# the command-line tests. The options reach only programs built with the
# sanitizers; LibreOffice, pdftotext and the shell run as always (nothing is
# preloaded). Every report goes to a file of its own, so that one from a
# program whose output no test reads (the simulator behind a window test)
# fails the stage as well.
asan=$build-asan
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DTESSAPRINT_WERROR=ON -DTESSAPRINT_SANITIZE=ON -DTESSAPRINT_BUILD_QT=ON \
    -DTESSAPRINT_BUILD_BENCH=OFF >/dev/null
cmake --build "$asan" --parallel "$jobs"
reports=$asan/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
status=0
(cd "$asan" && QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan" \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:log_path=$reports/ubsan" \
    "$root/scripts/with-postgres.sh" ctest --output-on-failure --parallel "$jobs") || status=$?
if [ -n "$(ls -A "$reports")" ]; then
    for report in "$reports"/*; do
        echo "== $report"
        cat "$report"
    done
    echo "The sanitizers reported the faults above."
    exit 1
fi
[ "$status" -eq 0 ] || exit "$status"

# The fuzz targets, a short smoke run each (scripts/fuzz.sh runs them for longer).
FUZZ_BUILD_DIR="$build-fuzz" FUZZ_RUNS=${FUZZ_RUNS:-20000} "$root/scripts/fuzz.sh"
