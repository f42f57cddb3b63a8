#!/bin/sh
# Runs the project reader fuzzer and the project JSON fuzzer for a while each:
# scripts/fuzz.sh [SECONDS] (default 60 for each).
# Builds them with clang in their own folder (FUZZ_BUILD, default build-fuzz) with the sanitizers, seeds
# them with the example project and the sample model, and keeps the corpora they grow between runs.
# Exits non-zero on a finding; the input that caused it is saved in $FUZZ_BUILD/fuzz/findings/.
set -e
SECONDS_TO_RUN=${1:-60}
FUZZ_BUILD=${FUZZ_BUILD:-build-fuzz}
cd "$(dirname "$0")/.."

if [ ! -f "$FUZZ_BUILD/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$FUZZ_BUILD" -G Ninja -DKELMORA_FUZZ=ON -DKELMORA_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$FUZZ_BUILD" --target project-reader-fuzzer project-json-fuzzer project-fuzz-seeds

work="$FUZZ_BUILD/fuzz"
mkdir -p "$work/seeds" "$work/corpus" "$work/findings" "$work/json-seeds" "$work/json-corpus"
ASAN_OPTIONS=detect_leaks=0 "$work/project-fuzz-seeds" "$work/seeds" examples/factory.json "$work/json-seeds"

"$work/project-reader-fuzzer" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/ProjectReader.dict -artifact_prefix="$work/findings/" -print_final_stats=1 \
    "$work/corpus" "$work/seeds"

"$work/project-json-fuzzer" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/ProjectJson.dict -artifact_prefix="$work/findings/json-" -print_final_stats=1 \
    "$work/json-corpus" "$work/json-seeds"
