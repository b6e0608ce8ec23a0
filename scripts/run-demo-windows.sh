#!/bin/sh
# Builds sprandel-cli.exe and the emulator's oci.dll for Windows and runs the demo job under
# wine: the OCI emulator's demo schema into build-windows/demo/Sprandel demo.xlsx.
set -eu
cd "$(dirname "$0")/.."
if ! command -v wine >/dev/null; then
    echo "run-demo-windows.sh: wine is not installed (scripts/install-deps.sh installs it)" >&2
    exit 2
fi
sh scripts/build-windows.sh sprandel-cli ociemu ociemu_demo_db
mkdir -p build-windows/demo
# The demo job with its files under build-windows/demo.
sed -e 's|^dest=build/demo/|dest=build-windows/demo/|' -e 's|^logfile=build/demo/|logfile=build-windows/demo/|' \
    demo/demo.spr >build-windows/demo/demo.spr
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null' EXIT  # this prefix's server, started by build-windows.sh
# Windows finds oci.dll through PATH, as for Oracle Instant Client; WINEPATH adds to it.
status=0
WINEPATH="$PWD/build-windows/build/ociemu" wine build-windows/build/src/cli/sprandel-cli.exe \
    build-windows/demo/demo.spr || status=$?
# Exit status 1 means converted with errors listed: the demo schema holds, on purpose, a
# text longer than a cell can take, so the run shows how such a cut is reported.
if [ "$status" -gt 1 ]; then
    echo "run-demo-windows.sh: the demo job could not run (exit status $status)" >&2
    exit "$status"
fi
echo "Demo workbook: $PWD/build-windows/demo/Sprandel demo.xlsx (trace log beside it)"
