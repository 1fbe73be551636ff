// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace qm {

class Toolkit;

// The open-file dialog `CommonDialog1` as the program drives it: set its properties, ShowOpen,
// read FileName. One chosen file comes back as its full path; several come back as the folder
// followed by the bare names, all separated by NUL characters. Cancelling leaves FileName as it
// was (the program empties it first).
class CommonDialog
{
public:
    // Error raised by ShowOpen when the chosen names do not fit the name buffer.
    static constexpr int kBufferTooSmall = 20476;
    static constexpr int kDefaultMaxFileSize = 30000;

    QString FileName;
    long Flags = 0;
    QString DialogTitle;
    QString Filter;                       // "description|pattern"
    QString InitDir;                      // the folder the dialog opens in
    int MaxFileSize = kDefaultMaxFileSize; // characters, terminating NULs included

    // Shows the dialog through the toolkit; throws AppError(kBufferTooSmall) on overflow, in
    // which case FileName is left unchanged.
    void ShowOpen(Toolkit &toolkit);

    // The text the dialog returns for `paths` (full paths in the dialog's order).
    static QString resultText(const QStringList &paths);
};

} // namespace qm
