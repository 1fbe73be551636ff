#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Brings the catalogues in step with the sources: new texts come in unfinished (translate them
# in Linguist), texts no longer in the sources go. quillmere_en holds only the plural forms
# English needs ("1 part", "%n parts"). The test translations_complete fails until every text
# has its translation.
# usage: update-translations.sh      (LUPDATE names another lupdate)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
for ts in "$root"/translations/quillmere_*.ts; do
    options=(-locations none -no-obsolete)
    [ "$(basename "$ts")" = quillmere_en.ts ] && options+=(-pluralonly)
    "$lupdate" "${options[@]}" "$root/src" -ts "$ts"
done
