#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every text of the program has its translation and the catalogues hold nothing else: lupdate
# over the sources onto copies of translations/*.ts must leave no message unfinished, vanished or
# obsolete, no plural form empty, and every translation must keep its text's placeholders, its
# carriage returns (the boxes' line breaks) and its closing punctuation. Fails naming the texts;
# scripts/update-translations.sh brings new ones in.
# usage: translations_complete.sh LUPDATE SOURCE_DIR
set -euo pipefail
lupdate=$1
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/translations/quillmere_*.ts "$work/"
for ts in "$work"/quillmere_*.ts; do
    only=()
    [ "$(basename "$ts")" = quillmere_en.ts ] && only=(-pluralonly) # English needs its plurals only
    "$lupdate" -silent -locations none "${only[@]}" "$root/src" -ts "$ts"
done
python3 - "$work"/quillmere_*.ts <<'PY'
import os, re, sys, xml.etree.ElementTree as ET

def text(e):  # lupdate writes a carriage return as <byte value="xd"/>
    out = e.text or ''
    for child in e:
        out += chr(int(child.get('value').lstrip('x'), 16)) if child.tag == 'byte' else ''
        out += child.tail or ''
    return out

def shape(s):  # what a translation keeps: %1..%9, the boxes' line breaks, the closing mark
    return sorted(re.findall(r'%L?\d', s)), s.count('\r'), s[-1:] if s[-1:] in ('.', ':', '?', '\n') else ''


problems = []
for path in sys.argv[1:]:
    for context in ET.parse(path).getroot().iter('context'):
        for message in context.iter('message'):
            source = text(message.find('source'))
            translation = message.find('translation')
            forms = [text(f) for f in translation.iter('numerusform')] or [text(translation)]
            kind = translation.get('type')
            if kind in ('unfinished', 'vanished', 'obsolete'):
                problem = kind
            elif not all(forms):
                problem = 'empty'
            elif any(shape(f) != shape(source) for f in forms):
                problem = 'placeholders, line breaks or closing mark differ'
            else:
                continue
            problems.append('%s: %s: %s: %r' % (os.path.basename(path), problem, context.findtext('name'), source))
if problems:
    sys.exit('\n'.join(problems))
PY
echo "translations: every text translated, nothing left over"
