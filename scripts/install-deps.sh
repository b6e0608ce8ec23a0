#!/bin/sh
# Installs everything Sprandel needs to build, test and run its demo on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -eu
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps.sh: run as root (it calls apt-get)" >&2
    exit 2
fi
export DEBIAN_FRONTEND=noninteractive
# The Windows build compiles minizip, SQLite and ICU from Debian's source packages
# (`apt-get source`), which needs the source lines of the same archive.
sources=/etc/apt/sources.list.d/sprandel-deb-src.sources
if [ ! -f "$sources" ]; then
    cat >"$sources" <<'END'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
END
fi
apt-get update
apt-get install -y --no-install-recommends \
    build-essential cmake pkg-config git \
    googletest libgtest-dev libgmock-dev libbenchmark-dev \
    zlib1g-dev libminizip-dev libicu-dev \
    libsqlite3-dev sqlite3 \
    python3 python3-openpyxl python3-xlrd \
    libxlsxwriter-dev \
    qt6-base-dev \
    xvfb imagemagick openbox xdotool \
    dpkg-dev fakeroot file lintian desktop-file-utils \
    clang libclang-rt-14-dev \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev \
    wine wine64 tcl zip
