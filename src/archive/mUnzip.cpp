// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/mUnzip.h"

#include "archive/UnzipLibrary.h"
#include "zip/ZipReader.h"
#include "archive/cUnzip.h"
#include "common/Paths.h"

#include <cstring>
#include <vector>

namespace qm::mUnzip {

namespace {

// Longest entry path read from the library. The design cut paths at 256 bytes, which could turn
// a long path ending in a folder into a dropped entry; ZIP paths are at most 65535 bytes.
constexpr size_t kMaxPathBytes = 65536;
constexpr size_t kMaxMethodBytes = 256;
constexpr size_t kMaxReplaceBytes = 32801;
constexpr int kMaxPasswordBytes = 254;

thread_local CallScope *t_current = nullptr;

// Slots 0..n-1 hold the names, slot n the empty text; at least 1024 slots (no 1023-name limit).
std::vector<char *> nameSlots(std::int32_t count, const QStringList &names,
                              std::vector<QByteArray> &storage)
{
    const std::int32_t n = count <= 0 ? 0 : std::min<std::int32_t>(count, names.size());
    std::vector<char *> slots(std::max<size_t>(1024, static_cast<size_t>(n) + 1), nullptr);
    storage.clear();
    storage.reserve(static_cast<size_t>(n) + 1);
    for (std::int32_t i = 0; i < n; ++i)
        storage.push_back(names.at(i).toLocal8Bit());
    storage.push_back(QByteArray(""));
    for (size_t i = 0; i < storage.size(); ++i)
        slots[i] = const_cast<char *>(storage[i].constData());
    return slots;
}

QByteArray encodeText(const QString &text)
{
    return text.isNull() ? QByteArray() : paths::toRaw(text);
}

const char *pointerTo(const QByteArray &bytes)
{
    return bytes.isNull() ? nullptr : bytes.constData();
}

QString readText(const char *text, size_t limit)
{
    if (!text)
        return QString();
    return QString::fromLocal8Bit(text, static_cast<qsizetype>(::strnlen(text, limit)));
}

// Spaces around a typed password are dropped; a tab or line end may be part of it.
QString withoutOuterSpaces(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

USERFUNCTIONS callbackRecord()
{
    USERFUNCTIONS callbacks;
    std::memset(&callbacks, 0, sizeof callbacks);
    callbacks.print = PrintCallback;
    callbacks.sound = nullptr;
    callbacks.replace = ReplaceCallback;
    callbacks.password = PasswordCallback;
    callbacks.SendApplicationMessage = ReceiveDirEntry;
    callbacks.ServCallBk = ServiceCallback;
    return callbacks;
}

// The library's record from the reader's; the two texts point into zipName and extractDir.
DCL dclRecord(const DclRecord &options, const QByteArray &zipName, const QByteArray &extractDir)
{
    DCL dcl;
    std::memset(&dcl, 0, sizeof dcl);
    dcl.ExtractOnlyNewer = options.ExtractOnlyNewer;
    dcl.SpaceToUnderscore = options.SpaceToUnderscore;
    dcl.PromptToOverwrite = options.PromptToOverwrite;
    dcl.fQuiet = options.fQuiet;
    dcl.ncflag = options.ncflag;
    dcl.ntflag = options.ntflag;
    dcl.nvflag = options.nvflag;
    dcl.nfflag = options.nfflag;
    dcl.nzflag = options.nzflag;
    dcl.ndflag = options.ndflag;
    dcl.noflag = options.noflag;
    dcl.naflag = options.naflag;
    dcl.nZIflag = options.nZIflag;
    dcl.C_flag = options.C_flag;
    dcl.fPrivilege = options.fPrivilege;
    dcl.lpszZipFN = pointerTo(zipName);
    dcl.lpszExtractDir = pointerTo(extractDir);
    return dcl;
}

cUnzip *currentReader()
{
    return t_current ? t_current->reader : nullptr;
}

} // namespace

CallScope::CallScope(cUnzip &running) : reader(&running), previous(t_current)
{
    t_current = this;
}

CallScope::~CallScope()
{
    t_current = previous;
}

CallScope *CallScope::current()
{
    return t_current;
}

void ReaderDestroyed(const cUnzip *reader)
{
    for (CallScope *scope = t_current; scope; scope = scope->previous) {
        if (scope->reader == reader)
            scope->reader = nullptr;
    }
}

std::int32_t RunUnzipLibrary(UnzipLibrary *library, cUnzip &reader, DclRecord &options,
                             std::int32_t &lIncludeCount, QStringList &includeNames,
                             std::int32_t &lExcludeCount, QStringList &excludeNames)
{
    CallScope scope(reader);
    try {
        std::vector<QByteArray> includeStorage;
        std::vector<QByteArray> excludeStorage;
        std::vector<char *> include = nameSlots(lIncludeCount, includeNames, includeStorage);
        std::vector<char *> exclude = nameSlots(lExcludeCount, excludeNames, excludeStorage);
        const QByteArray zipName = encodeText(options.lpszZipFN);
        const QByteArray extractDir = encodeText(options.lpszExtractDir);
        DCL dcl = dclRecord(options, zipName, extractDir);
        USERFUNCTIONS callbacks = callbackRecord();
        if (!library)
            return -1; // no reader was given one: as if the file were missing
        const int includeCount = lIncludeCount <= 0 ? 0 : static_cast<int>(includeStorage.size() - 1);
        const int excludeCount = lExcludeCount <= 0 ? 0 : static_cast<int>(excludeStorage.size() - 1);
        return library->singleEntryUnzip(includeCount, include.data(), excludeCount, exclude.data(),
                                         &dcl, &callbacks);
    } catch (...) {
        return -1;
    }
}

std::int32_t RunStoredListing(UnzipLibrary *library, cUnzip &reader, DclRecord &options)
{
    CallScope scope(reader);
    try {
        const QByteArray zipName = encodeText(options.lpszZipFN);
        const QByteArray extractDir = encodeText(options.lpszExtractDir);
        DCL dcl = dclRecord(options, zipName, extractDir);
        USERFUNCTIONS callbacks = callbackRecord();
        callbacks.SendApplicationMessage = nullptr; // the stored directory says it all
        return library ? library->listStored(&dcl, &callbacks, ReceiveStoredDirectory) : -1;
    } catch (...) {
        return -1;
    }
}

void ReceiveStoredDirectory(void *directory)
{
    try {
        if (cUnzip *reader = currentReader(); reader && directory)
            reader->AdoptStoredDirectory(std::move(*static_cast<zip::Directory *>(directory)));
    } catch (...) {
    }
}

int PrintCallback(char *text, unsigned long length)
{
    try {
        if (!text || length <= 1 || length >= 32000)
            return 0;
        QString message = QString::fromLocal8Bit(text, static_cast<qsizetype>(length));
        ConvertSeparators(message, QStringLiteral("/"), QStringLiteral("\\"));
        if (cUnzip *reader = currentReader())
            reader->RaiseProgress(message);
    } catch (...) {
    }
    return 0;
}

int ReplaceCallback(char *name)
{
    std::int32_t answer = 100;
    try {
        QString file = readText(name, kMaxReplaceBytes);
        ConvertSeparators(file, QStringLiteral("/"), QStringLiteral("\\"));
        if (cUnzip *reader = currentReader())
            reader->RaiseOverwritePrompt(file, answer);
    } catch (...) {
    }
    return answer;
}

int PasswordCallback(char *buffer, int size, const char *, const char *)
{
    int result = 1;
    try {
        CallScope *scope = t_current;
        if (!scope || scope->passwordRefused)
            return 1;
        QString password;
        bool cancel = false;
        if (scope->reader)
            scope->reader->RaisePasswordRequest(password, cancel);
        password = withoutOuterSpaces(password);
        if (password.isEmpty() || cancel) {
            scope->passwordRefused = true;
            return 1;
        }
        if (!buffer || size <= 0)
            return 1;
        const QByteArray bytes = password.toLocal8Bit();
        // At most 254 bytes (and the buffer less one), never cutting a UTF-8 sequence in two.
        qsizetype n = std::min<qsizetype>({bytes.size(), kMaxPasswordBytes, size - 1});
        while (n > 0 && n < bytes.size() && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
            --n;
        std::memcpy(buffer, bytes.constData(), static_cast<size_t>(n));
        buffer[n] = '\0';
        result = 0;
    } catch (...) {
    }
    return result;
}

void ReceiveDirEntry(unsigned long long, unsigned long long csize, unsigned cfactor, unsigned mo,
                     unsigned dy, unsigned yr, unsigned hh, unsigned mm, char, const char *filename,
                     const char *methbuf, unsigned long crc, char fCrypt)
{
    try {
        CallScope *scope = t_current;
        if (!scope || !scope->reader || !filename)
            return;
        // SplitEntryPath on the bytes: the same split, without decoding the folder again for
        // every entry of the same folder.
        const size_t length = ::strnlen(filename, kMaxPathBytes);
        const char *slash = static_cast<const char *>(::memrchr(filename, '/', length));
        const char *nameStart = slash ? slash + 1 : filename;
        const size_t nameLength = length - static_cast<size_t>(nameStart - filename);
        if (nameLength == 0)
            return; // a folder entry: AddDirectoryEntry drops it
        CallScope &cache = *scope;
        const size_t folderLength = slash ? static_cast<size_t>(slash - filename) : 0;
        if (static_cast<size_t>(cache.folderBytes.size()) != folderLength
            || std::memcmp(cache.folderBytes.constData(), filename, folderLength) != 0) {
            cache.folderBytes = QByteArray(filename, static_cast<qsizetype>(folderLength));
            cache.folder = QString::fromLocal8Bit(cache.folderBytes);
            cache.folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
        }
        const char *method = methbuf ? methbuf : "";
        const size_t methodLength = ::strnlen(method, kMaxMethodBytes);
        if (cache.method.isNull() || static_cast<size_t>(cache.methodBytes.size()) != methodLength
            || std::memcmp(cache.methodBytes.constData(), method, methodLength) != 0) {
            cache.methodBytes = QByteArray(method, static_cast<qsizetype>(methodLength));
            cache.method = QString::fromLocal8Bit(cache.methodBytes);
        }
        EntryStamp stamp;
        stamp.year = static_cast<std::uint16_t>(yr & 0xFFFF);
        stamp.month = static_cast<std::uint16_t>(mo & 0xFFFF);
        stamp.day = static_cast<std::uint16_t>(dy & 0xFFFF);
        stamp.hour = static_cast<std::uint16_t>(hh & 0xFFFF);
        stamp.minute = static_cast<std::uint16_t>(mm & 0xFFFF);
        const auto ratio = static_cast<std::int32_t>(static_cast<std::int16_t>(cfactor & 0xFFFF));
        const bool encrypted = (static_cast<unsigned char>(fCrypt) & 0x40) != 0;
        // Sizes beyond the signed 64-bit range cannot occur in a ZIP; clamp rather than wrap.
        const std::int64_t size = csize > static_cast<unsigned long long>(INT64_MAX)
                                      ? INT64_MAX
                                      : static_cast<std::int64_t>(csize);
        scope->reader->AddListedEntry(
            nameStart, nameLength, cache.folder, stamp, size,
            static_cast<std::int32_t>(static_cast<std::uint32_t>(crc & 0xFFFFFFFFul)), encrypted,
            ratio, cache.method);
    } catch (...) {
    }
}

int ServiceCallback(const char *name, unsigned long number)
{
    int result = 0;
    try {
        if (number <= 1 || number >= 32000)
            return 0;
        QString entry = readText(name, number);
        ConvertSeparators(entry, QStringLiteral("\\"), QStringLiteral("/"));
        bool cancel = false;
        if (cUnzip *reader = currentReader())
            reader->RaiseCancel(entry, cancel);
        result = cancel ? 1 : 0;
    } catch (...) {
    }
    return result;
}

void SplitEntryPath(QString &path, QString &folder)
{
    const qsizetype nul = path.indexOf(QChar(u'\0'));
    if (nul >= 0)
        path.truncate(nul);
    const std::int32_t k = ConvertSeparators(path, QStringLiteral("/"), QStringLiteral("\\"));
    if (k >= 2) {
        folder = path.left(k - 2);
        path = path.mid(k - 1);
    }
}

std::int32_t ConvertSeparators(QString &text, const QString &from, const QString &to)
{
    if (from.isEmpty())
        return 1;
    qsizetype start = 0; // 0-based form of "the search position"
    for (;;) {
        const qsizetype found = text.indexOf(from, start);
        if (found < 0)
            break;
        text.replace(found, from.size(), to);
        start = found + to.size();
    }
    return static_cast<std::int32_t>(start + 1);
}

} // namespace qm::mUnzip
