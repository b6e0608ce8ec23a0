#!/bin/sh
# Cross-builds Sprandel for 64-bit Windows with MinGW-w64 into build-windows/build: first the
# libraries Debian has no MinGW build of (scripts/build-windows-deps.sh, cached), then the
# given targets (all when none). Prepares wine's prefix (build-windows/wine) and leaves its
# server running for the commands that follow (end it with WINEPREFIX=... wineserver -k). Arguments starting with -D are CMake options.
set -eu
cd "$(dirname "$0")/.."
jobs=${SPRANDEL_JOBS:-$(nproc)}
options=""
targets=""
for argument in "$@"; do
    case "$argument" in
        -D*) options="$options $argument" ;;
        *) targets="$targets $argument" ;;
    esac
done
SPRANDEL_JOBS=$jobs sh scripts/build-windows-deps.sh
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all
# A persistent server: otherwise every program started pays wine's start-up again, and
# ctest waits on the pipe that wine's services keep open.
wineserver -p 2>/dev/null || true  # status 2: one is running already
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || true
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
# shellcheck disable=SC2086
cmake -S . -B build-windows/build -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher $options >/dev/null
if [ -z "$targets" ]; then
    cmake --build build-windows/build -j "$jobs"
else
    # shellcheck disable=SC2086
    cmake --build build-windows/build -j "$jobs" --target $targets
fi
