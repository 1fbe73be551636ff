// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// cUnzip: the archive reader. One object stands for one ZIP archive: Directory lists
// it through the library binding (mUnzip) and keeps one entry per listed file; Unzip extracts or
// tests the selected entries into UnzipFolder.
//
// Differences from the 32-bit design, on purpose: sizes are 64-bit (an entry of 3 GB reads as
// 3 GB) and FilePackedSize overflows only beyond the 64-bit range; Unzip returns true for
// success. Indexed members throw AppError 9 for an index outside 1..FileCount.
//
// It calls the library it is given; without one it behaves as if the library were missing.
// The events are Qt signals meant for direct connections (by-reference answers).

#include "archive/UnzipLibrary.h"
#include "zip/ZipReader.h"
#include "archive/mUnzip.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// An entry's date as the library reports it (low 16 bits of each part); FileDate composes it,
// rolling over out-of-range parts the way a date serial does.
struct EntryStamp {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    QDateTime toDateTime() const;
};

class cUnzip : public QObject
{
    Q_OBJECT

public:
    explicit cUnzip(QObject *parent = nullptr);
    explicit cUnzip(std::shared_ptr<UnzipLibrary> library, QObject *parent = nullptr);
    ~cUnzip() override;

    bool ExtractOnlyNewer() const;
    void setExtractOnlyNewer(bool bState);
    bool SpaceToUnderScore() const;
    void setSpaceToUnderScore(bool bState);
    bool PromptToOverwrite() const;
    void setPromptToOverwrite(bool bState);
    std::int32_t MessageLevel() const;
    void setMessageLevel(std::int32_t eLevel);
    bool TestZip() const;
    void setTestZip(bool bState);
    bool UseFolderNames() const;
    void setUseFolderNames(bool bState);
    bool OverwriteExisting() const;
    void setOverwriteExisting(bool bState);
    bool ConvertCRToCRLF() const;
    void setConvertCRToCRLF(bool bState);
    // Stored in DCL.C_flag, which keeps Info-ZIP's meaning in libunzip32: 1 matches the include
    // names case-insensitively, so a selected "A.txt" also brings a deselected "a.txt".
    bool CaseSensitiveFileNames() const;
    void setCaseSensitiveFileNames(bool bState);

    std::int32_t FileCount() const;
    QString Filename(std::int32_t lIndex) const;
    QString FileDirectory(std::int32_t lIndex) const;
    std::int64_t FileSize(std::int32_t lIndex) const;
    std::int64_t FilePackedSize(std::int32_t lIndex) const;
    std::int32_t FileCompressionRatio(std::int32_t lIndex) const;
    QDateTime FileDate(std::int32_t lIndex) const;
    std::int32_t FileCRC(std::int32_t lIndex) const; // the CRC-32 bits read as signed
    QString FileCompressionMethod(std::int32_t lIndex) const;
    bool FileEncrypted(std::int32_t lIndex) const;
    bool FileSelected(std::int32_t lIndex) const;
    void setFileSelected(std::int32_t lIndex, bool bState);

    // Lists the archive, appending to the entries held. Returns the library's code as it came
    // (unzip32.h): 0, or e.g. 3 for a damaged directory, whose listable entries are still added;
    // -1 when the library could not be called.
    std::int32_t Directory();
    // Lists the archive as stored, for rewriting it: every record's fields and each entry's local
    // header, kept as StoredDirectory() (FileCount is left alone). The library's code, or -1
    // when it could not run (the stored directory then says NotZip).
    std::int32_t ListStored();
    const zip::Directory &StoredDirectory() const { return m_stored; }
    zip::Directory TakeStoredDirectory() { return std::move(m_stored); }

    // Extracts (or with TestZip tests) the selected entries. Their paths reach the library with
    // '*', '?' and '\' escaped, so each matches only itself. True when the library reported
    // success; false for any failure, an empty ZipFile, or a call that could not run.
    bool Unzip();

    void setUnzipFolder(const QString &sFolder);
    QString UnzipFolder() const;
    QString ZipFile() const;
    // Sets the archive path and empties the entry list (even for the same path).
    void setZipFile(const QString &sFIle);

    // The library's version (third version record) and its beta-level text padded to 10
    // characters; dDate receives the library's release date when it reads as one. Throws
    // AppError 53/453 when the library or its entry point is missing.
    void GetVersion(std::int32_t &lMajor, std::int32_t &lMinor, std::int32_t &lRevision,
                    QDateTime &dDate, QString &sExtraInfo);

    // Called by the binding (mUnzip) only.
    void AddDirectoryEntry(const QString &sFile, const QString &sFolder, const EntryStamp &dDate,
                           std::int64_t lSize, std::int32_t lCRC, bool bEncrypted,
                           std::int32_t lFactor, const QString &sMethod);
    // The same from the receive callback's bytes (locale encoding), without making a QString
    // of the name: a listing of many entries mostly never reads one.
    void AddListedEntry(const char *name, std::size_t nameLength, const QString &sFolder,
                        const EntryStamp &dDate, std::int64_t lSize, std::int32_t lCRC,
                        bool bEncrypted, std::int32_t lFactor, const QString &sMethod);
    void AdoptStoredDirectory(zip::Directory &&directory);
    void RaiseOverwritePrompt(const QString &sFile, std::int32_t &eResponse);
    void RaiseProgress(const QString &sMsg);
    void RaiseCancel(const QString &sMsg, bool &bCancel);
    void RaisePasswordRequest(QString &sPassword, bool &bCancel);

    // "folder\name" back to the archive path "folder/name" (the name alone for no folder); a '\'
    // within the name is kept.
    static QString BuildEntryPath(const QString &sFolder, const QString &sFile);

Q_SIGNALS:
    void Cancel(const QString &sMsg, bool &bCancel);
    void OverwritePrompt(const QString &sFIle, std::int32_t &eResponse);
    void PasswordRequest(QString &sPassword, bool &bCancel);
    void Progress(std::int32_t lCount, const QString &sMsg);

private:
    // 48 bytes an entry: the name lives as bytes in m_names, folder and method texts are shared
    // in small tables (consecutive entries mostly repeat them).
    struct Entry {
        std::uint64_t nameOffset = 0;
        std::uint32_t nameLength = 0;
        std::uint32_t folder = 0;
        std::int64_t size = 0;
        std::int32_t ratio = 0;
        std::int32_t crc = 0;
        std::uint32_t method = 0;
        EntryStamp date;
        bool encrypted = false;
        bool selected = true;
    };
    const Entry &entryAt(std::int32_t lIndex) const;
    Entry &entryAt(std::int32_t lIndex);
    static std::uint32_t intern(std::vector<QString> &table, const QString &text);
    void forgetStored();

    std::shared_ptr<UnzipLibrary> m_library;
    mUnzip::DclRecord m_dcl;
    QString m_zipFile;
    QString m_unzipFolder; // null until assigned
    std::vector<Entry> m_entries;
    std::string m_names;
    std::vector<QString> m_folders;
    std::vector<QString> m_methods;
    zip::Directory m_stored;
};

} // namespace qm
