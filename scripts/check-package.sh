#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with CPack, unpacks it into a scratch root and checks what it installs.
# Usage: scripts/check-package.sh [--no-run] [build-dir]   (build-dir defaults to build)
#   --no-run  skip running the unpacked program's --version and a batch split of the samples
set -euo pipefail
cd "$(dirname "$0")/.."

run=1
if [ "${1:-}" = "--no-run" ]; then
    run=0
    shift
fi
build=${1:-build}

bash scripts/setup-deps.sh

fail() { echo "check-package: $*" >&2; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/quillmere_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/quillmere_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one quillmere_*.deb in $build"
deb=${debs[0]}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg -x "$deb" "$root"

# Control fields: the name, and Depends from the binaries (Qt for the program, libzip for the
# library), not the zip package (zipsplit is inside the program).
[ "$(dpkg-deb -f "$deb" Package)" = quillmere ] || fail "package name is not quillmere"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libzip; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -Eq '(^|[ ,])zip([ ,(]|$)' <<<"$depends" && fail "Depends names zip: $depends"
version=$(dpkg-deb -f "$deb" Version)
# The zipsplit inside is declared as the zip it was built from.
built_using=$(dpkg-deb -f "$deb" Built-Using)
zip_source=$(dpkg-query -W -f='${source:Package} (= ${source:Version})' zip)
[ "$built_using" = "$zip_source" ] || fail "Built-Using is '$built_using', not '$zip_source'"

# The program, its library and samples live in a private folder under the architecture's library
# folder (no ldconfig for it); /usr/bin/quillmere is a relative link there.
libdir=lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/quillmere
app=$root/usr/$libdir
id=example.quillmere.Quillmere
for f in usr/bin/quillmere usr/$libdir/quillmere usr/$libdir/libunzip32.so usr/$libdir/HAND-M.CUR \
         usr/$libdir/x/o.cjs usr/$libdir/Samples/Letters.zip usr/$libdir/Samples/Photos.zip \
         usr/$libdir/Samples/Reports.zip usr/$libdir/Samples/Backup.zip \
         usr/share/applications/$id.desktop usr/share/icons/hicolor/scalable/apps/$id.svg \
         usr/share/metainfo/$id.metainfo.xml usr/share/man/man1/quillmere.1.gz \
         usr/share/bash-completion/completions/quillmere \
         usr/share/doc/quillmere/copyright usr/share/doc/quillmere/changelog.gz; do
    [ -f "$root/$f" ] || fail "missing /$f"
done
for size in 16 24 32 48 64 128 256; do
    [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "no ${size} px icon"
done
[ "$(readlink "$root/usr/bin/quillmere")" = "../$libdir/quillmere" ] \
    || fail "/usr/bin/quillmere is not a relative link to /usr/$libdir/quillmere"
grep -q 'Info-ZIP' "$root/usr/share/doc/quillmere/copyright" || fail "the copyright file lacks Info-ZIP's licence"

# Debian's own checks: no error and no warning.
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EW]: ' || true)
[ -z "$lintian_out" ] || fail "lintian: $lintian_out"
for elf in "$app/quillmere" "$app/libunzip32.so"; do
    if ldd "$elf" | grep -q 'not found'; then fail "$(ldd "$elf" | grep 'not found')"; fi
done

# Desktop entry, metainfo (alone and against the tree: desktop file and icon found), manual page.
desktop=$root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop"
grep -qx 'Exec=quillmere %F' "$desktop" || fail "desktop file lacks Exec=quillmere %F"
grep -qx 'MimeType=application/zip;' "$desktop" || fail "desktop file lacks MimeType=application/zip;"
grep -qx 'StartupNotify=true' "$desktop" || fail "desktop file lacks StartupNotify=true"
grep -qx "Icon=$id" "$desktop" || fail "desktop file's icon is not $id"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
appstreamcli validate-tree --no-net "$root" >/dev/null
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/quillmere.1.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "manual page: $man_warnings"

# The program runs with a scratch home, away from the user's settings and data.
isolated=(env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u APPDATA)

# The window starts from the unpacked tree and stays up until stopped (124: ended by timeout).
mkdir -p "$scratch/window-home"
status=0
"${isolated[@]}" HOME="$scratch/window-home" QT_QPA_PLATFORM=offscreen \
    timeout 3 "$root/usr/bin/quillmere" >/dev/null 2>&1 || status=$?
[ $status -eq 124 ] || fail "the window did not stay up (exit status $status)"

if [ $run -eq 1 ]; then
    # No display at all, and a home of its own: batch mode must leave the settings store alone.
    nodisplay=("${isolated[@]}" -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY
               HOME="$scratch/batch-home")
    mkdir -p "$scratch/batch-home" "$scratch/out"
    out=$("${nodisplay[@]}" timeout 60 "$root/usr/bin/quillmere" --version) || fail "--version failed"
    grep -qF "$version" <<<"$out" || fail "--version does not print $version: $out"
    grep -qF "(Debian $(dpkg-query -W -f='${source:Package} ${source:Version}' zip))" <<<"$out" \
        || fail "--version does not name the zip it carries: $out"

    samples=("$app"/Samples/*.zip)
    status=0
    "${nodisplay[@]}" timeout 300 "$root/usr/bin/quillmere" --split --size 1 --output "$scratch/out" \
        "${samples[@]}" 2>"$scratch/progress" >"$scratch/parts" || status=$?
    [ $status -eq 0 ] || { cat "$scratch/progress" >&2; fail "batch split exited with $status"; }
    for s in "${samples[@]}"; do
        grep -Eq "^\[[0-9]+/${#samples[@]}\] $(basename "$s"): " "$scratch/progress" \
            || { cat "$scratch/progress" >&2; fail "no progress line for $(basename "$s")"; }
    done
    parts=("$scratch"/out/*.zip)
    [ -f "${parts[0]}" ] || fail "the batch split made no parts"
    [ ${#parts[@]} -gt ${#samples[@]} ] || fail "only ${#parts[@]} parts from ${#samples[@]} samples at 1 MB"
    # Every part is a sound archive, and together they hold exactly the samples' entries.
    for p in "${parts[@]}"; do unzip -tqq "$p" || fail "damaged part $(basename "$p")"; done
    cmp -s <(for s in "${samples[@]}"; do zipinfo -1 "$s"; done | sort) \
           <(for p in "${parts[@]}"; do zipinfo -1 "$p"; done | sort) \
        || fail "the parts do not hold the samples' entries"
    [ -z "$(find "$scratch/batch-home" -name '*.conf')" ] || fail "batch mode wrote a settings file"
    leftovers=$(find "$scratch/out" "$scratch/batch-home" -name '.quillmere-*')
    [ -z "$leftovers" ] || fail "the run left its staging or tool folders: $leftovers"
fi

echo "check-package: $(basename "$deb") ($(stat -c %s "$deb") bytes) passed$([ $run -eq 1 ] || echo ' (--no-run)')"
