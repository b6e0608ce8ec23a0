#!/bin/sh
# Configures and builds Sprandel into build/ (or $SPRANDEL_BUILD_DIR); arguments name the
# targets to build (all when none).
set -eu
cd "$(dirname "$0")/.."
build_dir=${SPRANDEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "$#" -eq 0 ]; then
    cmake --build "$build_dir" -j "$(nproc)"
else
    cmake --build "$build_dir" -j "$(nproc)" --target "$@"
fi
