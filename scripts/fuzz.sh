#!/bin/sh
# Runs the fuzzers for a while: scripts/fuzz.sh [SECONDS] [TARGET] (default 60 seconds shared by all
# targets; TARGET is project-reader, project-json, band-library,
# part-reader, result-file or transfer-cache to run one of them for all the time).
# Builds them with clang in their own folder (FUZZ_BUILD, default build-fuzz) with the sanitizers,
# seeds them (the example project and the sample model; sample band library files), and keeps the
# corpus each grows between runs. Exits non-zero on a finding; the input that caused it is saved in
# $FUZZ_BUILD/fuzz/findings/.
set -e
SECONDS_TO_RUN=${1:-60}
ONLY=${2:-}
FUZZ_BUILD=${FUZZ_BUILD:-build-fuzz}
cd "$(dirname "$0")/.."

TARGETS="project-reader project-json band-library part-reader result-file transfer-cache"
if [ -n "$ONLY" ]; then
    TARGETS="$ONLY"
fi
count=$(echo $TARGETS | wc -w)
share=$((SECONDS_TO_RUN / count))
if [ "$share" -lt 1 ]; then
    share=1
fi

if [ ! -f "$FUZZ_BUILD/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$FUZZ_BUILD" -G Ninja -DKELMORA_FUZZ=ON -DKELMORA_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$FUZZ_BUILD" --target project-reader-fuzzer project-json-fuzzer project-fuzz-seeds \
    band-library-fuzzer part-reader-fuzzer result-file-fuzzer transfer-cache-fuzzer

work="$FUZZ_BUILD/fuzz"
mkdir -p "$work/findings"

# run NAME DICT CORPUS SEEDS... (DICT - for none): one fuzzer for its share of the time, growing its own corpus.
run() {
    name=$1
    dict=$2
    corpus=$3
    shift 3
    mkdir -p "$corpus"
    dictflag=
    if [ "$dict" != "-" ]; then
        dictflag="-dict=$dict"
    fi
    "$work/$name-fuzzer" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 \
        $dictflag -artifact_prefix="$work/findings/$name-" -print_final_stats=1 \
        "$corpus" "$@"
}

for target in $TARGETS; do
    case $target in
        project-reader)
            mkdir -p "$work/seeds" "$work/json-seeds"
            ASAN_OPTIONS=detect_leaks=0 "$work/project-fuzz-seeds" "$work/seeds" examples/factory.json "$work/json-seeds"
            run project-reader fuzz/ProjectReader.dict "$work/corpus" "$work/seeds"
            ;;
        project-json)
            mkdir -p "$work/seeds" "$work/json-seeds"
            ASAN_OPTIONS=detect_leaks=0 "$work/project-fuzz-seeds" "$work/seeds" examples/factory.json "$work/json-seeds"
            run project-json fuzz/ProjectJson.dict "$work/json-corpus" "$work/json-seeds"
            ;;
        band-library)
            run band-library fuzz/BandLibrary.dict "$work/corpus-band-library" fuzz/band-library-seeds
            ;;
        part-reader)
            mkdir -p "$work/part-seeds"
            ASAN_OPTIONS=detect_leaks=0 "$work/part-reader-fuzzer" --seeds "$work/part-seeds"
            run part-reader - "$work/corpus-part-reader" "$work/part-seeds"
            ;;
        result-file)
            mkdir -p "$work/result-seeds"
            cp examples/factory-grid-laeq.txt "$work/result-seeds/"
            printf ' 50.0 51.0\r\n 60.0 -86.8\r\n' >"$work/result-seeds/matrix.txt"
            run result-file - "$work/corpus-result-file" "$work/result-seeds"
            ;;
        transfer-cache)
            mkdir -p "$work/transfer-cache-seeds"
            ASAN_OPTIONS=detect_leaks=0 "$work/transfer-cache-fuzzer" --seeds "$work/transfer-cache-seeds"
            run transfer-cache - "$work/corpus-transfer-cache" "$work/transfer-cache-seeds" -rss_limit_mb=512 -malloc_limit_mb=64
            ;;
        *)
            echo "fuzz.sh: unknown target $target" >&2
            exit 2
            ;;
    esac
done
