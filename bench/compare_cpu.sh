#!/bin/sh
# CPU seconds (user + system) of the whole sprandel-cli .xlsx run over the emulator, for two
# builds side by side: the benchmark table of ROWS x 20 (all-different texts), runs taken in
# turn so that a busy machine slows both alike.
#   sh bench/compare_cpu.sh BASE_BUILD NEW_BUILD [ROWS] [PAIRS]
# Each build folder must hold src/cli/sprandel-cli and ociemu/libclntsh.so (its own emulator);
# the table is made with NEW_BUILD's tools/ociemu/ociemu_bench_db. Needs GNU time (/usr/bin/time).
set -eu
if [ $# -lt 2 ]; then
    echo "usage: compare_cpu.sh BASE_BUILD NEW_BUILD [ROWS] [PAIRS]" >&2
    exit 2
fi
base=$(cd "$1" && pwd)
new=$(cd "$2" && pwd)
rows=${3:-1000000}
pairs=${4:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/sprandel-cpu.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$new/tools/ociemu/ociemu_bench_db" "$work/BENCH.db" "$rows" wide
printf '[Generic settings]\r\ndest=%s/wide.xlsx\r\nsrc=BENCH\r\n[MS Excel settings]\r\nformat version=2\r\nsplit data=1\r\nwrap text=0\r\n[Oracle settings]\r\npassword=bench\r\nuser=BENCH\r\n[Selected Tables]\r\nWIDE_ROWS\r\n' "$work" >"$work/job.spr"

# Prints the CPU seconds of one run of the build in $1.
run() {
    OCIEMU_DATA=$work XDG_CONFIG_HOME=$work LD_LIBRARY_PATH=$1/ociemu \
        /usr/bin/time -f "%U %S" -o "$work/time" "$1/src/cli/sprandel-cli" "$work/job.spr" >/dev/null 2>&1 || {
        echo "compare_cpu.sh: the run of $1 failed" >&2
        exit 1
    }
    awk '{ printf "%.2f\n", $1 + $2 }' "$work/time"
}

i=0
while [ "$i" -lt "$pairs" ]; do
    i=$((i + 1))
    echo "$i $(run "$base") $(run "$new")"
done | awk '{ print "pair " $1 ": base " $2 " s, new " $3 " s"; b += $2; n += $3 }
            END { printf "mean of %d: base %.2f s, new %.2f s, change %+.1f%%\n", NR, b / NR, n / NR, 100 * (n - b) / b }'
