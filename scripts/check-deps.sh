#!/bin/sh
# Fails when the build, the tests or the programs use a file that the packages of
# scripts/install-deps.sh do not bring onto a fresh Debian 12 machine.
#
#   scripts/check-deps.sh [--packages FILE] [--tools FILE | --no-tools] [BUILD...]
#
# What is checked:
#   - every header outside the source tree that the compiler read in each BUILD folder (the dependency
#     records of ninja, `ninja -t deps`);
#   - every shared library that the programs, tests and fuzzers built in each BUILD folder load (`ldd`);
#   - the tools, Python modules and files that the tests and scripts use, listed in scripts/tools.txt.
# Each file is mapped to its Debian package (`dpkg -S`); that package must be one of the list, or one that
# the list pulls in through Depends and Pre-Depends (not Recommends: install-deps.sh installs without
# them), or one that every Debian system has (Essential or of required priority). A file of no package
# at all (installed by hand, under /usr/local) fails too. On failure each package is named with a file
# that needs it.
#
# --packages FILE reads the list (one package a line, '#' comments) instead of install-deps.sh's own;
# --tools FILE reads another tool list, --no-tools checks none. The BUILD folders default to `build`.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PACKAGES_FILE=
TOOLS_FILE=$ROOT/scripts/tools.txt
while [ $# -gt 0 ]; do
    case $1 in
        --packages) PACKAGES_FILE=$2; shift 2 ;;
        --tools) TOOLS_FILE=$2; shift 2 ;;
        --no-tools) TOOLS_FILE=; shift ;;
        -*) echo "usage: $0 [--packages FILE] [--tools FILE | --no-tools] [BUILD...]" >&2; exit 2 ;;
        *) break ;;
    esac
done
if [ $# -eq 0 ]; then set -- "$ROOT/build"; fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/check-deps.XXXXXX")
trap 'rm -rf "$WORK"' EXIT INT TERM
# Everything below is read as bytes: no locale changes a comparison or the order of a sort.
LC_ALL=C
export LC_ALL

# ---- The packages: the list, closed under Depends and Pre-Depends over what dpkg has installed ----
if [ -n "$PACKAGES_FILE" ]; then
    sed 's/#.*//' "$PACKAGES_FILE" | tr -s ' \t' '\n\n' | sed '/^$/d' >"$WORK/list"
else
    "$ROOT/scripts/install-deps.sh" --list >"$WORK/list"
fi
dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Essential}\t${Priority}\t${Pre-Depends}, ${Depends}\t${Provides}\n' \
    >"$WORK/status"
awk -F '\t' -v closure="$WORK/closure" -v absent="$WORK/absent" '
    # One package name of a relation: no version, no architecture qualifier.
    function bare(name) {
        sub(/\(.*/, "", name)
        sub(/:.*/, "", name)
        gsub(/[ \t]/, "", name)
        return name
    }
    function want(name, i) {
        name = bare(name)
        if (name == "") return
        if (name in installed && !(name in taken)) {
            taken[name] = 1
            queue[++tail] = name
        }
        # A virtual package: every installed package that provides it.
        for (i = 1; i <= providers[name]; i++) want(provider[name, i])
    }
    FNR == NR { listed[++count] = $1; next }
    substr($1, 1, 2) == "ii" {
        installed[$2] = 1
        relations[$2] = $5
        if ($3 == "yes" || $4 == "required") base[$2] = 1
        n = split($6, provided, ",")
        for (i = 1; i <= n; i++) {
            v = bare(provided[i])
            if (v != "") provider[v, ++providers[v]] = $2
        }
    }
    END {
        for (i = 1; i <= count; i++) {
            if (!(listed[i] in installed)) print listed[i] > absent
            want(listed[i])
        }
        for (p in base) want(p)
        # Every installed alternative of a relation counts as pulled in.
        for (head = 1; head <= tail; head++) {
            n = split(relations[queue[head]], groups, /[,|]/)
            for (i = 1; i <= n; i++) want(groups[i])
        }
        for (p in taken) print p > closure
    }' "$WORK/list" "$WORK/status"
if [ -s "$WORK/absent" ]; then
    echo "check-deps: listed but not installed (run scripts/install-deps.sh): $(tr '\n' ' ' <"$WORK/absent")" >&2
    exit 1
fi

# ---- The files: "FILE<TAB>what needs it" lines ----
: >"$WORK/needs"
headers=0
programs=0
for build in "$@"; do
    [ -f "$build/build.ninja" ] || { echo "check-deps: $build is no configured build folder" >&2; exit 2; }
    build=$(cd "$build" && pwd)
    source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
    # Headers the compiler read outside the sources, each with the first object that read it.
    ninja -C "$build" -t deps | awk -v root="${source:-$ROOT}/" -v build="$build/" '
        /^[^ \t]/ { object = $1; sub(/:$/, "", object); next }
        {
            file = $1
            if (substr(file, 1, 1) != "/" || index(file, root) == 1 || index(file, build) == 1) next
            if (!(file in seen)) { seen[file] = 1; print file "\tread by " object }
        }' >"$WORK/headers"
    headers=$((headers + $(wc -l <"$WORK/headers")))
    cat "$WORK/headers" >>"$WORK/needs"
    # Libraries the built programs load (the compilers' own test programs under CMakeFiles aside).
    find "$build" -path '*/CMakeFiles' -prune -o -type f -perm -u+x -print | while read -r file; do
        [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
        echo "$file" >>"$WORK/programs"
        ldd "$file" | awk -v who="loaded by ${file#"$build"/}" '
            / => not found/ { print "NOT-FOUND:" $1 "\t" who; next }
            / => \// { print $3 "\t" who }'
    done >>"$WORK/needs"
done
[ -f "$WORK/programs" ] && programs=$(wc -l <"$WORK/programs")

# Tools, Python modules and files from the list: "command NAME", "python3-module NAME", "file PATH".
tools=0
if [ -n "$TOOLS_FILE" ]; then
    PATH=$PATH:/usr/local/sbin:/usr/sbin:/sbin
    while read -r kind name _; do
        case $kind in '' | '#'*) continue ;; esac
        tools=$((tools + 1))
        case $kind in
            command) path=$(command -v "$name" 2>/dev/null || true) ;;
            python3-module)
                path=$(python3 -c "import $name, sys; sys.stdout.write($name.__file__)" 2>/dev/null || true) ;;
            file) path=$name; [ -e "$path" ] || path= ;;
            *) echo "check-deps: $TOOLS_FILE: unknown kind '$kind'" >&2; exit 2 ;;
        esac
        if [ -z "$path" ]; then
            printf 'NOT-FOUND:%s\tlisted in %s\n' "$name" "${TOOLS_FILE#"$ROOT"/}"
            continue
        fi
        printf '%s\tlisted in %s\n' "$path" "${TOOLS_FILE#"$ROOT"/}"
        # A plugin the programs load at run time brings the libraries it loads itself.
        if [ "$kind" = file ] && [ "$(head -c 4 "$path" | od -An -c | tr -d ' ')" = '177ELF' ]; then
            ldd "$path" | awk -v who="loaded by $path" '
                / => not found/ { print "NOT-FOUND:" $1 "\t" who; next }
                / => \// { print $3 "\t" who }'
        fi
    done <"$TOOLS_FILE" >>"$WORK/needs"
