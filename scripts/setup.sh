#!/bin/sh
# Installs the Debian 12 packages KESTREL needs, then configures and builds it in ./build.
set -e
cd "$(dirname "$0")/.."
PKGS="cmake g++ make qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev fonts-urw-base35 xvfb xauth
      qt6-translations-l10n desktop-file-utils dpkg-dev clang libclang-rt-14-dev stress-ng
      zlib1g-dev"
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
