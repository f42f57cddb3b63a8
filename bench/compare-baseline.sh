#!/bin/sh
# Runs the prediction benchmark of a baseline revision and of this tree side by side in one go: pairs per
# second and the work counters per source–point pair on the example's grid on one thread (the two run
# one after the other, ROUNDS times, the best of each kept), then, when valgrind is installed, the
# instructions both execute on the sampled grid (a steady measure on a shared machine).
#
#   bench/compare-baseline.sh REVISION [BUILD]
#
# REVISION (a commit that has this benchmark) is exported with `git archive` into BUILD/baseline and
# built there with BUILD's build type. BUILD (default: build) must hold this tree's PredictionBench and
# the example project (ninja -C BUILD PredictionBench example_projects). ROUNDS defaults to 2.
set -e
rev=${1:?usage: bench/compare-baseline.sh REVISION [BUILD]}
build=${2:-build}
rounds=${ROUNDS:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build=$(cd "$build" && pwd)  # relative to the tree, or absolute
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
base="$build/baseline"
rm -rf "$base/src"
mkdir -p "$base/src"
git archive "$rev" | tar -x -C "$base/src"
launcher=""
if command -v ccache >/dev/null; then launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"; fi
cmake -S "$base/src" -B "$base/build" -G Ninja -DCMAKE_BUILD_TYPE="$type" $launcher >/dev/null
cmake --build "$base/build" --target PredictionBench -j 2 >/dev/null

project="$build/examples/factory.kel"
old="$base/build/bench/PredictionBench"
new="$build/bench/PredictionBench"

# The JSON counters of one benchmark run, as "name value" lines.
counters() {
    KELMORA_EXAMPLE_PROJECT="$project" "$1" --benchmark_filter="$2" --benchmark_format=json 2>/dev/null |
        awk '/"benchmarks"/ { on = 1 } on && /"[^"]*": [-0-9.e+]+,?$/ {
                 gsub(/[",]/, ""); sub(/:/, ""); print $1, $2 }'
}

filter='BM_ExampleGrid/threads:1/'
: >"$base/old.txt"
: >"$base/new.txt"
i=0
while [ "$i" -lt "$rounds" ]; do
    counters "$old" "$filter" >>"$base/old.txt"
    counters "$new" "$filter" >>"$base/new.txt"
    i=$((i + 1))
done

echo "Example grid (121 points x 1,120 sources), one thread, best of $rounds:"
awk -v rev="$rev" '
    FNR == 1 { file++ }
    { name = $1; value = $2 + 0 }
    name == "pairs/s" || name == "points/s" || name == "real_time" {
        if (!((file, name) in best) || (name == "real_time" ? value < best[file, name] : value > best[file, name]))
            best[file, name] = value
        next
    }
    name ~ /\/pair$/ || name == "maxRSS_MB" { last[file, name] = value; names[name] = 1 }
    END {
        printf "  %-24s %14s %14s %8s\n", "", "baseline " rev, "this tree", "ratio"
        printf "  %-24s %14.0f %14.0f %7.2fx\n", "pairs/s", best[1, "pairs/s"], best[2, "pairs/s"],
               best[2, "pairs/s"] / best[1, "pairs/s"]
        printf "  %-24s %14.1f %14.1f %7.2fx\n", "time [s]", best[1, "real_time"], best[2, "real_time"],
               best[1, "real_time"] / best[2, "real_time"]
        for (n in names)
            printf "  %-24s %14.1f %14.1f\n", n, last[1, n], last[2, n]
    }' "$base/old.txt" "$base/new.txt"

if command -v valgrind >/dev/null; then
    echo "Instructions on the sampled grid (3 points x 1,120 sources), valgrind --tool=callgrind:"
    for which in old new; do
        eval bin=\$$which
        KELMORA_EXAMPLE_PROJECT="$project" valgrind --tool=callgrind --callgrind-out-file=/dev/null \
            "$bin" --benchmark_filter='BM_ExampleGridSample' >/dev/null 2>"$base/$which-callgrind.txt"
        printf "  %-10s %s\n" "$which" "$(sed -n 's/.*refs: *//p' "$base/$which-callgrind.txt")"
    done
fi
