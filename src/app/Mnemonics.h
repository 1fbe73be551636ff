// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

class QAbstractButton;

namespace qm {

// Gives each button an Alt+letter of its own caption, in whatever language the captions are:
// in list order, the first free initial of a word, else the first free letter. A caption is
// taken as it stands, without an earlier mnemonic; one with no free letter gets none.
void AssignMnemonics(const QList<QAbstractButton *> &buttons);

} // namespace qm
