// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/SplitChoice.h"

#include "common/AppError.h"
#include "common/NumberConversion.h"
#include "common/Paths.h"
#include "split/ToolFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <climits>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace qm {

namespace {

struct ChoiceText
{
    Q_DECLARE_TR_FUNCTIONS(qm::SplitChoice)
};

// An archive in flight holds its source, its staging folder and source slot, the tool's pipes
// and, while it is read or checked, a file more: 16 leaves room.
constexpr int kArchiveHandles = 16;
// The least one archive alone was seen to need beside what the run opens before it starts.
constexpr int kLoneArchiveHandles = 12;

std::optional<int> inRange(const QString &text, int least, int most)
{
    try {
        const std::int32_t value = ToLong(text);
        if (value >= least && value <= most)
            return value;
    } catch (const AppError &) {
        // not a number, or past 32 bits: none
    }
    return std::nullopt;
}

} // namespace

std::optional<int> MegabytesFromText(const QString &text)
{
    return inRange(text, kLeastMegabytes, kMostMegabytes);
}

std::optional<int> PartsFromText(const QString &text)
{
    return inRange(text, kLeastParts, kMostParts);
}

std::int32_t TimesKilo(std::int32_t value)
{
    const std::int64_t result = static_cast<std::int64_t>(value) * 1024;
    if (result > std::numeric_limits<std::int32_t>::max() || result < std::numeric_limits<std::int32_t>::min())
        throw AppError::overflow();
    return static_cast<std::int32_t>(result);
}

std::int64_t MegabytesToBytes(std::int32_t megabytes)
{
    return TimesKilo(TimesKilo(megabytes));
}

int OpenFileJobLimit()
{
    // 32 stay for the rest of the program.
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<int>::max();
    return int(std::max<rlim_t>(1, (std::max<rlim_t>(limit.rlim_cur, 48) - 32) / kArchiveHandles));
}

QString OpenFileLimitTooLow()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 4096)
        return QString();
    int open = 0;
    for (int fd = 0; fd < int(limit.rlim_cur); ++fd)
        open += ::fcntl(fd, F_GETFD) != -1;
    const int needed = open + kLoneArchiveHandles;
    if (rlim_t(needed) <= limit.rlim_cur)
        return QString();
    return ChoiceText::tr("the open-file limit (ulimit -n %1) is too low to split: it needs to be at least %2.")
        .arg(qulonglong(limit.rlim_cur))
        .arg(needed);
}

int JobCount(int asked)
{
    return std::min(asked > 0 ? asked : std::max(1, QThread::idealThreadCount()), OpenFileJobLimit());
}

std::shared_ptr<const DeployedTool> DeployTool(const QByteArray &toolBytes)
{
    if (toolBytes.isEmpty())
        return nullptr;
    return std::make_shared<DeployedTool>(toolBytes, ToolFolder());
}

namespace {

// A path made absolute by its bytes: QFileInfo would turn bytes that are not UTF-8 into U+FFFD.
QString absolute(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return path;
    char here[PATH_MAX];
    if (!::getcwd(here, sizeof here))
        return QFileInfo(path).absoluteFilePath();
    return paths::repairRootJoin(paths::join(paths::fromRaw(QByteArray(here)), path));
}

} // namespace

std::optional<SplitChoice> ChoiceFromText(bool byParts, const QString &number)
{
    const std::optional<int> value = byParts ? PartsFromText(number) : MegabytesFromText(number);
    if (!value)
        return std::nullopt;
    SplitChoice choice;
    (byParts ? choice.parts : choice.megabytes) = *value;
    return choice;
}

SplitRequest MakeSplitRequest(const SplitChoice &choice)
{
    SplitRequest request;
    request.outputFolder = absolute(choice.outputFolder);
    for (const QString &file : choice.archives)
        request.archives << absolute(file);
    request.parts = choice.parts;
    request.sizeBytes = choice.parts > 0 ? 0 : MegabytesToBytes(choice.megabytes);
    request.jobs = JobCount(choice.jobs);
    request.dryRun = choice.dryRun;
    return request;
}

void DeployToolFor(SplitRequest &request, const QString &toolSource)
{
    if (request.dryRun)
        return;
    try {
        request.tool = DeployTool(LoadToolBytes(toolSource));
    } catch (const AppError &e) {
        request.toolProblem = e.description(); // every archive fails saying why
    }
}

} // namespace qm
