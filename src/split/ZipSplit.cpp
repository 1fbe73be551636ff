// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/ZipSplit.h"

#include "common/Paths.h"
#include "split/SplitReason.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <optional>
#include <locale.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

QString asOperand(const QString &path)
{
    return path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
}

} // namespace

ProcessCommand ZipSplitCommandLine(const QString &toolPath, std::int64_t splitSize,
                                   const QString &outputFolder, const QString &archivePath)
{
    ProcessCommand command;
    command.program = toolPath;
    command.arguments = {QStringLiteral("-n"), QString::number(splitSize), QStringLiteral("-b"),
                         asOperand(outputFolder), asOperand(archivePath)};
    return command;
}

QStringList ZipSplitEnvironment()
{
    // /dev/null is no folder, and nobody can make one under it.
    return {QStringLiteral("LC_ALL=C"), QStringLiteral("LOCPATH=/dev/null")};
}

ProcessCommand ZipSplitStagedCommand(const QString &tool, std::int64_t splitSize, const QString &staging,
                                     const QString &sourceLink)
{
    ProcessCommand command = ZipSplitCommandLine(tool, splitSize, QStringLiteral("."), sourceLink);
    command.workingDirectory = staging;
    command.environment = ZipSplitEnvironment();
    return command;
}

namespace {

// What a run of zipsplit came to: none when it split the archive.
FailureKind kindOf(const ProcessOutcome &outcome, bool toolError)
{
    const bool ended = outcome.started && !outcome.flooded && !outcome.stopped && !outcome.crashed;
    if (ended && outcome.exitCode == 0 && !toolError)
        return FailureKind::None;
    if (outcome.stopped)
        return FailureKind::Stopped;
    switch (outcome.crashed || !outcome.started ? -1 : outcome.exitCode) {
    case 2:
        return FailureKind::NotZip;
    case 3:
        return FailureKind::Unsplittable;
    case 11:
    case 13:
    case 18:
        return FailureKind::Source;
    case 14:
    case 15:
        return FailureKind::Output;
    default:
        return FailureKind::Tool;
    }
}

QString reasonText(const ProcessOutcome &outcome, const QString &toolMessage)
{
    if (outcome.flooded)
        return SplitReason::tr("the splitting tool wrote far more messages than it ever does, and was stopped.");
    if (!outcome.started)
        return SplitReason::tr("the splitting tool could not be started.");
    if (outcome.stopped)
        return SplitReason::tr("the split was stopped.");
    if (outcome.crashed)
        return SplitReason::tr("the splitting tool stopped unexpectedly.");

    switch (outcome.exitCode) {
    case 0:
        return SplitReason::tr("the splitting tool reported an error: %1.").arg(toolMessage);
    case 2:
        return SplitReason::tr("the archive ends too early; it may be damaged or incomplete.");
    case 3:
        if (!toolMessage.isEmpty()) // what zipsplit found wrong says more than its code
            return SplitReason::tr("the splitting tool cannot split it: %1.").arg(toolMessage);
        return SplitReason::tr("it is not a ZIP archive, or it is damaged.");
    case 4:
        return SplitReason::tr("there was not enough memory to split it.");
    case 6:
        return SplitReason::tr("one of its entries is too large for the part size.");
    case 9:
        if (!toolMessage.isEmpty())
            return SplitReason::tr("the splitting tool cannot split it: %1.").arg(toolMessage);
        return SplitReason::tr("the split was interrupted.");
    case 11:
    case 18:
        return SplitReason::tr("the archive could not be read.");
    case 13:
        return SplitReason::tr("the archive is missing or empty.");
    case 14:
        return SplitReason::tr("a part could not be written; the disk may be full.");
    case 15:
        return SplitReason::tr("a part could not be created in the output folder.");
    case 16:
        return SplitReason::tr("the splitting tool did not accept its parameters.");
    default:
        if (toolMessage.isEmpty())
            return SplitReason::tr("the splitting tool failed (exit code %1).").arg(outcome.exitCode);
        return SplitReason::tr("the splitting tool failed (exit code %1): %2.")
            .arg(QString::number(outcome.exitCode), toolMessage);
    }
}

// zipsplit's own words on what it found wrong, naming the user's archive rather than the link.
std::optional<QString> toolMessageOf(const ProcessOutcome &outcome, const QString &sourceLink, const QString &archive)
{
    const QList<QByteArray> lines = outcome.output.split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("zipsplit error:")) {
            QString toolMessage = paths::shown(paths::fromRaw(line.mid(15).trimmed()));
            if (!sourceLink.isEmpty())
                toolMessage.replace(sourceLink, QFileInfo(paths::shown(archive)).fileName());
            return toolMessage;
        }
    }
    return std::nullopt;
}

} // namespace

SplitFailure ZipSplitFailure(const ProcessOutcome &outcome, const QString &sourceLink, const QString &archive)
{
    const std::optional<QString> toolMessage = toolMessageOf(outcome, sourceLink, archive);
    const FailureKind kind = kindOf(outcome, toolMessage.has_value());
    if (kind == FailureKind::None)
        return {};
    return {kind, reasonText(outcome, toolMessage.value_or(QString()))};
}

bool ResourcesShort()
{
    const int fd = ::open("/", O_PATH | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return IsShortage(errno);
}

bool IsShortage(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}

bool LaunchStarved(const QString &launchError)
{
    // Qt words some errors itself, in English, and leaves the rest to the C library, in the
    // user's language: a German desktop gets either.
    const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    bool starved = false;
    for (const int error : {EMFILE, ENFILE, ENOMEM, EAGAIN}) {
        starved = starved || launchError.contains(QString::fromLocal8Bit(std::strerror(error)))
                  || (c && launchError.contains(QString::fromLocal8Bit(::strerror_l(error, c))));
    }
    if (c)
        ::freelocale(c);
    return starved;
}

namespace {

SplitFailure source(const QString &text)
{
    return {FailureKind::Source, text};
}

} // namespace

SourceState SourceFileState(const QString &archivePath)
{
    const QByteArray raw = paths::toRaw(archivePath);
    struct stat st {};
    if (::stat(raw.constData(), &st) != 0)
        return SourceState::Missing;
    if (S_ISDIR(st.st_mode))
        return SourceState::Folder;
    if (!S_ISREG(st.st_mode))
        return SourceState::Special;
    if (::access(raw.constData(), R_OK) != 0)
        return SourceState::Unreadable;
    return st.st_size == 0 ? SourceState::Empty : SourceState::Readable;
}

SplitFailure SourceFileProblem(const QString &archivePath)
{
    switch (SourceFileState(archivePath)) {
    case SourceState::Missing:
        return source(SplitReason::tr("the file no longer exists."));
    case SourceState::Folder:
        return source(SplitReason::tr("it is a folder, not a ZIP archive."));
    case SourceState::Special:
        return source(SplitReason::tr("it is a device, pipe or socket, not a ZIP archive."));
    case SourceState::Unreadable:
        return source(SplitReason::tr("the file cannot be read."));
    case SourceState::Empty:
        return source(SplitReason::tr("the file is empty."));
    case SourceState::Readable:
        break;
    }
    return {};
}

} // namespace qm
