#!/bin/sh
# Soaks the desktop program under AddressSanitizer and UndefinedBehaviorSanitizer: random use from
# seed after seed (tests/soak), with its invariants checked after every step.
#
#   scripts/soak.sh HOURS [SEED]
#
# HOURS may be a fraction (0.05 is three minutes). The seeds run one after the other from SEED (default:
# taken from the clock), each for at most SOAK_SEED_SECONDS (default 900). The first finding ends the
# soak with status 1; its seed, its step, the command that replays it and the run's log (in
# $SOAK_BUILD/soak/) are printed. With SOAK_UNIT_TESTS=1 the unit tests of editing/, dialogs/ and app/
# run first in the same build.
#
# The build folder (SOAK_BUILD, default build-soak) is configured with clang and the two sanitizers the
# first time, and only the soak (and the three test executables when they run) are built there.
set -e
if [ $# -lt 1 ]; then
    echo "usage: $0 HOURS [SEED]" >&2
    exit 2
fi
HOURS=$1
SEED=${2:-$(date +%s)}
SOAK_BUILD=${SOAK_BUILD:-build-soak}
SOAK_SEED_SECONDS=${SOAK_SEED_SECONDS:-900}
JOBS=${JOBS:-$(nproc)}
cd "$(dirname "$0")/.."

if [ ! -f "$SOAK_BUILD/CMakeCache.txt" ]; then
    sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    CC=clang CXX=clang++ cmake -S . -B "$SOAK_BUILD" -G Ninja -DKELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=Sanitize \
        -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -gline-tables-only $sanitizers -Wno-unknown-warning-option" \
        -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
fi
targets=kelmora-soak
if [ "${SOAK_UNIT_TESTS:-0}" = 1 ]; then
    targets="$targets editing_tests dialogs_tests app_tests"
fi
cmake --build "$SOAK_BUILD" -j "$JOBS" --target $targets

# Any report ends the program at once; Qt's own allocations at exit are not ours to find.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

if [ "${SOAK_UNIT_TESTS:-0}" = 1 ]; then
    for tests in editing_tests dialogs_tests app_tests; do
        "$SOAK_BUILD/tests/$tests" --gtest_brief=1
    done
fi

logs="$SOAK_BUILD/soak"
mkdir -p "$logs"
end=$(awk -v h="$HOURS" -v now="$(date +%s)" 'BEGIN { printf "%d", now + h * 3600 }')
seed=$SEED
steps=0
cpu=0
while [ "$(date +%s)" -lt "$end" ]; do
    left=$((end - $(date +%s)))
    seconds=$SOAK_SEED_SECONDS
    if [ "$left" -lt "$seconds" ]; then seconds=$left; fi
    if [ "$seconds" -lt 5 ]; then break; fi
    log="$logs/seed-$seed.log"
    echo "soak: seed $seed for $seconds s"
    if ! "$SOAK_BUILD/tests/soak/kelmora-soak" --seed "$seed" --seconds "$seconds" >"$log" 2>&1; then
        grep -v '^libpng' "$log" | tail -n 60 >&2
        echo "soak: FINDING with seed $seed (log: $log); replay with" >&2
        echo "  QT_QPA_PLATFORM=offscreen $SOAK_BUILD/tests/soak/kelmora-soak --seed $seed --steps N --verbose" >&2
        echo "  (N: the step named above)" >&2
        exit 1
    fi
    grep '^soak:' "$log"
    n=$(sed -n 's/^soak: seed [0-9]*, \([0-9]*\) steps.*/\1/p' "$log")
    c=$(sed -n 's/^soak: .*(\([0-9]*\) s of CPU).*/\1/p' "$log")
    steps=$((steps + ${n:-0}))
    cpu=$((cpu + ${c:-0}))
    seed=$((seed + 1))
done
echo "soak: $steps steps from seed $SEED to $((seed - 1)) without a finding ($cpu s of CPU)"
