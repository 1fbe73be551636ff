#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Batch mode as a script sees it: Ctrl+C stops a shell loop, an ignored hangup stays ignored,
# TERM and Ctrl+\ end the run by that signal with nothing left, and so does a signal that comes
# after the run's last look (the window's too), closed standard descriptors take no file of the
# run, a full device fails the write, names that are not UTF-8 go through byte for byte, --null
# and the dry run's plan on standard output, one line without a display, a tight open-file limit
# under many jobs, and the sweep of dead runs' folders in a shared folder.
# usage: batch_scripts.sh QUILLMERE
set -euo pipefail
program=$(readlink -f "$1")
work=$(mktemp -d)
trap '[ -n "${QM_KEEP:-}" ] || rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export LC_ALL=C.UTF-8
unset LANGUAGE LC_MESSAGES DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME" "$work/src" "$work/in"
fail() { echo "$*"; exit 1; }
ulimit -c 0 # Ctrl+\ (SIGQUIT) dumps core by default
# How a process ended, as waitpid tells it ("exit N" or "signal N"), written to the file $1 when
# it ends; its pid in $1.pid at once. SIGINT and SIGQUIT are at their default actions (a job a
# script starts has them ignored, and an ignored signal stays ignored).
ended_as() {
    python3 -c '
import os, signal, sys
for s in (signal.SIGINT, signal.SIGQUIT):
    signal.signal(s, signal.SIG_DFL)
pid = os.fork()
if pid == 0:
    os.execvp(sys.argv[2], sys.argv[2:])
with open(sys.argv[1] + ".pid", "w") as f:
    f.write(str(pid))
status = os.waitpid(pid, 0)[1]
with open(sys.argv[1], "w") as f:
    f.write("signal %d" % os.WTERMSIG(status) if os.WIFSIGNALED(status) else "exit %d" % os.WEXITSTATUS(status))
' "$@"
}
pid_of() { for _ in $(seq 1000); do [ -s "$1.pid" ] && break; sleep 0.01; done; cat "$1.pid"; }
for i in 1 2 3 4; do head -c 300000 /dev/urandom >"$work/src/e$i.bin"; done
(cd "$work/src" && zip -q -0 "$work/in/small.zip" e1.bin e2.bin e3.bin e4.bin)
# Large enough to be mid-split when a signal comes: 400 MB of stored entries, from the page cache.
for i in 1 2 3 4; do head -c 100000000 /dev/zero >"$work/src/big$i.bin"; done
(cd "$work/src" && zip -q -0 "$work/in/big.zip" big1.bin big2.bin big3.bin big4.bin)
rm -f "$work/src"/big*.bin
left() { find "$1" "$XDG_DATA_HOME" -name '.quillmere-*' 2>/dev/null | head -1; }
# A job started from a script has SIGINT ignored; a shell loop at a terminal has it by default.
with_default_int() { exec python3 -c 'import os, signal, sys; signal.signal(signal.SIGINT, signal.SIG_DFL); os.setsid(); os.execvp(sys.argv[1], sys.argv[1:])' "$@"; }

# Ctrl+C (SIGINT to the loop's process group) mid-split: the run cleans up, dies by SIGINT, and
# the shell ends the loop there.
mkdir -p "$work/loop"
cat >"$work/loop.sh" <<LOOP
for f in big small small; do
    echo "\$f" >>"$work/loop.log"
    "$program" --split --size 20 --output "$work/loop" "$work/in/\$f.zip" >/dev/null 2>>"$work/loop.err"
done
echo "the loop went on" >>"$work/loop.log"
LOOP
with_default_int bash "$work/loop.sh" &
loop=$!
for _ in $(seq 100); do [ -n "$(ls -A "$work/loop")" ] && break; sleep 0.02; done
kill -INT -- -"$loop"
wait "$loop" || true
[ "$(cat "$work/loop.log")" = big ] || fail "Ctrl+C did not stop the loop: $(cat "$work/loop.log")"
[ -z "$(left "$work/loop")" ] || fail "Ctrl+C left $(left "$work/loop")"
[ -z "$(ls "$work/loop")" ] || fail "Ctrl+C left parts: $(ls "$work/loop")"

