#!/bin/sh
# Builds Sprandel and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
SPRANDEL_BUILD_DIR=build sh scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
