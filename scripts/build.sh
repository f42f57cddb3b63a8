#!/bin/sh
# Builds everything in BUILD, the engine optimised with the profile of a training run: a first build in
# BUILD/training (tools/training: the engine instrumented and the command line's run host, nothing else)
# records where the prediction spends its time while it computes the bundled example's site boundary
# (the points of its list); the engine in BUILD is then optimised for that. The profile is recorded once
# per build folder (`make clean` records it anew); PGO=0 builds without it.
#
#   scripts/build.sh [BUILD] [JOBS]
set -e
cd "$(dirname "$0")/.."
BUILD=${1:-build}
JOBS=${2:-$(nproc)}

if [ "${PGO:-1}" = 0 ]; then
    cmake -S . -B "$BUILD" -G Ninja -DKELMORA_PROFILE=
    cmake --build "$BUILD" -j "$JOBS"
    exit 0
fi

TRAINING="$BUILD/training"
mkdir -p "$TRAINING"
DATA="$(cd "$TRAINING" && pwd)/profile"
if [ ! -f "$DATA/complete" ]; then
    cmake -S . -B "$TRAINING" -G Ninja -DKELMORA_PROFILE=generate -DKELMORA_PROFILE_DATA="$DATA" \
        -DKELMORA_BENCH=OFF -DKELMORA_MANUAL=OFF
    cmake --build "$TRAINING" -j "$JOBS" --target kelmora-training

    # The training run: the example's points of its list (at the site boundary), computed as a map's
    # points are (levels only, no breakdown).
    rm -rf "$DATA"
    "$TRAINING/tools/training/kelmora-training" examples/factory.json "$TRAINING/run"
    touch "$DATA/complete"
    # Objects optimised with an earlier profile are made again.
    if [ -f "$BUILD/build.ninja" ]; then cmake --build "$BUILD" --target clean; fi
fi

cmake -S . -B "$BUILD" -G Ninja -DKELMORA_PROFILE=use -DKELMORA_PROFILE_DATA="$DATA"
cmake --build "$BUILD" -j "$JOBS"
