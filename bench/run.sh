#!/usr/bin/env bash
# Measures how fast aftersetup empties a large directory, side by side with
# `find DIR -mindepth 1 -maxdepth 1 -delete`, with the floor (a bare
# readdir/unlink loop, bench/floor.cpp) and with the floor plus one status
# read per entry, on the disk's file system and on a tmpfs, and writes the results as CSV, a markdown table and a PNG plot.
#
#   bench/run.sh [--quick] [--tool PATH] [--disk-dir DIR] [--out DIR]
#                [--sizes "N ..."] [--runs N] [--syscall-size N]
#
#   --quick         1 000 and 10 000 entries, 3 runs each: a smoke test
#   --tool PATH     the tool to measure (default: build/aftersetup)
#   --disk-dir DIR  where the disk runs happen (default: the tool's directory);
#                   must not be a tmpfs
#   --out DIR       where the results go (default: bench/results, or a
#                   directory beside the tool for --quick)
#   --sizes, --runs the entry counts and the runs per contender and size
#                   (default: 10000 100000 1000000, 5 runs; 3 at 1 000 000)
#
# Each run fills a fresh directory "target" inside an empty directory
# "parent" (not timed), then times one contender emptying it; the
# contenders take turns run by run. aftersetup runs with DISPLAY unset, so
# it waits for no window, and removes target and parent itself. Only
# complete runs count: a contender that leaves an entry behind stops the
# benchmark. The tmpfs is mounted for the runs and unmounted afterwards,
# which needs root; without root only the disk is measured.
#
# Needs: a C++17 compiler, strace, gnuplot (Debian package gnuplot-nox).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")

quick=0
tool=$repo/build/aftersetup
disk_dir=
out=
sizes=
runs=
syscall_size=
while [ $# -gt 0 ]; do
    case $1 in
        --quick) quick=1 ;;
        --tool) tool=$2; shift ;;
        --disk-dir) disk_dir=$2; shift ;;
        --out) out=$2; shift ;;
        --sizes) sizes=$2; shift ;;
        --runs) runs=$2; shift ;;
        --syscall-size) syscall_size=$2; shift ;;
        -h|--help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
        *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

tool=$(realpath "$tool")
[ -x "$tool" ] || { echo "run.sh: no tool at $tool (build it first)" >&2; exit 1; }
tool_dir=$(dirname "$tool")
if [ $quick = 1 ]; then
    : "${sizes:=1000 10000}" "${runs:=3}" "${syscall_size:=10000}" "${out:=$tool_dir/bench-quick}"
else
    : "${sizes:=10000 100000 1000000}" "${syscall_size:=100000}" "${out:=$here/results}"
fi
: "${disk_dir:=$tool_dir}"
for need in strace gnuplot "${CXX:-c++}"; do
    command -v "$need" >/dev/null || { echo "run.sh: $need is missing" >&2; exit 1; }
done

unset DISPLAY
export LC_ALL=C

work=$(mktemp -d "$disk_dir/aftersetup-bench.XXXXXX")
tmpfs_mount=
cleanup() {
    if [ -n "$tmpfs_mount" ] && mountpoint -q "$tmpfs_mount"; then
        umount "$tmpfs_mount"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

if [ "$(stat -f -c %T "$work")" = tmpfs ]; then
    echo "run.sh: $disk_dir is on a tmpfs; give a directory on a disk with --disk-dir" >&2
    exit 1
fi

# The helpers are built with the compiler's defaults plus -O2, like any
# small C tool a user might have at hand.
bin=$work/bin
mkdir -p "$bin"
for program in fill floor runner; do
    "${CXX:-c++}" -O2 -std=c++17 -Wall -Wextra -o "$bin/$program" "$here/$program.cpp"
done

file_systems=(disk)
mkdir -p "$work/disk"
declare -A roots=([disk]=$work/disk)
if [ "$(id -u)" = 0 ]; then
    tmpfs_mount=$work/tmpfs
    mkdir -p "$tmpfs_mount"
    mount -t tmpfs -o size=4g,nr_inodes=4m,mode=0755 aftersetup-bench "$tmpfs_mount"
    file_systems+=(tmpfs)
    roots[tmpfs]=$tmpfs_mount
else
    echo "run.sh: not root, so no tmpfs: measuring the disk only" >&2
fi

contenders=(aftersetup find floor floor+stat)

# Sets cmd to the command line with which a contender empties target.
set_command() {
    local contender=$1 target=$2
    case $contender in
        aftersetup) cmd=("$tool" "$target" "aftersetup benchmark") ;;
        find) cmd=(find "$target" -mindepth 1 -maxdepth 1 -delete) ;;
        floor) cmd=("$bin/floor" "$target") ;;
        floor+stat) cmd=("$bin/floor" --stat "$target") ;;
    esac
}

