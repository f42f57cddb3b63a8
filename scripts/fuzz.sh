#!/bin/sh
# Runs the project reader fuzzer for a while, then the result file reader for half as long:
# scripts/fuzz.sh [SECONDS] (default 60).
# Builds it with clang in its own folder (FUZZ_BUILD, default build-fuzz) with the sanitizers, seeds
# it with the example project and the sample model, and keeps the corpus it grows between runs.
# Exits non-zero on a finding; the input that caused it is saved in $FUZZ_BUILD/fuzz/findings/.
set -e
SECONDS_TO_RUN=${1:-60}
FUZZ_BUILD=${FUZZ_BUILD:-build-fuzz}
cd "$(dirname "$0")/.."

if [ ! -f "$FUZZ_BUILD/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$FUZZ_BUILD" -G Ninja -DKELMORA_FUZZ=ON -DKELMORA_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$FUZZ_BUILD" --target project-reader-fuzzer project-fuzz-seeds result-file-fuzzer

work="$FUZZ_BUILD/fuzz"
mkdir -p "$work/seeds" "$work/corpus" "$work/findings"
ASAN_OPTIONS=detect_leaks=0 "$work/project-fuzz-seeds" "$work/seeds" examples/factory.json

"$work/project-reader-fuzzer" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/ProjectReader.dict -artifact_prefix="$work/findings/" -print_final_stats=1 \
    "$work/corpus" "$work/seeds"

# The result file reader of noise maps, for half as long, seeded with the example's grid results.
mkdir -p "$work/result-seeds" "$work/result-corpus"
cp examples/factory-grid-laeq.txt "$work/result-seeds/"
printf ' 50.0 51.0\r\n 60.0 -86.8\r\n' >"$work/result-seeds/matrix.txt"
"$work/result-file-fuzzer" -max_total_time="$((SECONDS_TO_RUN / 2 + 1))" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/findings/" -print_final_stats=1 "$work/result-corpus" "$work/result-seeds"
