// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/SplitReason.h"
#include "zip/ZipReader.h"

#include <QString>

#include <memory>

namespace qm {

class UnzipLibrary;

// An archive's directory as stored, as the split run plans and checks from it.
using ZipDirectory = zip::Directory;
using StoredZipEntry = zip::Entry;

// The directory of the open archive fd, listed through the archive reader (cUnzip) over
// library, with every entry's local header: what planning parts needs that a listing does not
// give. The file is reached through the descriptor, never its path again. failure says why the
// archive cannot be split from it; none when it can.
ZipDirectory ListStoredDirectory(int fd, const std::shared_ptr<UnzipLibrary> &library, SplitFailure &failure);

// The directory of a part zipsplit wrote, read straight from the open file, with every local
// header: where each entry's data lies in the part.
ZipDirectory ReadPartDirectory(int fd);

// Why an archive cannot be split, in the user's words; empty for none.
QString DirectoryProblem(zip::Problem problem);

// Why zipsplit 3.0 cannot split an archive the reader read, in the user's words; none when it
// can.
SplitFailure ZipSplitCannotSplit(const ZipDirectory &directory);

} // namespace qm
