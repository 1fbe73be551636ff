#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Batch mode under tight limits: with few handles or processes free, several at once end and
# split what one at a time splits there; an open-file limit too low for one archive is said once
# in the program's words, with nothing of Qt's; the job count the limit allows is said with its
# number; an output folder it may not write into is said once.
# usage: batch_limits.sh QUILLMERE
set -euo pipefail
program=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share LC_ALL=C.UTF-8
unset LANGUAGE LC_MESSAGES DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail() { echo "$*" >&2; exit 1; }
mkdir -p "$HOME" "$work/in"
head -c 300000 /dev/urandom >"$work/e1.bin"
(cd "$work" && zip -q -0 "$work/small.zip" e1.bin)
for i in $(seq -w 1 12); do ln "$work/small.zip" "$work/in/m$i.zip"; done

# Runs the program with exactly OPEN descriptors open under ulimit -n 64.
with_open() {
    python3 -c 'import os, resource, sys
os.closerange(3, 4096)
for _ in range(int(sys.argv[1]) - 3):
    os.set_inheritable(os.open("/dev/null", os.O_RDONLY), True)
resource.setrlimit(resource.RLIMIT_NOFILE, (64, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
os.execvp(sys.argv[2], sys.argv[2:])' "$@"
}
# Lines on standard error that are not the program's own.
not_ours() {
    grep -v -e '^\[' -e '^Done\.' -e '^[0-9]* archives\? could not be split\.' -e '^--jobs [0-9]* was lowered to' -e '^quillmere: the open-file limit (ulimit' "$work/err"
}
# Parts split at JOBS archives at once into a fresh folder, by a command that runs the program.
parts() {
    local jobs=$1 out=$work/out$RANDOM
    shift
    mkdir -p "$out" && chmod 777 "$out"
    "$@" timeout 60 "$program" --split --size 1 --jobs "$jobs" --output "$out" "$work/in"/*.zip \
        >/dev/null 2>"$work/err" || [ $? -eq 1 ] || fail "--jobs $jobs: $(tail -2 "$work/err")"
    ! not_ours || fail "--jobs $jobs: lines not ours: $(not_ours)"
    ls "$out" | wc -l
}
for open in 45 46; do
    alone=$(parts 1 with_open "$open")
    [ "$alone" -gt 0 ] || fail "with $open open, one at a time split nothing: $(tail -2 "$work/err")"
    for jobs in 2 8; do
        [ "$(parts "$jobs" with_open "$open")" -eq "$alone" ] \
            || fail "with $open open, --jobs $jobs split otherwise than one at a time: $(tail -2 "$work/err")"
    done
done

# Too few handles for even one archive: one line that says so, none from Qt.
for limit in 16 20; do
    status=0
    (ulimit -n "$limit" && exec "$program" --split --size 1 --output "$work/out" "$work/in/m01.zip") \
        >/dev/null 2>"$work/err" || status=$?
    [ "$status" -eq 1 ] && grep -qx "quillmere: the open-file limit (ulimit -n $limit) is too low to split: it needs to be at least [0-9]*\." "$work/err" \
        && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "under ulimit -n $limit: exit $status, $(cat "$work/err")"
done

# The open-file limit lowers --jobs: by 16 handles an archive and 32 kept back, said once.
(ulimit -n 100 && exec "$program" --split --size 1 --jobs 8 --output "$work/out" "$work/in"/*.zip) >/dev/null 2>"$work/err"
[ "$(grep -cx -- '--jobs 8 was lowered to 4: the open-file limit (ulimit -n 100) allows no more.' "$work/err")" -eq 1 ] \
    || fail "the lowered job count: $(tail -3 "$work/err")"

# One process free, or none, for an ordinary user (root's processes are not limited): the same.
uid=$((61000 + $$ % 4000))
mkdir -p "$work/home-$uid" && chown "$uid" "$work/home-$uid"
# (A sanitizer's leak check at exit needs a process of its own, which these runs do not have.)
as_user() {
    setpriv --reuid="$uid" --regid="$uid" --clear-groups env HOME="$work/home-$uid" XDG_DATA_HOME="$work/home-$uid" \
        XDG_CONFIG_HOME="$work/home-$uid" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$@"
}
for sleepers in 6 7; do
    # The shell, its sleepers, timeout and the program: 10 with 7 sleepers, so no tool can start.
    with_procs() { as_user bash -c 'ulimit -u 10; for _ in $(seq "$0"); do sleep 60 & done; "$@"; s=$?; kill $(jobs -p) 2>/dev/null; wait; exit $s' "$sleepers" "$@"; }
    alone=$(parts 1 with_procs)
    [ "$sleepers" -eq 7 ] || [ "$alone" -gt 0 ] || fail "one process free, one at a time split nothing: $(tail -2 "$work/err")"
    for jobs in 2 8; do
        [ "$(parts "$jobs" with_procs)" -eq "$alone" ] \
            || fail "with $sleepers processes beside, --jobs $jobs split otherwise than one at a time: $(tail -2 "$work/err")"
    done
done
# An output folder an ordinary user may not write into: said once, before anything starts.
mkdir -p "$work/locked"
status=0
as_user "$program" --split --size 1 --output "$work/locked" "$work/in"/*.zip >/dev/null 2>"$work/err" || status=$?
[ "$status" -eq 1 ] && [ "$(cat "$work/err")" = \
    "12 archives were not split: you may not write into the output folder $work/locked. No archive was split." ] \
    || fail "a folder not ours: exit $status, $(cat "$work/err")"
echo "batch mode ends, and splits what one at a time does, under tight limits; a folder not ours is said once"
