#!/bin/sh
# Runs a Windows program under wine with the prefix of the Windows build: the emulator that
# CMake puts in front of every .exe it runs (test discovery, ctest, build steps).
# WINEPREFIX defaults to build-windows/wine beside this script's checkout.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build-windows/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
