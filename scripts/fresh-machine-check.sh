#!/bin/sh
# Tries the README's set-up on a fresh Debian 12 system: a minimal root made with debootstrap, this
# checkout cloned into it, then `make test` and `make demo` run there as a new user would, each timed.
#
#   scripts/fresh-machine-check.sh [ROOT]
#
# Run as root; it needs debootstrap. ROOT (default /var/tmp/kelmora-fresh-root) is made anew and removed
# at the end (KEEP=1 keeps it). The root fetches its packages from the mirror this machine's apt is
# configured with, and gets this machine's apt settings. Only the committed state of the checkout
# (HEAD) is cloned. The minimal system has no make: it is installed first, as a new user would (the one
# step before the README's commands). The one-node Slurm cluster of the tests listens on
# FRESH_SLURM_PORT (default 17847) so that it does not meet a cluster of this machine's own tests.
# The packages are installed as a step of its own (`make deps`, which `make test` runs first), so that the
# time of `make test` is that of a machine with the packages present. The times go to stdout, the
# output of every step to ROOT.log beside the root.
set -eu
ROOT=${1:-/var/tmp/kelmora-fresh-root}
SLURM_PORT=${FRESH_SLURM_PORT:-17847}
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
LOG=$ROOT.log

say() { echo "fresh-machine-check: $*" | tee -a "$LOG"; }
fail() {
    say "FAILED: $*"
    exit 1
}
[ "$(id -u)" -eq 0 ] || fail "run as root (debootstrap and chroot)"
command -v debootstrap >/dev/null || fail "debootstrap is not installed (apt-get install debootstrap)"
[ -n "$(git -C "$SOURCE" status --porcelain --untracked-files=no)" ] &&
    echo "fresh-machine-check: uncommitted changes are not part of the check (HEAD is cloned)" >&2

# The Debian archive of this machine's apt sources: a bookworm "deb" entry in the one-line or the
# deb822 form.
mirror() {
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        sed 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }'
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" }
             {
                 types = ""; uris = ""; suites = ""
                 for (i = 1; i <= NF; i++) {
                     if ($i ~ /^Types:/) types = $i
                     if ($i ~ /^URIs:/) { uris = $i; sub(/^URIs:[ \t]*/, "", uris); sub(/[ \t].*/, "", uris) }
                     if ($i ~ /^Suites:/) suites = $i " "
                 }
                 if (types ~ /[ \t]deb([ \t]|$)/ && suites ~ /[ \t]bookworm[ \t]/ && uris != "") { print uris; exit }
             }' "$f"
    done
}
MIRROR=$(mirror | head -n 1)
[ -n "$MIRROR" ] || fail "no bookworm archive in this machine's apt sources"

# Mounts inside the root, undone on every way out, in reverse order. Processes still running in the
# root (daemons a failed test left behind) are ended first, by their ids.
MOUNTS=""
cleanup() {
    status=$?
    trap - EXIT INT TERM
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$ROOT" ] && kill -9 "${p#/proc/}" 2>/dev/null || true
    done
    for m in $MOUNTS; do
        umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || say "could not unmount $m"
    done
    MOUNTS=""
    if grep -q " $ROOT/" /proc/mounts; then
        say "mounts are left under $ROOT: not removing it"
    elif [ "${KEEP:-0}" = 1 ] || [ "$status" -ne 0 ]; then
        say "the root stays in $ROOT"
    else
        rm -rf --one-file-system "$ROOT"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mount_root() {
    # $1 type, $2 point inside the root, $3.. options
    type=$1 point=$2
    shift 2
    mkdir -p "$ROOT$point"
    mount -t "$type" "$@" "$type" "$ROOT$point"
    MOUNTS="$ROOT$point $MOUNTS"
}

if grep -q " $ROOT/" /proc/mounts; then fail "something is mounted under $ROOT"; fi
rm -rf --one-file-system "$ROOT"
: >"$LOG"
say "mirror $MIRROR, root $ROOT"

start=$(date +%s)
debootstrap --variant=minbase bookworm "$ROOT" "$MIRROR" >"$ROOT.debootstrap.log" 2>&1 ||
    fail "debootstrap (see $ROOT.debootstrap.log)"
say "debootstrap: $(($(date +%s) - start)) s"

# This machine's apt sources and settings; its name resolution.
rm -f "$ROOT/etc/apt/sources.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
    /etc/apt/apt.conf.d/*; do
    [ -f "$f" ] && cp "$f" "$ROOT$f"
done
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
cp /etc/hosts "$ROOT/etc/hosts"

mount_root proc /proc
mount_root sysfs /sys
mount_root devtmpfs /dev
mount_root tmpfs /dev/shm
mount_root tmpfs /run
# The control groups as the machine has them, which a booted Debian system mounts and slurmd needs.
mkdir -p "$ROOT/sys/fs/cgroup"
mount --rbind /sys/fs/cgroup "$ROOT/sys/fs/cgroup"
MOUNTS="$ROOT/sys/fs/cgroup $MOUNTS"

git clone --quiet --no-hardlinks "$SOURCE" "$ROOT/root/kelmora"

# No service starts inside the root when its packages are installed (munge and Slurm would start their
# daemons): what chroots usually get.
printf '#!/bin/sh\nexit 101\n' >"$ROOT/usr/sbin/policy-rc.d"
chmod 755 "$ROOT/usr/sbin/policy-rc.d"

# Runs a step in the root, as root in /root/kelmora with a clean environment, its output in the log; says
# how long it took in wall time and in CPU time (user + sys of all it ran).
step() {
    name=$1
    before=$(date +%s)
    echo "==== $name" >>"$LOG"
    chroot "$ROOT" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        KELMORA_TEST_SLURM_PORT="$SLURM_PORT" KELMORA_SLURM_PORT="$((SLURM_PORT + 10))" \
        bash -c "cd /root/kelmora && $2; s=\$?; times >/root/.times; exit \$s" >>"$LOG" 2>&1 ||
        fail "$name (the end of $LOG shows why)"
    wall=$(($(date +%s) - before))
    cpu=$(awk 'NR == 2 {
                   t = 0
                   for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] }
                   printf "%d", t
               }' "$ROOT/root/.times")
    say "$name: $((wall / 60)) min $((wall % 60)) s wall, $((cpu / 60)) min $((cpu % 60)) s CPU"
}

step "apt-get install make" "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends make"
step "make deps (the packages of scripts/install-deps.sh)" "make deps"
step "make test" "make test"
step "make demo" "make demo"
say "all steps passed on $(nproc) cores"
