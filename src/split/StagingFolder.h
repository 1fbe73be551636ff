#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVector>

namespace qm {

// A private folder inside the output folder where zipsplit writes one archive's parts. zipsplit
// names parts after the first letters of the archive and replaces files silently, so it never
// writes into the output folder itself: finished parts are moved there without replacing
// anything. Whatever is left in the folder is removed with it.
class StagingFolder
{
public:
    struct Part
    {
        QString zipSplitName; // the name zipsplit gave the part
        QString savedAs;      // the name it has in the output folder
        bool renamed() const { return zipSplitName != savedAs; }
    };

    explicit StagingFolder(const QString &outputFolder);

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }

    // Moves every part into the output folder, under zipsplit's name when that is free and
    // otherwise under a free name that shows which archive it came from. All or nothing: when one
    // part cannot be moved, the ones already moved are taken back out and this returns false.
    bool moveParts(const QString &sourceArchive, QVector<Part> *moved);

    // Empties the folder for the next archive; false when it cannot be used any more.
    bool clear();
    // Removes the folder and everything still in it.
    void remove();
    const QString &outputFolder() const { return m_outputFolder; }

    // "<archive name>-<part name>.zip", then "... (2).zip" and so on for attempt 2, 3, ...
    static QString nameShowingSource(const QString &sourceArchive, const QString &partName, int attempt);

private:
    QString m_outputFolder;
    QTemporaryDir m_dir;
};

// Renames from into to only when nothing is at to; false with errno EEXIST when something is.
bool renameWithoutReplacing(const QString &from, const QString &to);

} // namespace qm
