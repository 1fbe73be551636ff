#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test as an ordinary user: as root (CI) it drops to nobody, whose permissions are a user's.
# usage: as_user.sh PROGRAM [ARGS...]
[ "$(id -u)" -ne 0 ] && exec "$@"
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
as_nobody test -x "$1" || { echo "as_user.sh: nobody cannot reach $1: build in a folder others may enter"; exit 1; }
exec setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
