// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/SplitJob.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace qm {

// What both front ends share on the way from a user's choice to a run: one size rule, one job
// count, one tool deployment.

// What a user may ask for, in the window and on the command line alike: a part size of 1 to
// 2047 MB (the most that fits in 31 bits), or 1 to 32767 parts (the most a 16-bit count holds).
constexpr int kLeastMegabytes = 1;
constexpr int kMostMegabytes = 2047;
constexpr int kLeastParts = 1;
constexpr int kMostParts = 32767;

// Typed text as a size or a count in those ranges, converted as the window always has (blanks
// around it, a sign, a fraction rounded half to even); none for anything else.
std::optional<int> MegabytesFromText(const QString &text);
std::optional<int> PartsFromText(const QString &text);

// One step of turning megabytes into bytes: times 1024, AppError::overflow() when the result
// leaves the signed 32-bit range (so 2048 MB and more are refused).
std::int32_t TimesKilo(std::int32_t value);
// Megabytes as typed in bytes, through both steps.
std::int64_t MegabytesToBytes(std::int32_t megabytes);
// Archives the open-file limit leaves room for at once (each in flight holds some handles).
int OpenFileJobLimit();
// What to say when the open-file limit leaves no room for one archive beside the handles open
// now, with the least it needs; empty when there is room.
QString OpenFileLimitTooLow();
// Archives split at once: as asked, or one per core; never more than the open-file limit allows.
int JobCount(int asked);
// The tool written for one run (AppError when it cannot be); none when there are no bytes.
std::shared_ptr<const DeployedTool> DeployTool(const QByteArray &toolBytes);

// A choice as the command line or the window's fields state it: archives and folder as typed,
// the size in megabytes or a number of parts.
struct SplitChoice
{
    QStringList archives;
    QString outputFolder;
    std::int32_t megabytes = 0; // by size
    int parts = 0;              // by parts; 0 splits by size
    int jobs = 0;               // 0: one per core
    bool dryRun = false;
};

// The size or count typed for the chosen mode, as both front ends read it; none when the text is
// no number in that mode's range.
std::optional<SplitChoice> ChoiceFromText(bool byParts, const QString &number);

// The request for a choice, as both front ends make it: paths made absolute, the size in bytes,
// the job count; no tool yet. AppError when the size is too large.
SplitRequest MakeSplitRequest(const SplitChoice &choice);
// Writes the tool for a request unless it is a dry run; when it cannot be, there is none and every
// archive fails saying why.
void DeployToolFor(SplitRequest &request, const QString &toolSource = QString());

} // namespace qm
