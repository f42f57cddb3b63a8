#!/bin/sh
# The sanitizer build folder: everything compiled by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer (any report ends the program with an error) and with libFuzzer's coverage
# instrumentation, at -O1 with line tables for the reports. One folder serves every check that wants the
# sanitizers: the fuzzers (scripts/fuzz.sh), and any program or test of the project built there.
#
#   scripts/sanitizer-build.sh TARGET...
#
# configures SAN_BUILD (default build-san) when it is not yet, then builds the targets named, and only
# those: what each check needs is compiled once, for all of them. To add a check (a test driver of the
# desktop program, say): name its targets here from its script, e.g.
#   scripts/sanitizer-build.sh kelmora editing_tests && build-san/src/app/kelmora ...
# and run tests of this folder by name (cd build-san && ctest -R '^EditorChecks'): the folder only holds
# the targets somebody asked for. A target that should exist only here goes into a CMakeLists.txt under
# `if(KELMORA_SANITIZE)` (see fuzz/CMakeLists.txt).
set -e
cd "$(dirname "$0")/.."
SAN_BUILD=${SAN_BUILD:-build-san}
JOBS=${JOBS:-$(nproc)}
if [ $# -eq 0 ]; then
    echo "usage: $0 TARGET..." >&2
    exit 2
fi
# SAN_BUILT=1: the caller has built what it runs (two checks side by side must not both run ninja in
# the one folder).
if [ "${SAN_BUILT:-0}" = 1 ]; then exit 0; fi
if [ ! -f "$SAN_BUILD/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$SAN_BUILD" -G Ninja -DKELMORA_SANITIZE=ON -DKELMORA_BENCH=OFF \
        -DKELMORA_MANUAL=OFF -DCMAKE_BUILD_TYPE=Sanitize
fi
cmake --build "$SAN_BUILD" -j "$JOBS" --target "$@"
