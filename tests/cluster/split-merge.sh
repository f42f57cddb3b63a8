#!/bin/sh
# A run split into shards through the command line, on the bundled example: the site-boundary list
# with its calculation breakdown and the horizontal grid (X Y Z and matrix forms), split into 1, 3 and
# 7 shards and merged in shuffled order, give the files of `kelmora-calc run` byte for byte; merge
# refuses parts that do not make the run, with exit status 1, and writes or replaces no file.
#   split-merge.sh KELMORA-CALC EXAMPLE.json WORK-FOLDER
set -eu
CALC=$1
JSON=$2
WORK=$3
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
same() {
    cmp "$1" "$2" >/dev/null || fail "$2 differs from $1"
}

# The example in prediction mode $1 (1 list, 2 horizontal grid) without reflections, written to $2:
# the files keep their form while the breakdown of the site boundary shrinks from 340 MB to 51 MB.
project() {
    sed -e "s/\"mode\": [0-9]*,/\"mode\": $1,/" -e 's/"maxReflections": [0-9]*/"maxReflections": 0/' "$JSON" >"$2.json"
    "$CALC" load "$2.json" -o "$2"
}
project 1 boundary.kel
project 2 grid.kel

# Shards 1..$2 of project $1 into the folder $3; further options after them.
shards() {
    p=$1 n=$2 dir=$3
    shift 3
    mkdir -p "$dir"
    k=1
    while [ "$k" -le "$n" ]; do
        "$CALC" run "$p" --shard "$k/$n" --part "$dir/part-$k" --quiet "$@" || fail "shard $k/$n of $p"
        k=$((k + 1))
    done
}
# The parts of a folder in a random order.
shuffled() {
    ls "$1"/part-* | shuf
}

"$CALC" run boundary.kel --breakdown whole.csv --laeq whole-laeq.txt --lamax whole-lamax.txt --quiet
"$CALC" run grid.kel --laeq grid-laeq.txt --lamax grid-lamax.txt --quiet
"$CALC" run grid.kel --laeq grid-laeq.mx --lamax grid-lamax.mx --matrix --quiet
[ "$(wc -l <grid-laeq.mx)" -eq 11 ] || fail "the grid's matrix has not 11 rows"

for n in 1 3 7; do
    shards boundary.kel "$n" boundary-$n --with-breakdown
    # shellcheck disable=SC2046
    "$CALC" merge boundary.kel $(shuffled boundary-$n) --breakdown merged.csv --laeq merged-laeq.txt \
        --lamax merged-lamax.txt --quiet || fail "merge of $n boundary shards"
    same whole.csv merged.csv
    same whole-laeq.txt merged-laeq.txt
    same whole-lamax.txt merged-lamax.txt
    rm -f merged.csv

    shards grid.kel "$n" grid-$n
    # shellcheck disable=SC2046
    "$CALC" merge grid.kel $(shuffled grid-$n) --laeq merged-laeq.txt --lamax merged-lamax.txt --quiet
    same grid-laeq.txt merged-laeq.txt
    same grid-lamax.txt merged-lamax.txt
    # shellcheck disable=SC2046
    "$CALC" merge grid.kel $(shuffled grid-$n) --laeq merged-laeq.mx --lamax merged-lamax.mx --matrix --quiet
    same grid-laeq.mx merged-laeq.mx
    same grid-lamax.mx merged-lamax.mx
done
rm -rf boundary-1 boundary-7

# ---- Refusals ----
# An earlier result that a refused merge must leave alone, and a file it must not create.
echo "earlier result" >kept.txt
# refuse EXPECTED-MESSAGE PROJECT PART...: exit status 1, the message on stderr, no file written.
refuse() {
    expected=$1
    shift
    status=0
    "$CALC" merge "$@" --laeq kept.txt --lamax new.txt --breakdown new.csv --quiet 2>refusal.txt || status=$?
    [ "$status" -eq 1 ] || fail "merge exited with $status, not 1, for: $expected"
    grep -qF -- "$expected" refusal.txt || fail "no \"$expected\" in: $(cat refusal.txt)"
    [ "$(cat kept.txt)" = "earlier result" ] || fail "a refused merge replaced a result file"
    [ ! -e new.txt ] && [ ! -e new.csv ] || fail "a refused merge wrote a file"
    ! ls .kept.txt* .new.* >/dev/null 2>&1 || fail "a refused merge left a temporary file"
}
B=boundary-3
sed 's/"temperature": [0-9.]*/"temperature": 25.5/' boundary.kel.json >edited.json
"$CALC" load edited.json -o edited.kel
refuse "$B/part-2: 別のプロジェクトか、編集される前のプロジェクトのパートです" edited.kel $B/part-1 $B/part-2 $B/part-3
shards boundary.kel 7 boundary-7 --with-breakdown
refuse "boundary-7/part-5: 7 分割のパートです (他のパートは 3 分割)" boundary.kel $B/part-3 $B/part-1 $B/part-2 boundary-7/part-5
refuse "予測点 3–5 がありません: シャード 2/3" boundary.kel $B/part-3 $B/part-1
refuse "$B/part-2: シャード 2/3 が $B/part-2 と重複しています" boundary.kel $B/part-1 $B/part-2 $B/part-3 $B/part-2
head -c -100 $B/part-3 >cut
refuse "cut: パートファイルが途中で切れています" boundary.kel $B/part-1 $B/part-2 cut
refuse "grid-3/part-1: 計算内訳を含まないパートです" grid.kel grid-3/part-1 grid-3/part-2 grid-3/part-3
refuse "whole.csv: パートファイルではありません" boundary.kel whole.csv
# One point computed alone cannot be split.
sed 's/"mode": [0-9]*,/"mode": 0,/' "$JSON" >single.json
"$CALC" load single.json -o single.kel
status=0
"$CALC" run single.kel --shard 1/2 --part single-part --quiet 2>refusal.txt || status=$?
[ "$status" -eq 1 ] && grep -qF "1点の予測は分割できません" refusal.txt && [ ! -e single-part ] ||
    fail "a single point was split"

cd /
rm -rf "$WORK"
echo "split and merge: files identical to the whole run for 1, 3 and 7 shards; refusals write nothing"