fi

# ---- Each file's package ----
# dpkg records a file under the path its package ships; the merged /usr of Debian 12 and the symbolic
# links of alternatives give other names for it. Each name is tried: as found, without or with the /usr
# prefix, and the file it finally points to (with the same variants).
cut -f 1 "$WORK/needs" | grep -v '^NOT-FOUND:' | sort -u >"$WORK/files"
tr '\n' '\0' <"$WORK/files" | xargs -0 -r realpath -m -- >"$WORK/real"
paste "$WORK/files" "$WORK/real" | awk -F '\t' '
    function variants(file, name) {
        print file "\t" name
        if (name ~ /^\/usr\/(lib|lib64|bin|sbin)\//) print file "\t" substr(name, 5)
        else if (name ~ /^\/(lib|lib64|bin|sbin)\//) print file "\t/usr" name
    }
    { variants($1, $1); variants($1, $2) }' >"$WORK/names"
cut -f 2 "$WORK/names" | sort -u | xargs -r dpkg-query -S 2>/dev/null |
    awk '!/^diversion by/ {
        i = index($0, ": /")
        n = split(substr($0, 1, i - 1), owners, /, /)
        for (k = 1; k <= n; k++) { sub(/:.*/, "", owners[k]); print substr($0, i + 2) "\t" owners[k] }
    }' >"$WORK/owners" || true

awk -F '\t' -v names="$WORK/names" -v owners="$WORK/owners" -v closure="$WORK/closure" '
    BEGIN {
        while ((getline line < closure) > 0) pulled[line] = 1
        while ((getline line < owners) > 0) {
            split(line, f, "\t")
            if (f[1] in owner) owner[f[1]] = owner[f[1]] " " f[2]
            else owner[f[1]] = f[2]
        }
        while ((getline line < names) > 0) {
            split(line, f, "\t")
            if (!(f[1] in package) && (f[2] in owner)) package[f[1]] = owner[f[2]]
        }
    }
    $1 ~ /^NOT-FOUND:/ {
        sub(/^NOT-FOUND:/, "", $1)
        if (!(("missing " $1) in told)) {
            told["missing " $1] = 1
            printf "check-deps: %s is not on this machine (%s)\n", $1, $2
            bad = 1
        }
        next
    }
    !($1 in package) {
        if (!(("orphan " $1) in told)) {
            told["orphan " $1] = 1
            printf "check-deps: %s belongs to no Debian package: installed by hand? (%s)\n", $1, $2
            bad = 1
        }
        next
    }
    {
        # A file owned by several packages is covered when any of them is.
        n = split(package[$1], candidates, " ")
        ok = 0
        for (i = 1; i <= n; i++) if (candidates[i] in pulled) ok = 1
        if (!ok && !(package[$1] in told)) {
            told[package[$1]] = 1
            printf "check-deps: package %s is missing from the install list: %s comes from it (%s)\n",
                   package[$1], $1, $2
            bad = 1
        }
    }
    END { exit bad }' "$WORK/needs" >&2 || {
    echo "check-deps: add the packages above to scripts/install-deps.sh (or the tools to scripts/tools.txt)" >&2
    exit 1
}
echo "check-deps: $headers headers, the libraries of $programs programs and $tools tools come from" \
    "$(wc -l <"$WORK/list") listed packages and what they pull in"