# TERM: the caller sees death by that signal (143 in a shell).
mkdir -p "$work/term"
with_default_int "$program" --split --size 20 --output "$work/term" "$work/in/big.zip" 2>/dev/null &
run=$!
for _ in $(seq 100); do [ -n "$(ls -A "$work/term")" ] && break; sleep 0.02; done
kill -TERM "$run"
status=0; wait "$run" || status=$?
[ "$status" -eq 143 ] || fail "TERM gave exit $status, not death by SIGTERM"
[ -z "$(left "$work/term")" ] || fail "TERM left $(left "$work/term")"

# A signal at any moment of start-up, even before the run has begun, leaves nothing behind.
mkdir -p "$work/early"
for delay in 0 0.002 0.005 0.01 0.02 0.03 0.05 0.08 0.1 0.15; do
    "$program" --split --size 1 --output "$work/early" "$work/in/small.zip" >/dev/null 2>&1 &
    run=$!
    sleep "$delay"
    kill -TERM "$run" 2>/dev/null || true
    wait "$run" || true
    [ -z "$(left "$work/early")" ] || fail "TERM after $delay s left $(left "$work/early")"
done

# Ctrl+\ (SIGQUIT) mid-split, or at any moment of start-up: the run cleans up as for TERM, then
# the program dies by SIGQUIT.
mkdir -p "$work/quit"
for delay in mid 0 0.005 0.02 0.05 0.1; do
    archive=$work/in/small.zip
    [ "$delay" = mid ] && archive=$work/in/big.zip
    rm -f "$work/quit.end" "$work/quit.end.pid"
    ended_as "$work/quit.end" "$program" --split --size 20 --output "$work/quit" "$archive" >/dev/null 2>"$work/quit.err" &
    run=$(pid_of "$work/quit.end")
    if [ "$delay" = mid ]; then
        for _ in $(seq 100); do [ -n "$(ls -A "$work/quit")" ] && break; sleep 0.02; done
    else
        sleep "$delay"
    fi
    kill -QUIT "$run" 2>/dev/null || true
    wait
    [ "$delay" != mid ] || [ "$(cat "$work/quit.end")" = "signal 3" ] \
        || fail "Ctrl+\\ mid-split: $(cat "$work/quit.end"), $(cat "$work/quit.err")"
    [ -z "$(left "$work/quit")" ] || fail "Ctrl+\\ ($delay) left $(left "$work/quit")"
    rm -f "$work/quit"/*.zip
done

# A signal after the run's last look at its watcher, while the summary is printed (under gdb, at
# RunOutcomeLines), still ends the program by it, so a shell loop stops there; and the window's
# after its event loop has ended (quit from inside the loop, the signal on the way out of it).
command -v gdb >/dev/null || fail "gdb is needed (scripts/setup-deps.sh installs it)"
late() { # SIGNAL COMMANDS-AT-THE-BREAKPOINT BREAKPOINT PROGRAM ARGS...: how gdb saw the program end
    local signal=$1 at=$2 where=$3
    shift 3
    # (LeakSanitizer cannot run under a tracer: a sanitizer build checks leaks in the other runs.)
    ASAN_OPTIONS=detect_leaks=0 timeout 180 gdb -q -batch -nx -ex 'set breakpoint pending on' \
        -ex "handle $signal nostop noprint pass" -ex "break $where" -ex run -ex delete \
        ${at:+-ex "$at"} ${at:+-ex 'frame function QCoreApplication::exec'} ${at:+-ex finish} \
        -ex "signal $signal" --args "$@" 2>&1 </dev/null \
        | grep -E '^(Program terminated with signal|\[Inferior 1 \(process [0-9]+\) exited)' || true
}
mkdir -p "$work/late"
for signal in SIGTERM SIGINT SIGHUP SIGQUIT; do
    ended=$(late "$signal" "" qm::RunOutcomeLines "$program" --split --size 1 --output "$work/late" "$work/in/small.zip")
    case "$ended" in "Program terminated with signal $signal,"*) ;; *) fail "$signal at the summary: $ended" ;; esac
    [ -z "$(left "$work/late")" ] || fail "$signal at the summary left $(left "$work/late")"
done
ended=$(QT_QPA_PLATFORM=offscreen late SIGTERM "call (void)'QCoreApplication::quit'()" qm::UnzipLibrary::load "$program")
case "$ended" in "Program terminated with signal SIGTERM,"*) ;; *) fail "SIGTERM after the window's loop: $ended" ;; esac

# Standard descriptors closed (>&- 2>&-, <&- too): no socket or file of the run takes their
# number. Every archive is split; the paths meant for standard output fail as a write error
# (exit 1). With standard error alone closed the run is whole and lists every part.
mkdir -p "$work/closed"
for i in 1 2 3 4 5; do ln "$work/in/small.zip" "$work/closed/c$i.zip"; done
for closed in "1 2" "0 1 2" "2"; do
    rm -rf "$work/closedout" && mkdir -p "$work/closedout"
    status=0
    case "$closed" in
    "1 2") "$program" --split --size 1 --output "$work/closedout" "$work/closed"/*.zip >&- 2>&- || status=$? ;;
    "0 1 2") "$program" --split --size 1 --output "$work/closedout" "$work/closed"/*.zip <&- >&- 2>&- || status=$? ;;
    "2") "$program" --split --size 1 --output "$work/closedout" "$work/closed"/*.zip >"$work/paths" 2>&- || status=$? ;;
    esac
    want=1
    [ "$closed" = 2 ] && want=0
    [ "$status" -eq "$want" ] && [ "$(ls "$work/closedout" | wc -l)" -eq 10 ] \
        || fail "descriptors $closed closed: exit $status, $(ls "$work/closedout" | wc -l) parts"
    [ "$closed" != 2 ] || [ "$(wc -l <"$work/paths")" -eq 10 ] || fail "standard error closed: $(cat "$work/paths")"
    [ -z "$(left "$work/closedout")" ] || fail "descriptors $closed closed: left $(left "$work/closedout")"
done

# nohup: a hangup ignored at the start stays ignored, and the run ends as it would have.
mkdir -p "$work/hup"
(trap '' HUP; exec "$program" --split --size 20 --output "$work/hup" "$work/in/big.zip" >/dev/null 2>"$work/hup.err") &
run=$!
# Sent mid-split; under load the run may already have ended, which proves nothing but is no fault.
for _ in $(seq 500); do [ -n "$(ls -A "$work/hup")" ] && break; sleep 0.02; done
kill -HUP "$run" 2>/dev/null || true
status=0; wait "$run" || status=$?
[ "$status" -eq 0 ] && [ "$(ls "$work/hup" | wc -l)" -eq 4 ] || fail "an ignored hangup: exit $status, $(ls "$work/hup" | wc -l) parts, $(cat "$work/hup.err")"

# A full device: --help, --version and a run's part paths fail with a write error.
for args in --help --version "--split --size 1 --output $work/full $work/in/small.zip"; do
    status=0
    # shellcheck disable=SC2086
    "$program" $args >/dev/full 2>"$work/err" || status=$?
    [ "$status" -eq 1 ] && grep -qx 'quillmere: write error: No space left on device' "$work/err" \
        || fail "$args to /dev/full: exit $status, $(cat "$work/err")"
done
[ "$(ls "$work/full" | wc -l)" -eq 2 ] || fail "a write error undid the split"

# Names that are not UTF-8 (Latin-1 "café.zip" into "out-é"): byte for byte, NUL-ended with -z.
latin=$(printf 'caf\351')
cp "$work/in/small.zip" "$work/in/$latin.zip"
(cd "$work/in" && "$program" --split --size 1 -z --output "../out-$(printf '\351')" "$latin.zip" >"$work/paths" 2>"$work/err") \
    || fail "a Latin-1 name: $(cat "$work/err")"
[ -d "$work/out-$(printf '\351')" ] || fail "the output folder was not made by its bytes: $(ls "$work")"
[ "$(tr -cd '\0' <"$work/paths" | wc -c)" -eq 2 ] || fail "-z: $(od -c "$work/paths")"
while IFS= read -r -d '' part; do
    [ -f "$part" ] || fail "printed path $part is not a part"
done <"$work/paths"

# The dry run's plan on standard output: archive, parts, largest part, split size, tab-separated.
"$program" --split --parts 2 --dry-run --output "$work/dry" "$work/in/small.zip" >"$work/plan" 2>/dev/null
IFS=$'\t' read -r archive parts largest size <"$work/plan"
[ "$archive" = "$work/in/small.zip" ] && [ "$parts" = 2 ] && [ "$largest" -ge "$size" ] && [ "$size" -gt 0 ] \
    || fail "plan line: $(cat -A "$work/plan")"

# No display and no --split: one line, exit 1, no abort.
status=0
"$program" "$work/in/small.zip" 2>"$work/err" || status=$?
[ "$status" -eq 1 ] && [ "$(cat "$work/err")" = \
    "quillmere: cannot open a display; to split without a window use --split (see --help)" ] \
    || fail "no display: exit $status, $(cat "$work/err")"

# 300 archives, 256 jobs, 64 open files: every archive is split; the job count is lowered once.
mkdir -p "$work/many" "$work/manyout"
for i in $(seq -w 1 300); do ln "$work/in/small.zip" "$work/many/m$i.zip"; done
status=0
(ulimit -n 64 && "$program" --split --size 1 --jobs 256 --output "$work/manyout" "$work/many"/*.zip >/dev/null 2>"$work/err") \
    || status=$?
[ "$status" -eq 0 ] || fail "under ulimit -n 64: exit $status, $(grep -v ': 2 parts$' "$work/err" | head -5)"
[ "$(ls "$work/manyout" | wc -l)" -eq 600 ] || fail "under ulimit -n 64: $(ls "$work/manyout" | wc -l) parts"
[ "$(grep -c 'open-file limit' "$work/err")" -eq 1 ] || fail "the lowered job count was not said once: $(tail -3 "$work/err")"
# A shared output folder without the sticky bit: another user may rename a folder of this user's
# to a run folder's name. The next run leaves it whole, and one in the tool folder too; what a
# run killed outright (kill -9) left, it removes.
shared=$work/shared
export APPDATA=$work/shared-appdata
mkdir -p "$shared/.quillmere-split-AAAAAAAAAA/src" "$APPDATA/.quillmere-tool-AAAAAAAAAA"
chmod 0777 "$shared"
echo "the user's own" >"$shared/.quillmere-split-AAAAAAAAAA/projects.txt"
echo "the user's own" >"$shared/.quillmere-split-AAAAAAAAAA/src/notes.txt"
echo "the user's own" >"$APPDATA/.quillmere-tool-AAAAAAAAAA/zipsplit"
ended_as "$work/killed.end" "$program" --split --size 20 --output "$shared" "$work/in/big.zip" >/dev/null 2>&1 &
run=$(pid_of "$work/killed.end")
killed() { find "$shared" "$APPDATA" -maxdepth 1 -name '.quillmere-*' ! -name '*AAAAAAAAAA' | sort; }
for _ in $(seq 100); do [ "$(killed | wc -l)" -ge 2 ] && break; sleep 0.02; done
kill -KILL "$run"
wait
[ "$(killed | wc -l)" -ge 2 ] || fail "the killed run left no folders to sweep: $(killed)"
"$program" --split --size 1 --output "$shared" "$work/in/small.zip" >/dev/null 2>"$work/err" || fail "$(cat "$work/err")"
[ -z "$(killed)" ] || fail "the killed run's folders stayed: $(killed)"
for kept in "$shared/.quillmere-split-AAAAAAAAAA/projects.txt" "$shared/.quillmere-split-AAAAAAAAAA/src/notes.txt" \
    "$APPDATA/.quillmere-tool-AAAAAAAAAA/zipsplit"; do
    [ "$(cat "$kept" 2>/dev/null)" = "the user's own" ] || fail "the sweep took a folder that was not a run's: $kept"
done
unset APPDATA

# The shell completion: options, ZIP files and folders, folders alone after --output.
mkdir -p "$work/complete/sub.d" && touch "$work/complete/a.zip" "$work/complete/B.ZIP" "$work/complete/notes.txt"
completions() { # words of the command line, the last one being completed
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _quillmere; printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}
# shellcheck source=../resources/quillmere.bash-completion
source "$(dirname "$0")/../resources/quillmere.bash-completion"
(
    cd "$work/complete"
    [ "$(completions quillmere --ou)" = "--output" ] || fail "options: $(completions quillmere --ou)"
    [ "$(completions quillmere --split '')" = "B.ZIP a.zip sub.d" ] || fail "files: $(completions quillmere --split '')"
    [ "$(completions quillmere --output '')" = "sub.d" ] || fail "--output: $(completions quillmere --output '')"
    [ "$(completions quillmere --output=s)" = "sub.d" ] || fail "--output=: $(completions quillmere --output=s)"
)
echo "batch mode behaves for scripts"
