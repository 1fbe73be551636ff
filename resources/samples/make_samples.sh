#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the sample archives: make_samples.sh GENERATOR STAGING OUTPUT_FOLDER
# The generator writes fixed content; fixed times and zip -X keep the archives byte-identical
# from one build to the next.
set -euo pipefail
generator=$1 staging=$2 out=$3
export TZ=UTC LC_ALL=C
"$generator" "$staging"
find "$staging" -exec touch -h -d '2015-06-20 12:00:00' {} +
mkdir -p "$out"
for archive in Letters Photos Reports Backup; do
    rm -f "$out/$archive.zip"
    (cd "$staging/$archive" && find . -type f | sed 's|^\./||' | sort | zip -X -q -9 "$out/$archive.zip" -@)
done
