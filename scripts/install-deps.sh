#!/bin/sh
# Installs the Debian 12 packages that building, testing and running Kelmora need.
# Run as root on a fresh machine; packages already present are left alone.
set -e
PACKAGES="
build-essential
cmake
ninja-build
pkg-config
clang
libclang-rt-dev
clang-format
googletest
libgtest-dev
libgmock-dev
libbenchmark-dev
libboost-dev
nlohmann-json3-dev
libcli11-dev
qt6-base-dev
qt6-base-dev-tools
libgl-dev
fonts-noto-cjk
libssl-dev
libxxhash-dev
slurm-wlm
munge
qt6-svg-dev
libgdal-dev
qt6-translations-l10n
poppler-utils
help2man
"
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -z "$missing" ]; then
    echo "install-deps: all packages present"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
