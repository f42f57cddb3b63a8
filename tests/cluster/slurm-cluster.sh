#!/bin/sh
# kelmora-calc cluster on a real Slurm cluster: a one-node cluster started and stopped here through
# scripts/slurm-local.sh (a cluster that cannot start fails the test). On the example grid,
# `cluster --shards 4 --wait` writes the files of `kelmora-calc run`; on the site boundary, a shard
# that cannot write its part is reported by number with its log, and once the cause is gone a second
# call submits only that shard and completes.
#   slurm-cluster.sh KELMORA-CALC EXAMPLE.json WORK-FOLDER SLURM-LOCAL.sh
set -eu
CALC=$1
JSON=$2
WORK=$3
SLURM_LOCAL=$4
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

# A cluster of its own, apart from one a user may run: its own folder (short, for munge's socket
# path) and ports.
KELMORA_SLURM_DIR=$(mktemp -d /tmp/kelmora-slurm-test.XXXXXX)
KELMORA_SLURM_PORT=${KELMORA_TEST_SLURM_PORT:-16847}
export KELMORA_SLURM_DIR KELMORA_SLURM_PORT
stop_cluster() {
    "$SLURM_LOCAL" stop >/dev/null 2>&1 || true
    rm -rf "$KELMORA_SLURM_DIR"
}
trap stop_cluster EXIT
"$SLURM_LOCAL" start || fail "the Slurm cluster did not start"
eval "$("$SLURM_LOCAL" env)"

# The example in prediction mode $1 with $2 reflections, written to $3.
project() {
    sed -e "s/\"mode\": [0-9]*,/\"mode\": $1,/" -e "s/\"maxReflections\": [0-9]*/\"maxReflections\": $2/" \
        "$JSON" >"$3.json"
    "$CALC" load "$3.json" -o "$3"
}

# ---- The example grid (one reflection, to keep the test short), in four shards ----
project 2 1 grid.kel
"$CALC" run grid.kel --laeq whole-laeq.txt --lamax whole-lamax.txt --quiet
"$CALC" cluster grid.kel --shards 4 --workdir grid-work --laeq grid-laeq.txt --lamax grid-lamax.txt \
    --wait --poll 0.5 --quiet >grid.out 2>&1 || fail "cluster on the grid: $(cat grid.out)"
same whole-laeq.txt grid-laeq.txt
same whole-lamax.txt grid-lamax.txt
grep -qF "シャードのジョブ" grid.out && grep -qF "結合のジョブ" grid.out || fail "no job ids printed: $(cat grid.out)"

# ---- A failing shard on the site boundary ----
project 1 0 boundary.kel
"$CALC" run boundary.kel --laeq whole-laeq.txt --lamax whole-lamax.txt --quiet
# A folder where the part of shard 3 should go: the shard cannot put its part there.
mkdir -p boundary-work/parts/part-3-of-4.kpart
status=0
"$CALC" cluster boundary.kel --shards 4 --workdir boundary-work --laeq b-laeq.txt --lamax b-lamax.txt \
    --wait --poll 0.5 --quiet >first.out 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a failed shard ended the cluster command with $status: $(cat first.out)"
log="$WORK/boundary-work/logs/shard-3.log"
grep -qF "シャード 3/4 が失敗しました" first.out && grep -qF "ログ $log" first.out ||
    fail "the failed shard is not reported with its log: $(cat first.out)"
grep -qF "パートファイルを作成できません" first.out || fail "the end of the shard's log is not shown: $(cat first.out)"
[ ! -e b-laeq.txt ] || fail "files were merged without shard 3"
for k in 1 2 4; do [ -f boundary-work/parts/part-$k-of-4.kpart ] || fail "no part of shard $k"; done
finished() {
    stat -c '%n %i %y' boundary-work/parts/part-1-of-4.kpart boundary-work/parts/part-2-of-4.kpart \
        boundary-work/parts/part-4-of-4.kpart
}
before=$(finished)

rmdir boundary-work/parts/part-3-of-4.kpart
"$CALC" cluster boundary.kel --shards 4 --workdir boundary-work --laeq b-laeq.txt --lamax b-lamax.txt \
    --wait --poll 0.5 --quiet >second.out 2>&1 || fail "the second cluster call: $(cat second.out)"
grep -qF "シャード 3 / 4 (1 個)" second.out || fail "the second call did not submit shard 3 alone: $(cat second.out)"
[ "$(finished)" = "$before" ] || fail "parts of finished shards were written again"
same whole-laeq.txt b-laeq.txt
same whole-lamax.txt b-lamax.txt

cd /
rm -rf "$WORK"
echo "Slurm: 4 shards merged into the whole run's files; a failed shard reported and submitted again alone"
