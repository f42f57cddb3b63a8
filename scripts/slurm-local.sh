#!/bin/sh
# A one-node Slurm cluster on this machine, for the tests and for trying out `kelmora-calc cluster`:
#
#   scripts/slurm-local.sh start     munged, slurmctld and slurmd; returns when the node takes jobs
#   scripts/slurm-local.sh stop      cancels the cluster's jobs and stops the three daemons
#   scripts/slurm-local.sh status    the state of each daemon (exit 0 only when all three run)
#   scripts/slurm-local.sh env       the line that points the Slurm commands at the cluster:
#                                    eval "$(scripts/slurm-local.sh env)"
#
# Everything lives in one folder of its own, KELMORA_SLURM_DIR (default /tmp/kelmora-slurm-UID): the
# configuration, a munge key generated for it, the controller's state, the node's spool, the logs,
# the sockets and the pid files. Nothing under /etc is read or changed, and the daemons are started
# and stopped by their pids only. No cgroups are needed: processes are followed through /proc
# (proctrack/linuxproc) and not bound to CPUs (task/none). The node has the CPUs and the memory that
# slurmd finds on this machine. slurmctld listens on KELMORA_SLURM_PORT (default 16817), slurmd on
# the port after it. Run as root (as on a fresh Debian 12 machine); the packages are slurm-wlm and
# munge.
set -eu

DIR=${KELMORA_SLURM_DIR:-/tmp/kelmora-slurm-$(id -u)}
PORT=${KELMORA_SLURM_PORT:-16817}
CONF=$DIR/slurm.conf
SOCKET=$DIR/munge/munge.socket
export SLURM_CONF="$CONF"

say() { echo "slurm-local: $*"; }
fail() {
    echo "slurm-local: $*" >&2
    exit 1
}

# The pid of a daemon whose pid file names a live process, or nothing.
live_pid() {
    [ -f "$1" ] || return 0
    pid=$(cat "$1" 2>/dev/null || true)
    case "$pid" in '' | *[!0-9]*) return 0 ;; esac
    if kill -0 "$pid" 2>/dev/null; then echo "$pid"; fi
}

MUNGE_PID=$DIR/munge/munged.pid
CTLD_PID=$DIR/run/slurmctld.pid
SLURMD_PID=$DIR/run/slurmd.pid

# Stops the process of a pid file: TERM, then KILL after ten seconds.
stop_daemon() {
    name=$1
    pid=$(live_pid "$2")
    if [ -z "$pid" ]; then
        rm -f "$2"
        return 0
    fi
    kill "$pid" 2>/dev/null || true
    i=0
    while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid" 2>/dev/null || true
        say "$name (pid $pid) did not stop in 10 s: killed"
    fi
    rm -f "$2"
    say "stopped $name (pid $pid)"
}

write_config() {
    node=$(hostname -s)
    # "NodeName=vm CPUs=2 Boards=1 SocketsPerBoard=1 CoresPerSocket=2 ThreadsPerCore=1 RealMemory=24105"
    hardware=$(slurmd -C | head -n 1 | sed 's/^NodeName=[^ ]* //')
    cpus=$(echo "$hardware" | sed -n 's/.*CPUs=\([0-9]*\).*/\1/p')
    memory=$(echo "$hardware" | sed -n 's/.*RealMemory=\([0-9]*\).*/\1/p')
    [ -n "$cpus" ] && [ -n "$memory" ] || fail "slurmd -C did not report CPUs and memory: $hardware"
    user=$(id -un)
    cat >"$CONF.new" <<EOF
# One-node cluster written by scripts/slurm-local.sh; everything below $DIR.
ClusterName=kelmora-local
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$PORT
SlurmdPort=$((PORT + 1))
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$SOCKET
StateSaveLocation=$DIR/state
SlurmdSpoolDir=$DIR/spool
SlurmctldPidFile=$CTLD_PID
SlurmdPidFile=$SLURMD_PID
SlurmctldLogFile=$DIR/log/slurmctld.log
SlurmdLogFile=$DIR/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SwitchType=switch/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU_Memory
DefMemPerCPU=$((memory / cpus))
ReturnToService=2
SlurmdTimeout=60
MinJobAge=600
NodeName=$node NodeAddr=127.0.0.1 $hardware State=UNKNOWN
PartitionName=local Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
    mv "$CONF.new" "$CONF"
}

