#!/bin/sh
# Installs the Debian 12 packages KESTREL needs, then configures and builds it in ./build.
set -e
cd "$(dirname "$0")/.."
# The tests also run the GNU m68hc1x toolchain and the srecord tools on the files KESTREL reads
# and writes. The serial-number registry uses Qt SQL's SQLite and PostgreSQL drivers; its tests
# run a throwaway PostgreSQL server (scripts/pg-test-cluster.sh).
PKGS="cmake g++ make pkg-config qt6-base-dev qt6-serialport-dev qt6-svg-dev libelf-dev zlib1g-dev
      libgl-dev fonts-urw-base35 xvfb xauth qt6-translations-l10n desktop-file-utils dpkg-dev clang
      qt6-tools-dev qt6-l10n-tools appstream
      libclang-rt-14-dev stress-ng srecord binutils-m68hc1x python3-xlib
      libqt6sql6-sqlite libqt6sql6-psql postgresql"
MISSING=""
for p in $PKGS; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || MISSING="$MISSING $p"
done
if [ -n "$MISSING" ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y $MISSING
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
