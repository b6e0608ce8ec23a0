#!/bin/sh
# Runs on the Linux host the commands that Windows tests under wine leave in FOLDER (the
# workbook readers, which are Linux programs): N.cmd is run with sh, its output goes to
# N.out and its exit status to N.status. Runs until killed. Usage: host-commands.sh FOLDER
set -u
folder=$1
mkdir -p "$folder"
while :; do
    for request in "$folder"/*.cmd; do
        [ -f "$request" ] || continue
        stem=${request%.cmd}
        mv "$request" "$stem.run" || continue
        sh "$stem.run" >"$stem.out" 2>&1
        echo $? >"$stem.status.tmp"
        rm -f "$stem.run"
        mv "$stem.status.tmp" "$stem.status"
    done
    sleep 0.05
done
