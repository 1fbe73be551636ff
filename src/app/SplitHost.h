// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

namespace qm {

class UnzipLibrary;

// What the split run needs from the main window, kept free of widgets so the run is plain logic.
class SplitHost
{
public:
    virtual ~SplitHost() = default;

    virtual QString outputFolderText() const = 0;           // Text1
    virtual void setOutputFolderText(const QString &text) = 0;
    virtual void focusOutputFolder() = 0;
    virtual void focusSizeField() {}                        // Text2
    virtual QString sizeText() const = 0;                   // Text2
    virtual bool partsSelected() const = 0;                 // Option2
    virtual QString partsText() const = 0;                  // Text3
    virtual void focusPartsField() {}                       // Text3
    virtual int rowCount() const = 0;                       // ListView1
    virtual QString rowText(int index) const = 0;           // 1-based
    virtual void setProgress(double value) = 0;             // ProgressBar1, 0..100
    virtual void setProgressText(const QString &text) { Q_UNUSED(text) } // on the bar; "" none
    virtual void setMousePointer(int shape) = 0;
    virtual void setRunning(bool running) = 0;              // locks the list while a run lasts
    // The archive reader's library, kept (and loaded ahead) by a host that lives long; none:
    // each run loads its own.
    virtual std::shared_ptr<UnzipLibrary> archiveLibrary() { return nullptr; }
    // Row `row` of `rows` is done: split into `parts` parts, or not, and `failure` says why.
    virtual void archiveDone(int row, int rows, const QString &archive, int parts, const QString &failure)
    {
        Q_UNUSED(row) Q_UNUSED(rows) Q_UNUSED(archive) Q_UNUSED(parts) Q_UNUSED(failure)
    }

};

} // namespace qm
