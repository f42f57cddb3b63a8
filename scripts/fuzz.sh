#!/bin/sh
# Runs the fuzzers of the sanitizer build (scripts/sanitizer-build.sh):
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]    each target SECONDS (default 20), JOBS of them at a time
#   scripts/fuzz.sh --hours H [TARGET...]    the targets share H hours of wall time (`make fuzz HOURS=H`)
#   scripts/fuzz.sh --build                  builds the fuzzers only
#
# TARGET is project-reader, project-json, band-library, part-reader, result-file or transfer-cache
# (default all). Each is seeded (the example project and the sample model, sample band library files,
# parts and caches the fuzzers write themselves) and keeps the corpus it grows between runs, in
# $SAN_BUILD/fuzz/. JOBS defaults to the number of cores. Exits non-zero on a finding; the input that
# caused it is saved in $SAN_BUILD/fuzz/findings/ and the fuzzer's report is shown.
set -e
cd "$(dirname "$0")/.."
SAN_BUILD=${SAN_BUILD:-build-san}
JOBS=${JOBS:-$(nproc)}
ALL="project-reader project-json band-library part-reader result-file transfer-cache"

hours=
seconds=20
case ${1:-} in
    --build)
        ./scripts/sanitizer-build.sh project-fuzz-seeds $(for t in $ALL; do echo "$t-fuzzer"; done)
        exit 0
        ;;
    --hours) hours=${2:?usage: $0 --hours H [TARGET...]}; shift 2 ;;
    [0-9]*) seconds=$1; shift ;;
esac
TARGETS=${*:-$ALL}
for t in $TARGETS; do
    case " $ALL " in *" $t "*) ;; *) echo "fuzz.sh: unknown target $t" >&2; exit 2 ;; esac
done
count=$(echo $TARGETS | wc -w)
if [ -n "$hours" ]; then
    # Rounds of JOBS targets at a time share the hours.
    rounds=$(((count + JOBS - 1) / JOBS))
    seconds=$(awk -v h="$hours" -v r="$rounds" 'BEGIN { s = int(h * 3600 / r); print s < 1 ? 1 : s }')
fi

./scripts/sanitizer-build.sh project-fuzz-seeds $(for t in $TARGETS; do echo "$t-fuzzer"; done)
work="$SAN_BUILD/fuzz"
mkdir -p "$work/findings" "$work/logs"
bin="$SAN_BUILD/fuzz"

# The seeds of each target, and its dictionary (- for none).
seed() {
    case $1 in
        project-reader | project-json)
            if [ ! -d "$work/json-seeds" ]; then
                mkdir -p "$work/seeds" "$work/json-seeds"
                ASAN_OPTIONS=detect_leaks=0 "$bin/project-fuzz-seeds" "$work/seeds" examples/factory.json "$work/json-seeds"
            fi
            ;;
        part-reader | transfer-cache)
            mkdir -p "$work/$1-seeds"
            ASAN_OPTIONS=detect_leaks=0 "$bin/$1-fuzzer" --seeds "$work/$1-seeds"
            ;;
        result-file)
            mkdir -p "$work/result-file-seeds"
            cp examples/factory-grid-laeq.txt "$work/result-file-seeds/"
            printf ' 50.0 51.0\r\n 60.0 -86.8\r\n' >"$work/result-file-seeds/matrix.txt"
            ;;
    esac
}
# The fuzzer's arguments after its options: its corpus, then its seeds.
corpus_and_seeds() {
    case $1 in
        project-reader) echo "$work/corpus $work/seeds" ;;
        project-json) echo "$work/json-corpus $work/json-seeds" ;;
        band-library) echo "$work/corpus-band-library fuzz/band-library-seeds" ;;
        *) echo "$work/corpus-$1 $work/$1-seeds" ;;
    esac
}
# Memory bounds: the cache reader must refuse huge counts without allocating for them.
limits() {
    case $1 in
        transfer-cache) echo "-rss_limit_mb=512 -malloc_limit_mb=64" ;;
        *) echo "-rss_limit_mb=2048" ;;
    esac
}
dictionary() {
    case $1 in
        project-reader) echo fuzz/ProjectReader.dict ;;
        project-json) echo fuzz/ProjectJson.dict ;;
        band-library) echo fuzz/BandLibrary.dict ;;
    esac
}

# One fuzzer for its time, its output in its log; its exit status in the log's .status.
run() {
    name=$1
    set -- $(corpus_and_seeds "$name")
    mkdir -p "$1"
    dict=$(dictionary "$name")
    status=0
    "$bin/$name-fuzzer" -max_total_time="$seconds" -timeout=10 $(limits "$name") ${dict:+-dict=$dict} \
        -artifact_prefix="$work/findings/$name-" -print_final_stats=1 "$@" >"$work/logs/$name.log" 2>&1 ||
        status=$?
    echo "$status" >"$work/logs/$name.status"
}

for t in $TARGETS; do seed "$t"; done
echo "fuzz: $count targets, $seconds s each, $JOBS at a time"
pending=$TARGETS
failed=0
while [ -n "$pending" ]; do
    batch=
    n=0
    for t in $pending; do
        if [ "$n" -lt "$JOBS" ]; then batch="$batch $t"; n=$((n + 1)); fi
    done
    pending=$(for t in $pending; do case " $batch " in *" $t "*) ;; *) echo "$t" ;; esac; done)
    for t in $batch; do run "$t" & done
    wait
    for t in $batch; do
        log="$work/logs/$t.log"
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
        corpus=$(ls "$(corpus_and_seeds "$t" | cut -d ' ' -f 1)" | wc -l)
        if [ "$(cat "$work/logs/$t.status")" = 0 ]; then
            echo "fuzz: $t: ${runs:-?} runs, ${cov:-cov: ?}, corpus $corpus"
        else
            failed=1
            echo "fuzz: $t FAILED (exit $(cat "$work/logs/$t.status")); the end of $log:" >&2
            tail -n 40 "$log" >&2
        fi
    done
done
exit $failed
