#include "common/Paths.h"

namespace qm::paths {

bool isRoot(const QString &path)
{
    return path == QStringLiteral("/");
}

bool endsWithSeparator(const QString &path)
{
    return path.endsWith(kSeparator);
}

QString withoutTrailingSeparator(const QString &path)
{
    if (!isRoot(path) && endsWithSeparator(path))
        return path.left(path.size() - 1);
    return path;
}

QString withTrailingSeparator(const QString &path)
{
    return endsWithSeparator(path) ? path : path + kSeparator;
}

QString join(const QString &folder, const QString &name)
{
    return folder + kSeparator + name;
}

QString repairRootJoin(const QString &path)
{
    QString out = path;
    while (out.startsWith(QStringLiteral("//")))
        out.remove(0, 1);
    return out;
}

} // namespace qm::paths
