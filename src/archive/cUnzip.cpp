// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/cUnzip.h"

#include "archive/UnzipLibrary.h"
#include "common/AppError.h"
#include "common/Paths.h"

#include <sys/stat.h>
#include <QFileInfo>

#include <cstring>

namespace qm {

QDateTime EntryStamp::toDateTime() const
{
    const int y = static_cast<std::int16_t>(year);
    const int m = static_cast<std::int16_t>(month);
    const int d = static_cast<std::int16_t>(day);
    const int h = static_cast<std::int16_t>(hour);
    const int mi = static_cast<std::int16_t>(minute);
    if (QDate::isValid(y, m, d) && h >= 0 && h < 24 && mi >= 0 && mi < 60) {
        const QDateTime exact(QDate(y, m, d), QTime(h, mi, 0));
        if (exact.isValid())
            return exact;
        // A local time a daylight-saving change skips: counted on from midnight, as below.
    }
    // Out-of-range parts roll over into the next unit, as a date serial does.
    const QDate first(y, 1, 1);
    if (!first.isValid())
        return QDateTime();
    const QDate date = first.addMonths(m - 1).addDays(d - 1);
    return QDateTime(date, QTime(0, 0)).addSecs(static_cast<qint64>(h) * 3600 + mi * 60);
}

cUnzip::cUnzip(QObject *parent) : cUnzip(nullptr, parent)
{
}

cUnzip::cUnzip(std::shared_ptr<UnzipLibrary> library, QObject *parent)
    : QObject(parent), m_library(std::move(library)), m_zipFile(QLatin1String(""))
{
    forgetStored();
}

cUnzip::~cUnzip()
{
    mUnzip::ReaderDestroyed(this);
}

bool cUnzip::ExtractOnlyNewer() const { return m_dcl.ExtractOnlyNewer != 0; }
void cUnzip::setExtractOnlyNewer(bool bState) { m_dcl.ExtractOnlyNewer = bState ? 1 : 0; }
bool cUnzip::SpaceToUnderScore() const { return m_dcl.SpaceToUnderscore != 0; }
void cUnzip::setSpaceToUnderScore(bool bState) { m_dcl.SpaceToUnderscore = bState ? 1 : 0; }
bool cUnzip::PromptToOverwrite() const { return m_dcl.PromptToOverwrite != 0; }
void cUnzip::setPromptToOverwrite(bool bState) { m_dcl.PromptToOverwrite = bState ? 1 : 0; }
std::int32_t cUnzip::MessageLevel() const { return m_dcl.fQuiet; }
void cUnzip::setMessageLevel(std::int32_t eLevel) { m_dcl.fQuiet = eLevel; }
bool cUnzip::TestZip() const { return m_dcl.ntflag != 0; }
void cUnzip::setTestZip(bool bState) { m_dcl.ntflag = bState ? 1 : 0; }
bool cUnzip::UseFolderNames() const { return m_dcl.ndflag != 0; }
void cUnzip::setUseFolderNames(bool bState) { m_dcl.ndflag = bState ? 1 : 0; }
bool cUnzip::OverwriteExisting() const { return m_dcl.noflag != 0; }
void cUnzip::setOverwriteExisting(bool bState) { m_dcl.noflag = bState ? 1 : 0; }
bool cUnzip::ConvertCRToCRLF() const { return m_dcl.naflag != 0; }
void cUnzip::setConvertCRToCRLF(bool bState) { m_dcl.naflag = bState ? 1 : 0; }
bool cUnzip::CaseSensitiveFileNames() const { return m_dcl.C_flag != 0; }
void cUnzip::setCaseSensitiveFileNames(bool bState) { m_dcl.C_flag = bState ? 1 : 0; }

std::int32_t cUnzip::FileCount() const
{
    return static_cast<std::int32_t>(m_entries.size());
}

const cUnzip::Entry &cUnzip::entryAt(std::int32_t lIndex) const
{
    if (lIndex < 1 || lIndex > FileCount())
        throw AppError::subscriptOutOfRange();
    return m_entries[static_cast<size_t>(lIndex - 1)];
}

cUnzip::Entry &cUnzip::entryAt(std::int32_t lIndex)
{
    if (lIndex < 1 || lIndex > FileCount())
        throw AppError::subscriptOutOfRange();
    return m_entries[static_cast<size_t>(lIndex - 1)];
}

QString cUnzip::Filename(std::int32_t lIndex) const
{
    const Entry &entry = entryAt(lIndex);
    return QString::fromLocal8Bit(m_names.data() + entry.nameOffset,
                                  static_cast<qsizetype>(entry.nameLength));
}

QString cUnzip::FileDirectory(std::int32_t lIndex) const { return m_folders[entryAt(lIndex).folder]; }
std::int64_t cUnzip::FileSize(std::int32_t lIndex) const { return entryAt(lIndex).size; }

std::int64_t cUnzip::FilePackedSize(std::int32_t lIndex) const
{
    const Entry &entry = entryAt(lIndex);
    std::int64_t product = 0;
    if (__builtin_mul_overflow(static_cast<std::int64_t>(entry.ratio), entry.size, &product))
        throw AppError::overflow();
    return product / 100; // truncates toward zero
}

std::int32_t cUnzip::FileCompressionRatio(std::int32_t lIndex) const { return entryAt(lIndex).ratio; }
QDateTime cUnzip::FileDate(std::int32_t lIndex) const { return entryAt(lIndex).date.toDateTime(); }
std::int32_t cUnzip::FileCRC(std::int32_t lIndex) const { return entryAt(lIndex).crc; }
QString cUnzip::FileCompressionMethod(std::int32_t lIndex) const { return m_methods[entryAt(lIndex).method]; }
bool cUnzip::FileEncrypted(std::int32_t lIndex) const { return entryAt(lIndex).encrypted; }
bool cUnzip::FileSelected(std::int32_t lIndex) const { return entryAt(lIndex).selected; }

void cUnzip::setFileSelected(std::int32_t lIndex, bool bState)
{
    entryAt(lIndex).selected = bState;
}

std::int32_t cUnzip::Directory()
{
    m_dcl.lpszZipFN = m_zipFile;
    m_dcl.lpszExtractDir = QString(1, QChar(u'\0'));
    m_dcl.nvflag = 1;
    // Room for the entries a listing of this size can hold, within reason: the split run lists
    // archives of 100,000 entries and more.
    struct stat st {};
    const qint64 length = ::stat(paths::toRaw(m_zipFile).constData(), &st) == 0 ? st.st_size : 0;
    if (length > 0) {
        const qint64 guess = std::min<qint64>(length / 96, 1 << 18); // at most 12 MB
        m_entries.reserve(m_entries.size() + static_cast<size_t>(guess));
    }
    std::int32_t includeCount = 0;
    std::int32_t excludeCount = 0;
    QStringList none(QString{});
    return mUnzip::RunUnzipLibrary(m_library.get(), *this, m_dcl, includeCount, none, excludeCount,
                                   none);
}

std::int32_t cUnzip::ListStored()
{
    m_dcl.lpszZipFN = m_zipFile;
    m_dcl.lpszExtractDir = QString(1, QChar(u'\0'));
    m_dcl.nvflag = 1;
    forgetStored();
    return mUnzip::RunStoredListing(m_library.get(), *this, m_dcl);
}

void cUnzip::AdoptStoredDirectory(zip::Directory &&directory)
{
    m_stored = std::move(directory);
}

// Until a listing hands one over, there is no archive to speak of.
void cUnzip::forgetStored()
{
    m_stored = zip::Directory();
    m_stored.problem = zip::Problem::NotZip;
}

// The library reads include names as patterns, in which '\' makes the next character literal.
static QString literalPattern(const QString &path)
{
    QString pattern;
    pattern.reserve(path.size());
    for (const QChar c : path) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('\\'))
            pattern.append(QLatin1Char('\\'));
        pattern.append(c);
    }
    return pattern;
}

