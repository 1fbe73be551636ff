#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program in batch mode with no display at all: generated archives (one with a Cyrillic
# name, one without an extension) split into a folder, progress on standard error, exit statuses
# 0, 1 and 2, and the window's settings never touched; in German when the locale is German.
# usage: batch_split.sh QUILLMERE
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME" "$work/src" "$work/in" "$work/out"
for i in 1 2 3 4; do head -c 400000 /dev/urandom >"$work/src/part$i.bin"; done
(cd "$work/src" && zip -q -0 "$work/in/Фото.zip" part1.bin part2.bin part3.bin part4.bin)
(cd "$work/src" && zip -q -0 "$work/in/notes.zip" part1.bin part2.bin && mv "$work/in/notes.zip" "$work/in/notes")
quiet() { env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$program" "$@"; }
# The checks read English whatever the caller's language; the German run asks for German itself.
unset LANGUAGE LC_MESSAGES
export LC_ALL=C.UTF-8

status=0
quiet --split --size 1 --output "$work/out" "$work/in/Фото.zip" "$work/in/notes" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || { echo "exit $status"; cat "$work/err"; exit 1; }
grep -qx '\[1/2\] Фото.zip: 2 parts' "$work/err" || { echo "no progress line:"; cat "$work/err"; exit 1; }
grep -qx '\[2/2\] notes: 1 part' "$work/err" || { echo "no progress line:"; cat "$work/err"; exit 1; }
tail -n 1 "$work/err" | grep -qx "Done. Split 2 archives into 3 parts in $work/out." || { echo "no summary:"; cat "$work/err"; exit 1; }
# On a pipe the log holds the archives' lines alone; on a terminal one line is kept up to date in
# place (carriage return, erase to the end) and cleared before the archives' own lines.
! grep -q $'[\r\x1b]' "$work/err" || { echo "control characters on a pipe:"; cat -A "$work/err"; exit 1; }
mkdir -p "$work/outtty"
python3 -c 'import pty, sys; pty.spawn(sys.argv[1:])' env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
    "$program" --split --size 1 --output "$work/outtty" "$work/in/Фото.zip" "$work/in/notes" >"$work/tty"
grep -q $'\r\[1/2\] Фото.zip  [0-9]*%  .*\x1b\[K' "$work/tty" || { echo "no line in place:"; cat -A "$work/tty"; exit 1; }
tr -d '\r' <"$work/tty" | grep -q '^\[2/2\] notes: 1 part$' \
    || tr '\r' '\n' <"$work/tty" | sed 's/\x1b\[K//g' | grep -qx '\[2/2\] notes: 1 part' \
    || { echo "archive line lost on a terminal:"; cat -A "$work/tty"; exit 1; }
mkdir -p "$work/outde"
LC_ALL=de_DE.UTF-8 quiet --split --size 1 --output "$work/outde" "$work/in/Фото.zip" "$work/in/notes" \
    2>"$work/err" || { cat "$work/err"; exit 1; }
{ grep -qx '\[1/2\] Фото.zip: 2 Teile' "$work/err" && grep -qx '\[2/2\] notes: 1 Teil' "$work/err" \
    && tail -n 1 "$work/err" | grep -q '^Fertig\. 2 Archive in 3 Teile aufgeteilt'; } || { echo "not in German:"; cat "$work/err"; exit 1; }
entries=$(for f in "$work/out"/*.zip; do unzip -tqq "$f" >/dev/null && unzip -Z1 "$f"; done | sort | xargs)
[ "$entries" = "part1.bin part1.bin part2.bin part2.bin part3.bin part4.bin" ] || { echo "entries: $entries"; exit 1; }

# Scripts: a folder that does not exist yet is made, standard output lists every part made,
# --quiet leaves standard error to failures, a usage error is one line and a hint.
quiet --split --parts=2 --quiet --output="$work/new/deeper" "$work/in/Фото.zip" "$work/in/notes" \
    >"$work/parts" 2>"$work/err" || { cat "$work/err"; exit 1; }
[ ! -s "$work/err" ] || { echo "--quiet still wrote:"; cat "$work/err"; exit 1; }
[ "$(wc -l <"$work/parts")" -eq "$(find "$work/new/deeper" -name '*.zip' | wc -l)" ] || { cat "$work/parts"; exit 1; }
while read -r part; do unzip -tqq "$part" >/dev/null || { echo "listed part $part"; exit 1; }; done <"$work/parts"
touch "$work/a-file"
status=0
quiet --split --size 1 --output "$work/a-file" "$work/in/notes" 2>"$work/err" || status=$?
[ "$status" -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 2 ] || { echo "exit $status"; cat "$work/err"; exit 1; }
grep -qx "Try 'quillmere --help' for more information." "$work/err" || { cat "$work/err"; exit 1; }

# A reader that goes away (| head -1) does not end the run: every archive is split, nothing stays.
mkdir -p "$work/piped"
for i in 1 2 3 4 5 6; do cp "$work/in/Фото.zip" "$work/in/p$i.zip"; done
status=0
quiet --split --size 1 --output "$work/piped" "$work/in"/p?.zip 2>&1 | head -1 >/dev/null || status=$?
[ "$(find "$work/piped" -name '*.zip' | wc -l)" -eq 12 ] || { echo "a closed pipe cut the run short"; ls -A "$work/piped"; exit 1; }
[ -z "$(find "$work/piped" -name '.quillmere-*')" ] || { echo "a closed pipe left a folder behind"; exit 1; }

# A name in Windows-1251 ("Отчёт.zip", not UTF-8): opened by its bytes, parts named by them too.
eight="$work/in/$(printf '\316\362\367\270\362').zip"
cp "$work/in/Фото.zip" "$eight"
mkdir -p "$work/out8"
quiet --split --size 1 --output "$work/out8" "$eight" 2>"$work/err" || { echo "8-bit name:"; cat "$work/err"; exit 1; }
[ "$(find "$work/out8" -name '*.zip' | wc -l)" -eq 2 ] || { echo "8-bit name: parts"; ls "$work/out8"; exit 1; }
[ -f "$work/out8/$(printf '\316\362\367\270\362')2.zip" ] || { echo "8-bit name: part names"; ls "$work/out8"; exit 1; }

# A name that would drive a terminal (set its title, clear the screen, hide the lines before it):
# escaped wherever people read it, on a terminal too; standard output keeps its bytes.
hostile=$(printf 'x\033]2;OWNED-TITLE\007\033[2J')
cp "$work/in/Фото.zip" "$work/in/$hostile.zip"
echo "plain text" >"$work/in/$hostile-text.zip"
mkdir -p "$work/outesc" "$work/outesctty"
status=0
quiet --split --size 1 --output "$work/outesc" "$work/in/$hostile.zip" "$work/in/$hostile-text.zip" \
    >"$work/paths" 2>"$work/err" || status=$?
{ [ "$status" -eq 1 ] && ! grep -q $'[\x1b\x07]' "$work/err" \
    && grep -qxF '[2/2] x\033]2;OWNED-TITLE\007\033[2J-text.zip: it is not a ZIP archive, or it is damaged.' "$work/err" \
    && tail -n 1 "$work/err" | grep -q '^1 archive could not be split\. Split 1 archive into 2 parts in '; } \
    || { echo "a name with control characters, exit $status:"; cat -A "$work/err"; exit 1; }
[ "$(sort "$work/paths")" = "$(printf '%s\n' "$work/outesc"/* | sort)" ] && [ "$(grep -c $'\x1b' "$work/paths")" -eq 2 ] \
    || { echo "standard output lost the name's bytes:"; cat -A "$work/paths"; exit 1; }
python3 -c 'import pty, sys; pty.spawn(sys.argv[1:])' sh -c 'exec "$@" >/dev/null' sh env -u DISPLAY -u QT_QPA_PLATFORM \
    -u WAYLAND_DISPLAY "$program" --split --size 1 --output "$work/outesctty" "$work/in/$hostile.zip" >"$work/tty"
{ grep -qF '[1/1] x\033]2;OWNED-TITLE\007\033[2J.zip  ' "$work/tty" && ! sed 's/\x1b\[K//g' "$work/tty" | grep -q $'[\x1b\x07]'; } \
    || { echo "a name with control characters on a terminal:"; cat -A "$work/tty"; exit 1; }

# The tool is written only as a new file, never through a link (O_EXCL, O_NOFOLLOW), and the
# staging folder's source folder is entered without following links.
mkdir -p "$work/traced"
# (LeakSanitizer cannot run under a tracer: a sanitizer build checks leaks in the other runs.)
strace -f -qq -e trace=openat -o "$work/trace" env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
    ASAN_OPTIONS=detect_leaks=0 "$program" --split --size 1 --output "$work/traced" "$work/in/Фото.zip" 2>/dev/null \
    || { echo "the traced run failed"; exit 1; }
grep -q '"zipsplit", O_WRONLY|O_CREAT|O_EXCL|O_NOFOLLOW|O_CLOEXEC' "$work/trace" \
    || { echo "the tool was not written as a new file without following links:"; grep zipsplit "$work/trace"; exit 1; }
grep '"src", ' "$work/trace" | grep -q 'O_NOFOLLOW' \
    || { echo "the staging source folder was opened following links:"; grep '"src"' "$work/trace"; exit 1; }

# A dry run prints the plan and writes nothing.
mkdir -p "$work/dry"
quiet --split --parts 2 --dry-run --output "$work/dry" "$work/in/Фото.zip" 2>"$work/err" || { cat "$work/err"; exit 1; }
grep -Eqx '\[1/1\] Фото.zip: 2 parts, largest [0-9,]+ bytes, split size [0-9,]+' "$work/err" || { cat "$work/err"; exit 1; }
[ -z "$(ls -A "$work/dry")" ] || { echo "a dry run wrote"; ls -A "$work/dry"; exit 1; }

echo "plain text" >"$work/in/readme.zip"
status=0
quiet --split --parts 2 --output "$work/out" "$work/in/readme.zip" 2>"$work/err" || status=$?
[ "$status" -eq 1 ] || { echo "a failed archive gave exit $status"; cat "$work/err"; exit 1; }
grep -q 'readme.zip: it is not a ZIP archive' "$work/err" || { cat "$work/err"; exit 1; }
tail -n 1 "$work/err" | grep -qx "1 archive could not be split. No archive was split." || { cat "$work/err"; exit 1; }
# A dry run says "Done." only when every archive could be split.
status=0
quiet --split --parts 2 --dry-run --output "$work/dry" "$work/in/Фото.zip" "$work/in/readme.zip" 2>"$work/err" \
    || status=$?
[ "$status" -eq 1 ] && tail -n 1 "$work/err" | grep -qx "1 archive could not be split." || { cat "$work/err"; exit 1; }

status=0
quiet --split --size 1 "$work/in/Фото.zip" 2>"$work/err" || status=$?
[ "$status" -eq 2 ] || { echo "a usage error gave exit $status"; exit 1; }
[ ! -e "$HOME/.config/Veltrane" ] || { echo "batch mode wrote the window's settings"; exit 1; }

# Parts that cannot be moved into the output folder (every name they could take is taken): that
# archive fails saying so, the next is split, and nothing is left behind.
mkdir -p "$work/taken"
cp "$work/in/Фото.zip" "$work/in/a.zip" && cp "$work/in/Фото.zip" "$work/in/b.zip"
touch "$work/taken/a1.zip" "$work/taken/a-a1.zip"
for i in $(seq 2 999); do touch "$work/taken/a-a1 ($i).zip"; done
status=0
quiet --split --size 1 --jobs 1 --output "$work/taken" "$work/in/a.zip" "$work/in/b.zip" >/dev/null 2>"$work/err" || status=$?
[ "$status" -eq 1 ] || { echo "parts that cannot be moved in: exit $status"; cat "$work/err"; exit 1; }
grep -qx '\[1/2\] a.zip: its parts could not be moved into the output folder.' "$work/err" \
    && grep -qx '\[2/2\] b.zip: 2 parts' "$work/err" || { cat "$work/err"; exit 1; }
[ -z "$(find "$work/taken" "$HOME" -name '.quillmere-*')" ] || { echo "left behind after parts not moved in"; exit 1; }

# Why an archive was not split, when the machine is the reason: APPDATA naming a folder that is
# not there, and /proc not mounted (the run reaches the files it holds open through it).
mkdir -p "$work/why"
status=0
APPDATA=$work/no/appdata quiet --split --size 1 --output "$work/why" "$work/in/notes" 2>"$work/err" || status=$?
[ "$status" -eq 1 ] && grep -qx "\[1/1\] notes: the splitting tool could not be started: Path not found: $work/no/appdata (No such file or directory)." "$work/err" \
    || { echo "APPDATA missing: exit $status"; cat "$work/err"; exit 1; }
if unshare -m true 2>/dev/null; then
    for dry in "" --dry-run; do
        status=0
        env -u DISPLAY -u QT_QPA_PLATFORM unshare -m sh -c 'umount /proc && exec "$@"' sh \
            "$program" --split $dry --size 1 --output "$work/why" "$work/in/notes" 2>"$work/err" || status=$?
        [ "$status" -eq 1 ] && grep -qx '\[1/1\] notes: /proc is not mounted, and the split reaches the files it has open through it.' "$work/err" \
            || { echo "/proc not mounted ($dry): exit $status"; cat "$work/err"; exit 1; }
    done
else
    echo "(no mount namespace here: /proc not mounted is not tried)"
fi
[ -z "$(find "$work/why" "$HOME" -name '.quillmere-*')" ] && [ -z "$(ls -A "$work/why")" ] || { echo "left in $work/why"; exit 1; }

# Ctrl+C once the first archive is done: the rest are named as not split, nothing is left behind.
mkdir -p "$work/many" "$work/out2"
for i in $(seq -w 1 60); do cp "$work/in/Фото.zip" "$work/many/m$i.zip"; done
# (A job a script starts has SIGINT ignored, and an ignored signal stays so: this one has it back.)
env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY python3 -c \
    'import os, signal, sys; signal.signal(signal.SIGINT, signal.SIG_DFL); os.execvp(sys.argv[1], sys.argv[1:])' \
    "$program" --split --size 1 --output "$work/out2" "$work/many"/*.zip 2>"$work/err" &
batch=$! # env and python3 exec the program in their own process: this is the program's pid
for _ in $(seq 1 200); do grep -q '^\[1/60\]' "$work/err" && break; sleep 0.05; done
kill -INT "$batch"
status=0
wait "$batch" || status=$?
[ "$status" -eq 130 ] || { echo "Ctrl+C gave exit $status, not death by SIGINT"; cat "$work/err"; exit 1; }
stopped=$(grep -c ': stopped before it was split\.$' "$work/err")
grep -q "Splitting was stopped before $stopped archives\." "$work/err" || { echo "no stop summary:"; cat "$work/err"; exit 1; }
grep -q 'm60.zip: stopped before it was split.' "$work/err" || { cat "$work/err"; exit 1; }
for f in "$work/out2"/*.zip; do unzip -tqq "$f" >/dev/null || { echo "damaged part $f"; exit 1; }; done
[ -z "$(find "$work/out" "$work/out2" "$HOME" -name '.quillmere-*')" ] || { echo "left behind"; exit 1; }
echo "batch mode: splits (8-bit names too), dry runs, reports (in German too), exit statuses 0, 1, 2, Ctrl+C stops cleanly, no settings, nothing left behind"
