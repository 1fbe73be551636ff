#include "app/CommandLine.h"

#include <QDir>

namespace qm {

namespace {

CommandLine usage(const QString &error)
{
    CommandLine line;
    line.mode = CommandLine::Mode::Usage;
    line.error = error;
    return line;
}

// A whole number in range, written as Text2 and Text3 take them (surrounding spaces aside).
bool isCount(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= low && value <= high;
}

} // namespace

CommandLine ParseCommandLine(const QStringList &args)
{
    CommandLine line;
    bool split = false, sized = false, options = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!options || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            line.files << arg;
            continue;
        }
        const bool takesValue = arg == QLatin1String("--size") || arg == QLatin1String("--parts")
                                || arg == QLatin1String("--output") || arg == QLatin1String("--jobs");
        if (takesValue && i + 1 >= args.size())
            return usage(QStringLiteral("%1 needs a value.").arg(arg));
        if (arg == QLatin1String("--")) {
            options = false;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.mode = CommandLine::Mode::Help;
            return line;
        } else if (arg == QLatin1String("--version")) {
            line.mode = CommandLine::Mode::Version;
            return line;
        } else if (arg == QLatin1String("--split")) {
            split = true;
        } else if (arg == QLatin1String("--dry-run")) {
            line.dryRun = true;
        } else if (arg == QLatin1String("--size") || arg == QLatin1String("--parts")) {
            if (sized)
                return usage(QStringLiteral("give either --size or --parts, once."));
            sized = true;
            line.byParts = arg == QLatin1String("--parts");
            line.number = args[++i];
        } else if (arg == QLatin1String("--output")) {
            line.output = args[++i];
        } else if (arg == QLatin1String("--jobs")) {
            if (!isCount(args[++i], 1, 256))
                return usage(QStringLiteral("--jobs takes a whole number from 1 to 256."));
            line.jobs = args[i].trimmed().toInt();
        } else {
            return usage(QStringLiteral("unknown option %1.").arg(arg));
        }
    }
    if (!split) {
        if (sized || !line.output.isEmpty() || line.dryRun || line.jobs)
            return usage(QStringLiteral("--size, --parts, --output, --jobs and --dry-run go with --split."));
        return line;
    }
    if (!sized)
        return usage(QStringLiteral("--split needs --size MB or --parts N."));
    if (line.byParts ? !isCount(line.number, 1, 32767) : !isCount(line.number, 1, 2047))
        return usage(line.byParts ? QStringLiteral("--parts takes a whole number from 1 to 32767.")
                                  : QStringLiteral("--size takes a whole number of megabytes from 1 to 2047."));
    if (line.output.isEmpty())
        return usage(QStringLiteral("--split needs --output DIR."));
    if (line.files.isEmpty())
        return usage(QStringLiteral("--split needs at least one FILE."));
    line.mode = CommandLine::Mode::Split;
    return line;
}

QStringList PathsToList(const QStringList &files, const QString &workingFolder)
{
    QStringList paths;
    for (const QString &file : files)
        paths << QDir::cleanPath(QDir(workingFolder).absoluteFilePath(file));
    return paths;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: quillmere [FILE...]\n"
        "       quillmere --split (--size MB | --parts N) --output DIR [--jobs N] [--dry-run] [--] FILE...\n"
        "       quillmere --help | --version\n"
        "\n"
        "Without --split, opens the window with the FILEs (and the archives in folders) listed.\n"
        "With --split, splits every FILE into DIR without a window; progress and reasons go to\n"
        "standard error. --jobs N splits N archives at once (default: one per core). --dry-run\n"
        "prints each archive's parts and writes nothing. Exit status:\n"
        "0 every archive split, 1 some could not be, 2 usage error.\n");
}

} // namespace qm
