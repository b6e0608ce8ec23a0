#!/bin/sh
# Configures and builds Sprandel into build/ (or $SPRANDEL_BUILD_DIR). Arguments that start
# with -D are CMake options; the others name the targets to build (all when none).
set -eu
cd "$(dirname "$0")/.."
build_dir=${SPRANDEL_BUILD_DIR:-build}
options=""
targets=""
for argument in "$@"; do
    case "$argument" in
        -D*) options="$options $argument" ;;
        *) targets="$targets $argument" ;;
    esac
done
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo $options
if [ -z "$targets" ]; then
    cmake --build "$build_dir" -j "$(nproc)"
else
    # shellcheck disable=SC2086
    cmake --build "$build_dir" -j "$(nproc)" --target $targets
fi
