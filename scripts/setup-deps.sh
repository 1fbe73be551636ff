#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Quillmere builds, runs and tests with. Safe to run again.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools qt6-translations-l10n
    locales libzip-dev zip unzip p7zip-full libarchive-tools ziptool strace gdb dbus-daemon
    xvfb xauth x11-utils fonts-liberation
    clang libclang-rt-14-dev
    dpkg-dev file desktop-file-utils appstream man-db lintian
)

# The locales a desktop has: zipsplit and the program must behave the same with them as without.
desktop_locales=(en_US.UTF-8 de_DE.UTF-8)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

for l in "${desktop_locales[@]}"; do
    locale -a | grep -qix "${l%.UTF-8}.utf8" && continue
    "${sudo_cmd[@]}" sed -i -E "s/^# *($l UTF-8)/\\1/" /etc/locale.gen
    grep -qx "$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null
done
