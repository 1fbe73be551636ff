// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QDir>

namespace qm {

namespace {

// What the command line says to the user: usage errors, the usage and its hint.
struct CommandLineText
{
    Q_DECLARE_TR_FUNCTIONS(qm::CommandLine)
};

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

namespace {

// One option and its value, whichever form it came in ("--size 5" or "--size=5").
struct Option
{
    QString name;
    QString value;
    bool hasValue = false;
};

Option optionAt(const QStringList &args, int &i)
{
    Option option;
    option.name = args[i];
    const qsizetype equals = option.name.indexOf(QLatin1Char('='));
    if (option.name.startsWith(QLatin1String("--")) && equals > 2) {
        option.value = option.name.mid(equals + 1);
        option.name.truncate(equals);
        option.hasValue = true;
    }
    const bool takesValue = option.name == QLatin1String("--size") || option.name == QLatin1String("--parts")
                            || option.name == QLatin1String("--output") || option.name == QLatin1String("--jobs");
    if (takesValue && !option.hasValue && i + 1 < args.size()) {
        option.value = args[++i];
        option.hasValue = true;
    }
    return option;
}

// Applies one option; an error text when it is wrong.
QString apply(const Option &o, CommandLine &line, bool &split, bool &sized)
{
    const bool takesValue = o.name == QLatin1String("--size") || o.name == QLatin1String("--parts")
                            || o.name == QLatin1String("--output") || o.name == QLatin1String("--jobs");
    if (takesValue && !o.hasValue)
        return CommandLineText::tr("%1 needs a value.").arg(o.name);
    if (!takesValue && o.hasValue)
        return CommandLineText::tr("%1 takes no value.").arg(o.name);
    if (o.name == QLatin1String("--split")) {
        split = true;
    } else if (o.name == QLatin1String("--dry-run")) {
        line.dryRun = true;
    } else if (o.name == QLatin1String("--quiet") || o.name == QLatin1String("-q")) {
        line.quiet = true;
    } else if (o.name == QLatin1String("--size") || o.name == QLatin1String("--parts")) {
        if (sized)
            return CommandLineText::tr("give either --size or --parts, once.");
        sized = true;
        line.byParts = o.name == QLatin1String("--parts");
        line.number = o.value;
    } else if (o.name == QLatin1String("--output")) {
        line.output = o.value;
    } else if (o.name == QLatin1String("--jobs")) {
        if (!isCount(o.value, 1, 256))
            return CommandLineText::tr("--jobs takes a whole number from 1 to 256.");
        line.jobs = o.value.trimmed().toInt();
    } else {
        return CommandLineText::tr("unknown option %1.").arg(o.name);
    }
    return QString();
}

QString checkSplit(const CommandLine &line, bool sized)
{
    if (!sized)
        return CommandLineText::tr("--split needs --size MB or --parts N.");
    if (line.byParts ? !isCount(line.number, 1, 32767) : !isCount(line.number, 1, 2047))
        return line.byParts ? CommandLineText::tr("--parts takes a whole number from 1 to 32767.")
                            : CommandLineText::tr("--size takes a whole number of megabytes from 1 to 2047.");
    if (line.output.isEmpty())
        return CommandLineText::tr("--split needs --output DIR.");
    if (line.files.isEmpty())
        return CommandLineText::tr("--split needs at least one FILE.");
    if (line.files.contains(QString()))
        return CommandLineText::tr("an empty FILE names no file.");
    return QString();
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
        if (arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.mode = CommandLine::Mode::Help;
            return line;
        }
        if (arg == QLatin1String("--version")) {
            line.mode = CommandLine::Mode::Version;
            return line;
        }
        const QString error = apply(optionAt(args, i), line, split, sized);
        if (!error.isEmpty())
            return usage(error);
    }
    if (!split) {
        if (sized || !line.output.isEmpty() || line.dryRun || line.jobs || line.quiet)
            return usage(
                CommandLineText::tr("--size, --parts, --output, --jobs, --quiet and --dry-run go with --split."));
        return line;
    }
    const QString error = checkSplit(line, sized);
    if (!error.isEmpty())
        return usage(error);
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
    //: Keep the command, its options and FILE, DIR, MB and N as they are: they are typed as shown.
    return CommandLineText::tr(
        "Usage: quillmere [FILE...]\n"
        "       quillmere --split (--size MB | --parts N) --output DIR [--jobs N] [--quiet]\n"
        "                 [--dry-run] [--] FILE...\n"
        "       quillmere --help | --version\n"
        "\n"
        "Without --split, opens the window with the FILEs (and the archives in folders) listed.\n"
        "With --split, splits every FILE into DIR without a window; progress and reasons go to\n"
        "standard error, the path of every part made to standard output, one per line. DIR is\n"
        "made when it does not exist. --jobs N splits N archives at once (default: one per core);\n"
        "--quiet leaves only failures on standard error; --dry-run prints each archive's parts and\n"
        "writes nothing. Options take their value as --size 5 or --size=5. Exit status: 0 every\n"
        "archive split, 1 some could not be, 2 usage error.\n");
}

QString UsageHint()
{
    return CommandLineText::tr("Try 'quillmere --help' for more information.");
}

} // namespace qm
