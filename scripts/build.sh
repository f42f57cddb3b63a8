#!/bin/sh
# Builds everything in BUILD, optimised with the profile of a training run: a first build in
# BUILD/training records where the prediction spends its time while it computes the bundled example's
# site boundary (the points of its list); the build in BUILD is then optimised for that, across the
# libraries of the programs. The profile is recorded once per build folder (`make clean` records it
# anew); PGO=0 builds without it.
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
    cmake --build "$TRAINING" -j "$JOBS" --target kelmora-calc example_projects

    # The training run: the example's points of its list (at the site boundary), computed as a map's
    # points are (levels only, no breakdown).
    rm -rf "$DATA"
    CALC="$TRAINING/src/cli/kelmora-calc"
    RUN="$TRAINING/run"
    mkdir -p "$RUN"
    "$CALC" dump "$TRAINING/examples/factory.kel" | sed 's/"mode": [0-9]*,/"mode": 1,/' >"$RUN/boundary.json"
    "$CALC" load "$RUN/boundary.json" -o "$RUN/boundary.kel"
    "$CALC" run "$RUN/boundary.kel" --laeq "$RUN/laeq.txt" --lamax "$RUN/lamax.txt" >/dev/null
    touch "$DATA/complete"
    # Objects optimised with an earlier profile are made again.
    if [ -f "$BUILD/build.ninja" ]; then cmake --build "$BUILD" --target clean; fi
fi

cmake -S . -B "$BUILD" -G Ninja -DKELMORA_PROFILE=use -DKELMORA_PROFILE_DATA="$DATA"
cmake --build "$BUILD" -j "$JOBS"