# Waits until the node takes jobs; false after 30 s.
wait_for_node() {
    i=0
    while [ $i -lt 300 ]; do
        state=$(sinfo -h -N -o '%T' 2>/dev/null | head -n 1 || true)
        case "$state" in
            idle* | mixed* | allocated*) return 0 ;;
        esac
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

start() {
    for tool in munged slurmctld slurmd sinfo; do
        command -v "$tool" >/dev/null 2>&1 || PATH=$PATH:/usr/sbin
        command -v "$tool" >/dev/null 2>&1 || fail "$tool not found: install slurm-wlm and munge"
    done
    # munged wants its socket's folder open to every user, and no folder on the way writable by others.
    mkdir -p "$DIR/munge" "$DIR/state" "$DIR/spool" "$DIR/log" "$DIR/run"
    chmod 755 "$DIR" "$DIR/munge"

    if [ -z "$(live_pid "$MUNGE_PID")" ]; then
        if [ ! -s "$DIR/munge/munge.key" ]; then
            if command -v mungekey >/dev/null 2>&1; then
                mungekey --create --keyfile="$DIR/munge/munge.key"
            else
                dd if=/dev/urandom of="$DIR/munge/munge.key" bs=1024 count=1 2>/dev/null
            fi
            chmod 400 "$DIR/munge/munge.key"
        fi
        rm -f "$SOCKET" "$SOCKET.lock"
        munged --key-file="$DIR/munge/munge.key" --socket="$SOCKET" --pid-file="$MUNGE_PID" \
            --log-file="$DIR/log/munged.log" --seed-file="$DIR/munge/munged.seed" ||
            fail "munged did not start (see $DIR/log/munged.log)"
        say "started munged (pid $(cat "$MUNGE_PID"))"
    fi

    write_config
    if [ -z "$(live_pid "$CTLD_PID")" ]; then
        slurmctld -f "$CONF" || fail "slurmctld did not start (see $DIR/log/slurmctld.log)"
        i=0
        while [ -z "$(live_pid "$CTLD_PID")" ] && [ $i -lt 50 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        [ -n "$(live_pid "$CTLD_PID")" ] || fail "slurmctld did not start (see $DIR/log/slurmctld.log)"
        say "started slurmctld (pid $(cat "$CTLD_PID"))"
    fi
    if [ -z "$(live_pid "$SLURMD_PID")" ]; then
        slurmd -f "$CONF" || fail "slurmd did not start (see $DIR/log/slurmd.log)"
        i=0
        while [ -z "$(live_pid "$SLURMD_PID")" ] && [ $i -lt 50 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        [ -n "$(live_pid "$SLURMD_PID")" ] || fail "slurmd did not start (see $DIR/log/slurmd.log)"
        say "started slurmd (pid $(cat "$SLURMD_PID"))"
    fi
    if ! wait_for_node; then
        tail -n 20 "$DIR/log/slurmctld.log" "$DIR/log/slurmd.log" >&2 || true
        fail "the node did not come up within 30 s"
    fi
    say "cluster up: $(sinfo -h -N -o '%N %c CPUs %m MB %T')"
    say "for the Slurm commands: export SLURM_CONF=$CONF"
}

stop() {
    if [ -n "$(live_pid "$CTLD_PID")" ]; then
        # Jobs first, so that no job step outlives its node daemon.
        scancel --quiet --user="$(id -un)" 2>/dev/null || true
        i=0
        while [ -n "$(squeue -h -o %i 2>/dev/null)" ] && [ $i -lt 100 ]; do
            sleep 0.1
            i=$((i + 1))
        done
    fi
    stop_daemon slurmd "$SLURMD_PID"
    stop_daemon slurmctld "$CTLD_PID"
    stop_daemon munged "$MUNGE_PID"
}

status() {
    all=0
    for d in "munged $MUNGE_PID" "slurmctld $CTLD_PID" "slurmd $SLURMD_PID"; do
        set -- $d
        pid=$(live_pid "$2")
        if [ -n "$pid" ]; then
            echo "$1: running (pid $pid)"
        else
            echo "$1: stopped"
            all=3
        fi
    done
    if [ $all -eq 0 ]; then
        sinfo -h -N -o 'node %N: %T, %c CPUs, %m MB' 2>/dev/null || true
        echo "SLURM_CONF=$CONF"
    fi
    return $all
}

case "${1:-}" in
    start) start ;;
    stop) stop ;;
    status) status ;;
    env) echo "export SLURM_CONF='$CONF'" ;;
    *)
        echo "usage: $0 start|stop|status|env" >&2
        exit 2
        ;;
esac