bool cUnzip::Unzip()
{
    try {
        if (m_zipFile.isEmpty())
            return false;
        QStringList names;
        for (std::int32_t i = 1; i <= FileCount(); ++i) {
            if (m_entries[static_cast<size_t>(i - 1)].selected)
                names.append(literalPattern(BuildEntryPath(FileDirectory(i), Filename(i))));
        }
        auto count = static_cast<std::int32_t>(names.size());
        if (count == FileCount()) {
            names.clear();
            count = 0;
        }
        m_dcl.lpszZipFN = m_zipFile;
        m_dcl.nvflag = 0;
        m_dcl.lpszExtractDir = m_unzipFolder;
        std::int32_t excludeCount = 0;
        QStringList none;
        const std::int32_t code = mUnzip::RunUnzipLibrary(m_library.get(), *this, m_dcl, count,
                                                           names, excludeCount, none);
        return code == 0;
    } catch (...) {
        return false;
    }
}

void cUnzip::setUnzipFolder(const QString &sFolder)
{
    // An assigned folder is never "unassigned" again, even when empty.
    m_unzipFolder = sFolder.isNull() ? QLatin1String("") : sFolder;
}

QString cUnzip::UnzipFolder() const { return m_unzipFolder; }
QString cUnzip::ZipFile() const { return m_zipFile; }

