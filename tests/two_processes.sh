#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two whole program processes on one HOME and one tool folder, each splitting 300 small archives
# into the same output folder at the same time: both must end with "Done.", every part present
# and whole, and nothing of either run left behind.
# usage: two_processes.sh SPLIT_DRIVER
set -euo pipefail
driver=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export APPDATA=$HOME/appdata
mkdir -p "$APPDATA" "$work/src" "$work/in" "$work/out"
head -c 3000 /dev/urandom >"$work/src/one.bin"
head -c 3000 /dev/urandom >"$work/src/two.bin"
(cd "$work/src" && zip -q -0 "$work/seed.zip" one.bin two.bin)
for side in a b; do
    for i in $(seq -w 1 300); do cp "$work/seed.zip" "$work/in/$side$i.zip"; done
done

run() { "$driver" run parts 2 "$work/out" "$work/in/$1"*.zip >"$work/$1.log" 2>&1; }
run a & first=$!
run b & second=$!
status=0
wait "$first" || { echo "first process:"; cat "$work/a.log"; status=1; }
wait "$second" || { echo "second process:"; cat "$work/b.log"; status=1; }
[ "$status" -eq 0 ] || exit 1

parts=$(find "$work/out" -maxdepth 1 -type f -name '*.zip' | wc -l)
[ "$parts" -eq 1200 ] || { echo "$parts parts, 1200 expected"; exit 1; }
entries=$(for f in "$work/out"/*.zip; do unzip -Z1 "$f"; done | sort | uniq -c | awk '{print $2 "=" $1}' | xargs)
[ "$entries" = "one.bin=600 two.bin=600" ] || { echo "entries: $entries"; exit 1; }
left=$(find "$work/out" "$APPDATA" -mindepth 1 -name '.quillmere-*' | wc -l)
[ "$left" -eq 0 ] || { echo "left behind:"; find "$work/out" "$APPDATA" -name '.quillmere-*'; exit 1; }
echo "two processes: 1200 parts, every entry once per archive, nothing left behind"
