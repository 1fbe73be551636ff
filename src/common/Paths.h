#pragma once

#include <QString>

namespace qm::paths {

constexpr QChar kSeparator = QLatin1Char('/');

bool isRoot(const QString &path);
bool endsWithSeparator(const QString &path);
// "is not the root and ends with /: drop one"
QString withoutTrailingSeparator(const QString &path);
// Ensures exactly one trailing separator ("/" stays "/").
QString withTrailingSeparator(const QString &path);
// folder + "/" + name, written the way the program joins paths (no check of the parts).
QString join(const QString &folder, const QString &name);
// Collapses the doubled separator a join onto the root leaves ("//x" becomes "/x").
QString repairRootJoin(const QString &path);

} // namespace qm::paths
