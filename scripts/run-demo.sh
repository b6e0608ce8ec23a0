#!/bin/sh
# Builds Sprandel and runs the demo job: the OCI emulator's demo schema into an .xlsx workbook.
set -eu
cd "$(dirname "$0")/.."
SPRANDEL_BUILD_DIR=build sh scripts/build.sh sprandel-cli ociemu ociemu_demo_db
mkdir -p build/demo
# The emulator stands in for the Oracle client library; nothing else changes for the program.
status=0
LD_LIBRARY_PATH="$PWD/build/ociemu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
    build/src/cli/sprandel-cli demo/demo.spr || status=$?
# Exit status 1 means converted with errors listed: the demo schema holds, on purpose, a text
# longer than a cell can take, so the run shows how such a cut is reported.
if [ "$status" -gt 1 ]; then
    echo "run-demo.sh: the demo job could not run (exit status $status)" >&2
    exit "$status"
fi
echo "Demo workbook: $PWD/build/demo/Sprandel demo.xlsx (trace log beside it)"
