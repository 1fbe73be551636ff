// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.h"

#include "split/SplitChoice.h"
#include "common/Paths.h"
#include "split/ToolFile.h"

#include <QCoreApplication>
#include <QDir>

namespace qm {

namespace {

// What the command line says to the user: usage errors, the usage and its hint.
struct CommandLineText
{
    Q_DECLARE_TR_FUNCTIONS(qm::CommandLine)
};

// Archives split at once, at most.
constexpr int kMostJobs = 256;

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

bool takesValue(const QString &name)
{
    for (const char *option : {"--size", "--parts", "--output", "--jobs"})
        if (name == QLatin1String(option))
            return true;
    return false;
}

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
    if (takesValue(option.name) && !option.hasValue && i + 1 < args.size()) {
        option.value = args[++i];
        option.hasValue = true;
    }
    return option;
}

// Applies one option; an error text when it is wrong.
QString apply(const Option &o, CommandLine &line, bool &split, bool &sized)
{
    if (takesValue(o.name) && !o.hasValue)
        return CommandLineText::tr("%1 needs a value.").arg(paths::shown(o.name));
    if (!takesValue(o.name) && o.hasValue)
        return CommandLineText::tr("%1 takes no value.").arg(paths::shown(o.name));
    if (o.name == QLatin1String("--split")) {
        split = true;
    } else if (o.name == QLatin1String("--dry-run")) {
        line.dryRun = true;
    } else if (o.name == QLatin1String("--quiet") || o.name == QLatin1String("-q")) {
        line.quiet = true;
    } else if (o.name == QLatin1String("--null") || o.name == QLatin1String("-z")) {
        line.null = true;
    } else if (o.name == QLatin1String("--size") || o.name == QLatin1String("--parts")) {
        if (sized)
            return CommandLineText::tr("give either --size or --parts, once.");
        sized = true;
        line.byParts = o.name == QLatin1String("--parts");
        line.number = o.value;
    } else if (o.name == QLatin1String("--output")) {
        line.output = o.value;
    } else if (o.name == QLatin1String("--jobs")) {
        if (!isCount(o.value, 1, kMostJobs))
            return CommandLineText::tr("--jobs takes a whole number from 1 to %1.").arg(kMostJobs);
        line.jobs = o.value.trimmed().toInt();
    } else {
        return CommandLineText::tr("unknown option %1.").arg(paths::shown(o.name));
    }
    return QString();
}

QString checkSplit(const CommandLine &line, bool sized)
{
    if (!sized)
        return CommandLineText::tr("--split needs --size MB or --parts N.");
    if (line.byParts ? !PartsFromText(line.number) : !MegabytesFromText(line.number))
        return line.byParts ? CommandLineText::tr("--parts takes a number from %1 to %2.").arg(kLeastParts).arg(kMostParts)
                            : CommandLineText::tr("--size takes a number of megabytes from %1 to %2.")
                                  .arg(kLeastMegabytes)
                                  .arg(kMostMegabytes);
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
        if (sized || !line.output.isEmpty() || line.dryRun || line.jobs || line.quiet || line.null)
            return usage(CommandLineText::tr(
                "--size, --parts, --output, --jobs, --quiet, --null and --dry-run go with --split."));
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
    //: Keep the option column as it is, and every line within 79 characters.
    //: %1 the largest size in MB, %2 the most parts, %3 the most jobs
    return CommandLineText::tr(
        "Usage: quillmere [FILE...]\n"
        "       quillmere --split (--size MB | --parts N) --output DIR [OPTION...]\n"
        "                 [--] FILE...\n"
        "       quillmere --help | --version\n"
        "\n"
        "Without --split, opens the window with the FILEs (and the archives in\n"
        "folders) listed. With --split, splits every FILE into DIR without a window.\n"
        "\n"
        "      --split          split without a window\n"
        "      --size MB        parts of at most MB megabytes: 1 to %1\n"
        "      --parts N        at most N parts per archive: 1 to %2\n"
        "      --output DIR     the folder for the parts, made when it does not exist\n"
        "      --jobs N         archives split at once: 1 to %3 (default: one per\n"
        "                       core); lowered to what the open-file limit allows\n"
        "  -q, --quiet          standard error only for failures\n"
        "  -z, --null           end each printed path with a NUL byte, not a newline\n"
        "      --dry-run        plan every archive and write nothing\n"
        "  -h, --help           print this help and exit\n"
        "      --version        print the version and exit\n"
        "\n"
        "Options take their value as --size 5 or --size=5.\n"
        "\n"
        "Standard output: the path of every part made, one per line. With --dry-run,\n"
        "one line per archive: the archive, parts, largest part and split size in\n"
        "bytes, tab-separated. Standard error: a line per archive and a summary; on a\n"
        "terminal, a progress line.\n"
        "\n"
        "Exit status: 0 every archive split; 1 some could not be, or the output could\n"
        "not be written; 2 usage error. Ended by SIGINT, SIGTERM or SIGHUP, a run\n"
        "stops, removes what it had not finished, and ends by that signal.\n")
        .arg(kMostMegabytes)
        .arg(kMostParts)
        .arg(kMostJobs);
}

namespace {

QString ZipSplitLine()
{
    const QString from = EmbeddedToolVersion();
    if (from.isEmpty())
        return CommandLineText::tr("zipsplit inside it: Info-ZIP Zip 3.0, under the Info-ZIP license.\n");
    return CommandLineText::tr("zipsplit inside it: Info-ZIP Zip 3.0 (Debian %1), under the Info-ZIP license.\n")
        .arg(from);
}

} // namespace

QString VersionText(const QString &version)
{
    return QStringLiteral("quillmere %1\n").arg(version)
           + CommandLineText::tr("Copyright (C) 2026 Veltrane\n"
                                 "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                                 "This is free software: you are free to change and redistribute it.\n"
                                 "There is NO WARRANTY, to the extent permitted by law.\n")
           + ZipSplitLine();
}

QString UsageHint()
{
    return CommandLineText::tr("Try 'quillmere --help' for more information.");
}

} // namespace qm
