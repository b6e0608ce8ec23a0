#!/bin/sh
# The Windows pass of the test suite: builds the libraries, the program, the emulator
# (oci.dll) and the tests for Windows with MinGW-w64 (scripts/build-windows.sh) and runs the
# tests under wine through ctest. The end-to-end tests start sprandel-cli.exe with
# CreateProcessW and have the workbooks read back by the host's Python readers through
# scripts/host-commands.sh. Prints the pass's time. Where wine cannot run a program, the
# pass is skipped with one line saying so.
set -eu
cd "$(dirname "$0")/.."
start=$(date +%s)
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all
if ! command -v wine >/dev/null || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "run-windows-tests.sh: Windows pass skipped: wine or MinGW-w64 is not installed (scripts/install-deps.sh installs them)"
    exit 0
fi
mkdir -p build-windows
wineserver -p 2>/dev/null || true
if ! wine cmd.exe /c exit 0 >/dev/null 2>&1; then
    echo "run-windows-tests.sh: Windows pass skipped: wine cannot run Windows programs on this machine"
    exit 0
fi
sh scripts/build-windows.sh
built=$(date +%s)

# Drive S: of the wine prefix, for the test of a destination on another drive than the
# system's temporary folder (C:).
rm -rf build-windows/drive-s
mkdir -p build-windows/drive-s
ln -sfn "$PWD/build-windows/drive-s" "$WINEPREFIX/dosdevices/s:"

requests="$PWD/build-windows/host-commands"
rm -rf "$requests"
sh scripts/host-commands.sh "$requests" &
host_commands=$!
# ends the host helper and this prefix's wine server with its services
trap 'kill "$host_commands" 2>/dev/null; wineserver -k 2>/dev/null' EXIT
export SPRANDEL_HOST_COMMANDS="$requests"
status=0
ctest --test-dir build-windows/build --output-on-failure -j "${SPRANDEL_JOBS:-$(nproc)}" || status=$?
end=$(date +%s)
echo "run-windows-tests.sh: Windows pass took $((end - start)) s (dependencies and build $((built - start)) s, tests $((end - built)) s)"
exit "$status"
