// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Paths.h"

#include <QCoreApplication>
#include <QString>

namespace qm {

// Why an archive was not split, as the run's box and batch mode show it after the archive's name
// ("photos.zip: the file is empty."). One translation context for every reason, wherever it
// arises, so a reason met in two places reads the same in both.
struct SplitReason
{
    Q_DECLARE_TR_FUNCTIONS(qm::SplitReason)
};

inline QString StoppedBeforeSplit()
{
    return SplitReason::tr("stopped before it was split.");
}

inline QString NoWorkingFolder(const QString &outputFolder)
{
    return SplitReason::tr("no working folder could be made in the output folder %1; it may be missing, read-only "
                           "or full.")
        .arg(paths::shown(outputFolder));
}

} // namespace qm
