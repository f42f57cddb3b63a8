#!/bin/sh
# Installs the Debian 12 packages that building, testing and running Kelmora need.
# Run as root on a fresh machine; packages already present are left alone.
#
#   scripts/install-deps.sh           installs what is missing (without Recommends)
#   scripts/install-deps.sh --list    prints the packages, one a line (read by scripts/check-deps.sh)
#
# Every package that the build, the tests or the programs start needing goes into this list in the same
# commit; scripts/check-deps.sh (run by `make test`) fails when something comes from a package that the
# list does not pull in, and names it.
set -e
PACKAGES=$(sed 's/#.*//' <<'EOF_LIST'
build-essential         # gcc, g++, make
cmake
ninja-build
pkg-config
clang                   # the sanitizer build and the fuzzers
libclang-rt-dev         # libFuzzer and the sanitizer runtimes
clang-format            # make check-format
googletest
libgtest-dev
libgmock-dev
libbenchmark-dev        # bench/
libboost-dev            # Boost.Geometry
nlohmann-json3-dev
libcli11-dev
qt6-base-dev
qt6-base-dev-tools      # moc
libgl-dev               # Qt6Gui's CMake files want OpenGL headers
fonts-noto-cjk          # Japanese text in the windows, the plan pictures and maps
libssl-dev              # SHA-256 of split-run parts
libxxhash-dev           # XXH3 fingerprints of the transfer cache
slurm-wlm               # the cluster test's one-node Slurm cluster
munge
qt6-svg-dev
libgdal-dev             # GIS files of noise maps
qt6-translations-l10n   # Qt's own Japanese texts
poppler-utils           # the manual's tests read the PDF back (pdftotext, pdfinfo, pdfimages)
help2man                # the man pages from the programs' --help
EOF_LIST
)
if [ "${1:-}" = --list ]; then
    printf '%s\n' $PACKAGES
    exit 0
fi
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
