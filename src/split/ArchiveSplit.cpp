#include "split/ArchiveSplit.h"

#include "common/UniqueFd.h"
#include "split/PartCheck.h"
#include "split/PartNames.h"
#include "split/Shell32.h"
#include "split/ToolFile.h"
#include "split/ZipSplit.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>

namespace qm {

namespace {

constexpr int kMaxRounds = 6;

// The row's file, opened once: a regular file, and never a pipe that would block the open.
UniqueFd openSource(const QString &archive)
{
    UniqueFd fd(::open(QFile::encodeName(archive).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd.isValid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return UniqueFd();
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b)
{
    return a > std::numeric_limits<std::int64_t>::max() - b ? std::numeric_limits<std::int64_t>::max() : a + b;
}

std::int64_t largestOf(const QVector<StagingFolder::StagedPart> &parts)
{
    std::int64_t largest = 0;
    for (const StagingFolder::StagedPart &part : parts)
        largest = std::max(largest, part.size);
    return largest;
}

class Splitter
{
public:
    Splitter(Toolkit &toolkit, const ArchiveSplitRequest &request, StagingFolder &staging, ProcessStopper &stopper)
        : m_toolkit(toolkit), m_request(request), m_staging(staging), m_stopper(stopper)
    {
    }

    ArchiveSplitResult run()
    {
        const UniqueFd source = openSource(m_request.archive);
        if (!source.isValid())
            return failed(orDefault(SourceFileProblem(m_request.archive), "the file cannot be read."));
        m_link = m_staging.useSource(source.get());
        if (m_link.isEmpty())
            return failed(QStringLiteral("no working folder could be made in the output folder %1; it may be "
                                         "missing, read-only or full.").arg(m_staging.outputFolder()));
        const QString failure = splitWithinTheSize();
        if (!failure.isEmpty())
            return failed(failure);
        if (!m_staging.nameParts(m_request.archive))
            return failed(QStringLiteral("its parts could not be named."));
        const QVector<StagingFolder::StagedPart> staged = m_staging.parts();
        const std::int64_t largestPart = largestOf(staged);
        if (!staged.isEmpty()) {
            // Checked where zipsplit left them, through the handles, before anything is moved.
            const QString problem = CheckParts(m_request.library, HandlePath(source.get()),
                                               partsToCheck(staged), std::max(m_request.splitSize, m_lastSize));
            if (!problem.isEmpty())
                return failed(problem);
        }
        if (!m_staging.moveParts(m_request.archive, &m_result.parts))
            return failed(QStringLiteral("its parts could not be moved into the output folder."));
        if (m_result.parts.isEmpty())
            return failed(QStringLiteral("the splitting tool made no parts."));
        if (largestPart > m_request.askedSize)
            m_result.oversized = OversizedArchive{m_request.archive, m_request.listing.largestName,
                                                  m_request.listing.largestSize, largestPart};
        return m_result;
    }

private:
    static QString orDefault(const QString &text, const char *fallback)
    {
        return text.isEmpty() ? QString::fromLatin1(fallback) : text;
    }

    ArchiveSplitResult failed(QString reason)
    {
        if (!m_staging.exists())
            reason = QStringLiteral("the output folder was removed during the split.");
        m_staging.clear(); // whatever zipsplit left of this archive goes now
        m_result.failure = reason;
        m_result.parts.clear();
        return m_result;
    }

    QVector<PartToCheck> partsToCheck(const QVector<StagingFolder::StagedPart> &staged) const
    {
        QVector<PartToCheck> parts;
        for (const StagingFolder::StagedPart &part : staged)
            parts.append({HandlePath(m_staging.handle()) + QLatin1Char('/') + QFile::decodeName(part.name),
                          QFile::decodeName(part.name), part.size});
        return parts;
    }

    // Runs zipsplit until no part is over the split size, or only an entry too large keeps one over.
    QString splitWithinTheSize()
    {
        const std::int64_t ceiling = m_request.splitSize;
        std::int64_t size = ceiling;
        std::int64_t lastWithParts = -1;
        std::int64_t raise = 1024 + 2 * std::int64_t(m_request.listing.largestName.toUtf8().size());
        bool settled = false; // an entry too large: the parts stand as they come
        for (m_result.rounds = 1;; ++m_result.rounds) {
            m_staging.clearParts();
            ProcessOutcome outcome;
            m_lastSize = size;
            RunAndWait(m_toolkit, command(size), 0, &outcome, &m_stopper);
            const bool tooBig = outcome.started && !outcome.crashed && !outcome.stopped
                                && outcome.exitCode == kZipSplitEntryTooBig;
            if (tooBig && m_result.rounds < kMaxRounds && !settled) {
                // Lowered too far, or the raise to the minimum fell short for a long name.
                settled = lastWithParts >= 0;
                size = settled ? lastWithParts : saturatingAdd(size, raise);
                raise = saturatingAdd(raise, raise * 3);
                continue;
            }
            const QString reason = ZipSplitFailureReason(outcome);
            if (!reason.isEmpty()) {
                const QString problem = outcome.started ? SourceFileProblem(m_request.archive) : QString();
                return problem.isEmpty() || outcome.stopped ? reason : problem;
            }
            const std::int64_t largest = largestOf(m_staging.parts());
            if (largest <= ceiling || size > ceiling || settled || m_result.rounds >= kMaxRounds)
                return QString();
            lastWithParts = size;
            size = std::max<std::int64_t>(1, size - (largest - ceiling));
        }
    }

    ProcessCommand command(std::int64_t size) const
    {
        const DeployedTool *tool = m_request.tool;
        return ZipSplitStagedCommand({tool ? tool->path() : QString(), tool ? tool->program() : QString()}, size,
                                     {m_staging.path(), HandlePath(m_staging.handle())}, m_request.archive,
                                     QFile::decodeName(m_link));
    }

    Toolkit &m_toolkit;
    const ArchiveSplitRequest &m_request;
    StagingFolder &m_staging;
    ProcessStopper &m_stopper;
    QByteArray m_link;
    std::int64_t m_lastSize = 0; // the -n of zipsplit's last run
    ArchiveSplitResult m_result;
};

} // namespace

ArchiveSplitResult SplitArchive(Toolkit &toolkit, const ArchiveSplitRequest &request, StagingFolder &staging,
                                ProcessStopper &stopper)
{
    return Splitter(toolkit, request, staging, stopper).run();
}

} // namespace qm
