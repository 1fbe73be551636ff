// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Mnemonics.h"

#include <QAbstractButton>
#include <QSet>

namespace qm {

namespace {

// Where the mnemonic goes in `caption`, or -1 when every letter is taken.
qsizetype freeLetter(const QString &caption, const QSet<QChar> &used)
{
    for (const bool initialsOnly : {true, false}) {
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const bool initial = i == 0 || !caption[i - 1].isLetterOrNumber();
            if (caption[i].isLetter() && (initial || !initialsOnly) && !used.contains(caption[i].toLower()))
                return i;
        }
    }
    return -1;
}

} // namespace

void AssignMnemonics(const QList<QAbstractButton *> &buttons)
{
    QSet<QChar> used;
    for (QAbstractButton *button : buttons) {
        QString caption = button->text();
        caption.remove(QLatin1Char('&')); // no caption of ours shows an ampersand
        const qsizetype at = freeLetter(caption, used);
        if (at >= 0) {
            used.insert(caption[at].toLower());
            caption.insert(at, QLatin1Char('&'));
        }
        button->setText(caption);
    }
}

} // namespace qm
