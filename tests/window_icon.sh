#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program's window on a virtual X display: the window manager gets its icon
# (_NET_WM_ICON), and its WM_CLASS class is the desktop file's StartupWMClass, so docks and
# task bars put the window with its menu entry.
# usage: window_icon.sh QUILLMERE DESKTOP-FILE
set -euo pipefail
program=$(readlink -f "$1")
desktop=$2
for tool in xvfb-run xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup-deps.sh"; exit 1; }
done
if [ -z "${QM_ON_VIRTUAL_DISPLAY:-}" ]; then
    # xvfb-run -a can hand out a display whose server another run is starting or leaving; the
    # program finds no display there, and 75 from below asks for another one. The verdict comes
    # from the check itself: xvfb-run's own clean-up can fail after it (exit 5) on a busy machine.
    verdict=$(mktemp)
    trap 'rm -f "$verdict"' EXIT
    for _ in 1 2 3; do
        status=0
        QM_ON_VIRTUAL_DISPLAY=1 QM_VERDICT=$verdict xvfb-run -a bash "$0" "$@" || status=$?
        [ -s "$verdict" ] && exit 0
        [ "$status" -eq 75 ] || exit "$status"
    done
    echo "no virtual display in three tries"
    exit 1
fi

xwininfo -root >/dev/null 2>&1 || exit 75
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" >"$work/out" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

# The program's leader window shares the title but has no class: the window is the one with both.
# Mapped means created, so every property the window is born with is set by then.
window=
for _ in $(seq 1 100); do
    id=$(xwininfo -root -children | awk '$2 == "\"Quillmere\":" && $3 ~ /^\("/ && !n++ { print $1 }')
    if [ -n "$id" ] && xwininfo -id "$id" | grep -q 'IsViewable'; then window=$id; break; fi
    if ! kill -0 "$pid" 2>/dev/null; then
        grep -qi 'display' "$work/out" && exit 75
        echo "the program ended:"; cat "$work/out"; exit 1
    fi
    sleep 0.1
done
[ -n "$window" ] || { echo "no window in 10 s"; cat "$work/out"; exit 1; }

# Into a file first: grep -q ending early would make the icon's long listing fail on a closed pipe.
xprop -id "$window" _NET_WM_ICON >"$work/icon"
grep -q '^_NET_WM_ICON(CARDINAL) = ' "$work/icon" || { echo "the window has no icon (_NET_WM_ICON)"; exit 1; }
class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
wanted=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[ -n "$wanted" ] || { echo "$desktop has no StartupWMClass"; exit 1; }
[ "$class" = "$wanted" ] || { echo "WM_CLASS class '$class', desktop file's StartupWMClass '$wanted'"; exit 1; }
echo "window: icon set, WM_CLASS class $class as in the desktop file"
echo passed >"$QM_VERDICT"
