#!/bin/sh
# The dependency guard on a small build: an install list without the package of a header the build reads
# fails and names the package and the header; with the package it passes; a header from a folder that
# no package installed fails as installed by hand.
#   guard-fixture.sh CHECK-DEPS.sh FIXTURE-SOURCES WORK-FOLDER
set -eu
CHECK=$1
FIXTURE=$2
WORK=$3
rm -rf "$WORK"
mkdir -p "$WORK/by-hand"
cd "$WORK"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A copy of the sources, so that the guard takes the fixture, not this project, for the source tree.
cp -r "$FIXTURE" src
cmake -S src -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >configure.out 2>&1 || fail "configure: $(cat configure.out)"
cmake --build build >build.out 2>&1 || fail "build: $(cat build.out)"

printf '# compilers and the C and C++ libraries\nbuild-essential\n' >without.list
status=0
"$CHECK" --packages without.list --no-tools build >without.out 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a missing package ended the guard with $status: $(cat without.out)"
grep -q 'package libxxhash-dev .*/usr/include/xxhash.h' without.out ||
    fail "the missing package and its header are not named: $(cat without.out)"
[ "$(grep -c '^check-deps: package ' without.out)" -eq 1 ] || fail "other packages named: $(cat without.out)"

printf 'build-essential\nlibxxhash-dev\n' >with.list
"$CHECK" --packages with.list --no-tools build >with.out 2>&1 || fail "with the package: $(cat with.out)"

# A header that came from no package, as one copied into /usr/local by hand would.
echo '#define BY_HAND_VALUE 1' >by-hand/byhand.h
cmake -S src -B build -DBY_HAND="$WORK/by-hand" >configure.out 2>&1 || fail "configure: $(cat configure.out)"
cmake --build build >build.out 2>&1 || fail "build: $(cat build.out)"
status=0
"$CHECK" --packages with.list --no-tools build >by-hand.out 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a header of no package ended the guard with $status: $(cat by-hand.out)"
grep -q "$WORK/by-hand/byhand.h belongs to no Debian package" by-hand.out ||
    fail "the header of no package is not named: $(cat by-hand.out)"

# A tool of the list that is not on the machine.
echo 'command kelmora-no-such-tool' >tools.txt
status=0
"$CHECK" --packages with.list --tools tools.txt build >tool.out 2>&1 || status=$?
[ "$status" -eq 1 ] && grep -q 'kelmora-no-such-tool is not on this machine' tool.out ||
    fail "a missing tool is not reported: $(cat tool.out)"

cd /
rm -rf "$WORK"
echo "guard: a missing package named with its header; a header of no package and a missing tool caught"
