#!/bin/sh
# Configures and builds Sprandel into build/ (or $SPRANDEL_BUILD_DIR).
set -eu
cd "$(dirname "$0")/.."
build_dir=${SPRANDEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" -j "$(nproc)"
