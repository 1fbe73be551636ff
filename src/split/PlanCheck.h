// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/PartPlan.h"
#include "split/SplitReason.h"
#include "split/StagingFolder.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

namespace qm {

// zipsplit's name for part `index` of `count` when it reads the archive under linkName: the
// link's stem and the number padded to as many digits as the count has ("a1.zip", "a01.zip").
QByteArray ZipSplitPartName(const QByteArray &linkName, std::size_t index, std::size_t count);

// Gives every part the source's archive comment, which zipsplit leaves out: the end record that
// closes each part gets the comment's length and the comment follows it. False when a part does
// not end in an end record without a comment, or cannot be written.
bool AddArchiveComment(int stagingFolder, const QVector<StagingFolder::StagedPart> &parts, const QByteArray &comment);

// Holds what zipsplit wrote in the staging folder against the plan, before the archive counts
// as split: the same parts under the names zipsplit gives them, each of the planned size, each
// a ZIP archive holding the planned entries in order (path, sizes, CRC-32), and each entry's
// stored bytes those of the source (read from sourceFd, the file zipsplit read): a CRC-32 in the
// directory does not prove the data behind it. The plan gives every source entry to one part,
// so together the parts hold the source's entries, each once. Returns why not, in plain words,
// naming parts by `shownName` (part number, count); none when every part is as planned.
SplitFailure CompareWithPlan(int stagingFolder, const QVector<StagingFolder::StagedPart> &parts, const PartPlan &plan,
                             int sourceFd, const ZipDirectory &source, const QByteArray &linkName,
                             const std::function<QString(int, int)> &shownName);

} // namespace qm