void cUnzip::setZipFile(const QString &sFIle)
{
    m_zipFile = sFIle.isNull() ? QLatin1String("") : sFIle;
    forgetStored();
    m_entries.clear();
    m_names.clear();
    m_folders.clear();
    m_methods.clear();
}

void cUnzip::GetVersion(std::int32_t &lMajor, std::int32_t &lMinor, std::int32_t &lRevision,
                        QDateTime &dDate, QString &sExtraInfo)
{
    UzpVer2 record;
    std::memset(&record, 0, sizeof record);
    record.structlen = sizeof record;
    std::memcpy(record.betalevel, "         ", 10);
    std::memcpy(record.date, "                   ", 20);
    std::memcpy(record.zlib_version, "         ", 10);
    if (!m_library)
        throw AppError::fileNotFound(QStringLiteral("libunzip32.so"));
    m_library->version(record);
    const QByteArray beta(record.betalevel, static_cast<qsizetype>(::strnlen(record.betalevel, 10)));
    sExtraInfo = QString::fromLocal8Bit(beta).leftJustified(10, QLatin1Char(' '));
    lMajor = record.windll.major;
    lMinor = record.windll.minor;
    lRevision = record.windll.patchlevel;
    const QByteArray dateText(record.date, static_cast<qsizetype>(::strnlen(record.date, 20)));
    const QDate date = QDate::fromString(QString::fromLatin1(dateText).trimmed(), Qt::ISODate);
    if (date.isValid())
        dDate = QDateTime(date, QTime(0, 0));
}

void cUnzip::AddDirectoryEntry(const QString &sFile, const QString &sFolder, const EntryStamp &dDate,
                               std::int64_t lSize, std::int32_t lCRC, bool bEncrypted,
                               std::int32_t lFactor, const QString &sMethod)
{
    if (sFile.isEmpty() || (sFile.size() == 1 && sFile.at(0) == QChar(u'\0')))
        return;
    const QByteArray name = sFile.toLocal8Bit();
    AddListedEntry(name.constData(), static_cast<std::size_t>(name.size()), sFolder, dDate, lSize,
                   lCRC, bEncrypted, lFactor, sMethod);
}

static_assert(sizeof(EntryStamp) == 10, "packed date parts");

void cUnzip::AddListedEntry(const char *name, std::size_t nameLength, const QString &sFolder,
                            const EntryStamp &dDate, std::int64_t lSize, std::int32_t lCRC,
                            bool bEncrypted, std::int32_t lFactor, const QString &sMethod)
{
    if (!name || nameLength == 0 || (nameLength == 1 && name[0] == '\0'))
        return;
    if (nameLength > 0xFFFFFFFFu || m_entries.size() >= 0x7FFFFFFF)
        return; // beyond what a ZIP name or a Long count can be
    Entry entry;
    entry.nameOffset = m_names.size();
    entry.nameLength = static_cast<std::uint32_t>(nameLength);
    entry.folder = intern(m_folders, sFolder);
    entry.method = intern(m_methods, sMethod);
    entry.size = lSize;
    entry.ratio = lFactor;
    entry.crc = lCRC;
    entry.date = dDate;
    entry.encrypted = bEncrypted;
    entry.selected = true;
    m_names.append(name, nameLength);
    m_entries.push_back(entry);
}

// The index of text in table; a new text is added unless it equals the last one (or, for the
// few method names, any earlier one).
std::uint32_t cUnzip::intern(std::vector<QString> &table, const QString &text)
{
    if (!table.empty() && table.back() == text)
        return static_cast<std::uint32_t>(table.size() - 1);
    if (table.size() <= 64) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i] == text)
                return static_cast<std::uint32_t>(i);
        }
    }
    table.push_back(text);
    return static_cast<std::uint32_t>(table.size() - 1);
}

void cUnzip::RaiseOverwritePrompt(const QString &sFile, std::int32_t &eResponse)
{
    Q_EMIT OverwritePrompt(sFile, eResponse);
}

void cUnzip::RaiseProgress(const QString &sMsg)
{
    Q_EMIT Progress(1, sMsg);
}

void cUnzip::RaiseCancel(const QString &sMsg, bool &bCancel)
{
    Q_EMIT Cancel(sMsg, bCancel);
}

void cUnzip::RaisePasswordRequest(QString &sPassword, bool &bCancel)
{
    Q_EMIT PasswordRequest(sPassword, bCancel);
}

QString cUnzip::BuildEntryPath(const QString &sFolder, const QString &sFile)
{
    if (sFolder.isEmpty() || (sFolder.size() == 1 && sFolder.at(0) == QChar(u'\0')))
        return sFile;
    // The folder's '\' stand for '/'; a '\' in the name is part of the name.
    QString folder = sFolder;
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return folder + QLatin1Char('/') + sFile;
}

} // namespace qm