prepare() {
    local root=$1 entries=$2 mode=${3:-644}
    rm -rf "$root/parent"
    mkdir -p "$root/parent/target"
    "$bin/fill" "$root/parent/target" "$entries" "$mode"
    sync -f "$root/parent"
}

# Checks that the contender did all of its work, then clears what is left.
check_and_clear() {
    local root=$1 contender=$2
    if [ "$contender" = aftersetup ]; then
        if [ -e "$root/parent" ]; then
            echo "run.sh: aftersetup left $root/parent behind" >&2
            exit 1
        fi
        return
    fi
    if [ -n "$(ls -A "$root/parent/target")" ]; then
        echo "run.sh: $contender left entries in $root/parent/target" >&2
        exit 1
    fi
    rmdir "$root/parent/target" "$root/parent"
}

# One timed run; sets wall, rss, user and sys.
run_once() {
    local root=$1 entries=$2 contender=$3 status
    prepare "$root" "$entries"
    set_command "$contender" "$root/parent/target"
    read -r wall rss user sys status < <("$bin/runner" "${cmd[@]}")
    if [ "$status" != 0 ]; then
        echo "run.sh: $contender exited with $status" >&2
        exit 1
    fi
    check_and_clear "$root" "$contender"
}

mkdir -p "$out"
echo "tool: $tool"
echo "commit: $(git -C "$repo" rev-parse --short HEAD 2>/dev/null || echo unknown)"

# The system calls of one run of each contender, traced by strace; and of
# aftersetup once more on read-only files, which it must make writable first.
syscalls=$out/syscalls.csv
echo "fs,entries,files,contender,syscall,calls" >"$syscalls"
count_syscalls() {
    local root=$1 fs=$2 contender=$3 files=$4
    prepare "$root" "$syscall_size" "$([ "$files" = read-only ] && echo 444 || echo 644)"
    set_command "$contender" "$root/parent/target"
    # A full trace, not strace -c: the summary of strace 6.1 leaves out the
    # calls it has no name for, such as fchmodat2 (452).
    strace -f -qq -o "$work/strace.txt" "${cmd[@]}"
    check_and_clear "$root" "$contender"
    awk -v prefix="$fs,$syscall_size,$files,$contender" '
        { sub(/^[0-9]+ +/, "") }
        /^[a-z_0-9]+\(/ {
            name = substr($0, 1, index($0, "(") - 1)
            if (name == "syscall_0x1c4") name = "fchmodat2"
            calls[name]++
        }
        END { for (name in calls) print prefix "," name "," calls[name] }' \
        "$work/strace.txt" | sort -t, -k6,6nr >>"$syscalls"
    rm -f "$work/strace.txt"
}
for fs in "${file_systems[@]}"; do
    for contender in "${contenders[@]}"; do
        count_syscalls "${roots[$fs]}" "$fs" "$contender" writable
    done
    count_syscalls "${roots[$fs]}" "$fs" aftersetup read-only
done

raw=$out/runs.csv
echo "fs,fs_type,entries,run,contender,wall_s,maxrss_kb,user_s,sys_s" >"$raw"

# Size by size, so that an interrupted run still has every file system
# for the sizes it got through.
for entries in $sizes; do
    for fs in "${file_systems[@]}"; do
        root=${roots[$fs]}
        fs_type=$(findmnt -n -o FSTYPE -T "$root" 2>/dev/null || stat -f -c %T "$root")
        n=${runs:-$([ "$entries" -ge 1000000 ] && echo 3 || echo 5)}
        for ((run = 1; run <= n; run++)); do
            # Turn the order round each run, so no contender always goes first.
            for ((i = 0; i < ${#contenders[@]}; i++)); do
                contender=${contenders[(i + run - 1) % ${#contenders[@]}]}
                run_once "$root" "$entries" "$contender"
                cpu=$(awk -v a="$user" -v b="$sys" 'BEGIN { print a + b }')
                printf '%-6s %8d  run %d  %-10s %9.3f s  %6d KB  cpu %7.3f s\n' \
                    "$fs" "$entries" "$run" "$contender" "$wall" "$rss" "$cpu"
                echo "$fs,$fs_type,$entries,$run,$contender,$wall,$rss,$user,$sys" >>"$raw"
            done
        done
    done
done

"$here/report.sh" "$out" "$(git -C "$repo" rev-parse --short HEAD 2>/dev/null || echo unknown)"
echo "results in $out"
