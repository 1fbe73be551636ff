// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SplitChoice.h"

#include "common/AppError.h"
#include "split/ToolFile.h"

#include <QFileInfo>
#include <QThread>

#include <limits>

namespace qm {

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

std::int64_t SplitSizeFromParts(std::int64_t fileLength, std::int16_t parts)
{
    return fileLength / (parts == 0 ? 1 : parts);
}

int JobCount(int asked)
{
    return asked > 0 ? asked : std::max(1, QThread::idealThreadCount());
}

std::shared_ptr<const DeployedTool> DeployTool(const QByteArray &toolBytes)
{
    if (toolBytes.isEmpty())
        return nullptr;
    return std::make_shared<DeployedTool>(toolBytes, ToolFolder());
}

SplitRequest MakeSplitRequest(const SplitChoice &choice, const QString &toolSource)
{
    SplitRequest request;
    request.outputFolder = QFileInfo(choice.outputFolder).absoluteFilePath();
    for (const QString &file : choice.archives)
        request.archives << QFileInfo(file).absoluteFilePath();
    request.parts = choice.parts;
    request.sizeBytes = choice.parts > 0 ? 0 : MegabytesToBytes(choice.megabytes);
    request.jobs = JobCount(choice.jobs);
    request.dryRun = choice.dryRun;
    if (!request.dryRun) {
        try {
            request.tool = DeployTool(LoadToolBytes(toolSource));
        } catch (const AppError &) {
            // Without the tool every archive fails with the reason that says so.
        }
    }
    return request;
}

} // namespace qm
