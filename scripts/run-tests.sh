#!/bin/sh
# Builds Sprandel and runs the whole test suite three ways:
#   1. the normal build in build/ and ctest, built as Release (-O3) with -Werror: the
#      optimiser's flow analysis finds warnings (-Wrestrict and friends) that the other
#      build types miss, and here they cannot come back unnoticed;
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer in
#      build-sanitize/; any sanitizer report, also from a child process, fails the run;
#   3. the libFuzzer targets built with clang in build-fuzz/, each run for a bounded time
#      from its committed corpus under tests/fuzz/corpus/;
#   4. the Windows build with MinGW-w64 in build-windows/ and its tests under wine
#      (scripts/run-windows-tests.sh; skipped with one line where wine cannot run).
# SPRANDEL_SKIP_SANITIZE=1, SPRANDEL_SKIP_FUZZ=1 or SPRANDEL_SKIP_WINDOWS=1 leave out step 2, 3 or 4;
# SPRANDEL_FUZZ_SECONDS sets the time per fuzz target (12 by default).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

echo "== normal build (Release, warnings are errors) and tests"
SPRANDEL_BUILD_DIR=build sh scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-Werror -DCMAKE_C_FLAGS=-Werror
ctest --test-dir build --output-on-failure -j "$jobs"

if [ "${SPRANDEL_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== sanitizer build and tests"
    reports="$root/build-sanitize/sanitizer-reports"
    SPRANDEL_BUILD_DIR=build-sanitize sh scripts/build.sh -DSPRANDEL_SANITIZE=ON -DSPRANDEL_BENCH=OFF
    rm -rf "$reports"
    mkdir -p "$reports"
    # AddressSanitizer and LeakSanitizer reports go to files, so a report from a child
    # process (the end-to-end tests run sprandel-cli) fails the run even where a test does
    # not look closely at how the child ended. UndefinedBehaviorSanitizer ignores log_path
    # next to AddressSanitizer: its reports abort the process (a child then ends by SIGABRT,
    # which no test expects) and are caught in the test output below.
    export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
    export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"
    # only leaks inside system libraries (listed there with the reason) are let pass
    export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/leak-suppressions.txt:print_suppressions=0"
    status=0
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs" >"$reports/../ctest.log" 2>&1 || status=$?
    unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
    tail -n 5 "$reports/../ctest.log"
    if grep -q "runtime error:" "$reports/../ctest.log"; then
        grep -B 2 -A 20 "runtime error:" "$reports/../ctest.log"
        echo "run-tests.sh: UndefinedBehaviorSanitizer reported the faults above" >&2
        exit 1
    fi
    if [ "$status" -ne 0 ]; then
        cat "$reports/../ctest.log"
    fi
    if [ -n "$(ls -A "$reports")" ]; then
        for report in "$reports"/*; do
            echo "---- $report"
            cat "$report"
        done
        echo "run-tests.sh: the sanitizers reported the faults above" >&2
        exit 1
    fi
    [ "$status" -eq 0 ] || exit "$status"
fi

if [ "${SPRANDEL_SKIP_FUZZ:-0}" != 1 ]; then
    echo "== fuzz targets"
    seconds=${SPRANDEL_FUZZ_SECONDS:-12}
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSPRANDEL_FUZZ=ON -DSPRANDEL_SANITIZE=ON -DSPRANDEL_BENCH=OFF
    targets=""
    for source in tests/fuzz/*_fuzz.cpp; do
        targets="$targets $(basename "$source" .cpp)"
    done
    # shellcheck disable=SC2086
    cmake --build build-fuzz -j "$jobs" --target $targets
    mkdir -p build-fuzz/crashes
    export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
    export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"
    for target in $targets; do
        name=${target%_fuzz}
        # New inputs go to a scratch folder; the committed corpus is only read.
        scratch="build-fuzz/corpus/$name"
        mkdir -p "$scratch"
        echo "-- $target for ${seconds}s"
        "build-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -seed=1 -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$name-" \
            "$scratch" "tests/fuzz/corpus/$name"
    done
fi
if [ "${SPRANDEL_SKIP_WINDOWS:-0}" != 1 ]; then
    echo "== Windows build (MinGW-w64) and tests under wine"
    sh scripts/run-windows-tests.sh
fi
echo "run-tests.sh: all checks passed"
