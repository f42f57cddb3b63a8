#!/bin/sh
# Soaks the desktop program under AddressSanitizer and UndefinedBehaviorSanitizer: random use from
# seed after seed (tests/soak), with its invariants checked after every step.
#
#   scripts/soak.sh DURATION [SEED]
#   scripts/soak.sh --build              builds the soak only
#
# DURATION is in hours (a fraction too: 0.5) or carries its unit: 90s, 2m, 4h. The seeds run one after
# the other from SEED (default: taken from the clock), each for at most SOAK_SEED_SECONDS (default 900).
# The first finding ends the soak with status 1; its seed, its step, the command that replays it and the
# run's log (in $SAN_BUILD/soak/) are printed. SOAK_SKIP names actions to leave out (comma separated).
# With SOAK_UNIT_TESTS=1 the unit tests of editing/, dialogs/ and app/ run first in the same build.
#
# The soak runs in the sanitizer build folder (SAN_BUILD, default build-san; scripts/sanitizer-build.sh
# sets it up), where only the soak (and the three test executables when they run) are built for it.
set -e
if [ $# -lt 1 ]; then
    echo "usage: $0 DURATION [SEED]   (DURATION: hours, or 90s, 2m, 4h)" >&2
    exit 2
fi
case $1 in
--build) seconds_total=0 ;;
*s) seconds_total=${1%s} ;;
*m) seconds_total=$(awk -v m="${1%m}" 'BEGIN { printf "%d", m * 60 }') ;;
*h) seconds_total=$(awk -v h="${1%h}" 'BEGIN { printf "%d", h * 3600 }') ;;
*) seconds_total=$(awk -v h="$1" 'BEGIN { printf "%d", h * 3600 }') ;;
esac
SEED=${2:-$(date +%s)}
SAN_BUILD=${SAN_BUILD:-build-san}
SOAK_SEED_SECONDS=${SOAK_SEED_SECONDS:-900}
JOBS=${JOBS:-$(nproc)}
cd "$(dirname "$0")/.."

targets=kelmora-soak
if [ "${SOAK_UNIT_TESTS:-0}" = 1 ]; then
    targets="$targets editing_tests dialogs_tests app_tests"
fi
SAN_BUILD=$SAN_BUILD JOBS=$JOBS scripts/sanitizer-build.sh $targets

if [ "$1" = --build ]; then exit 0; fi

# Any report ends the program at once; Qt's own allocations at exit are not ours to find.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

if [ "${SOAK_UNIT_TESTS:-0}" = 1 ]; then
    for tests in editing_tests dialogs_tests app_tests; do
        "$SAN_BUILD/tests/$tests" --gtest_brief=1
    done
fi

logs="$SAN_BUILD/soak"
mkdir -p "$logs"
end=$(($(date +%s) + seconds_total))
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
    if ! "$SAN_BUILD/tests/soak/kelmora-soak" --seed "$seed" --seconds "$seconds" ${SOAK_SKIP:+--skip "$SOAK_SKIP"} >"$log" 2>&1; then
        grep -v '^libpng' "$log" | tail -n 60 >&2
        echo "soak: FINDING with seed $seed (log: $log); replay with" >&2
        echo "  QT_QPA_PLATFORM=offscreen $SAN_BUILD/tests/soak/kelmora-soak --seed $seed --steps N --verbose" >&2
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
