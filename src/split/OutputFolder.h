// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace qm {

// Why no part can go into the output folder held open as `folder` (`shown` names it): gone,
// on a read-only file system, not ours to write, or on a full disk; empty when parts can go there.
// Asked once before a run starts, and again when a working folder cannot be made in it.
QString OutputFolderUnfit(int folder, const QString &shown);
// The words for errno `error` met on the output folder `shown`.
QString OutputFolderError(const QString &shown, int error);

} // namespace qm
