// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.h"

#include <QTest>

using namespace qm;

class CommandLineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");       // CommandLine::Mode
        QTest::addColumn<QStringList>("files");
        // For Split "parts|size number output" and each option set ("jobs=N quiet null dry"), else the error.
        QTest::addColumn<QString>("summary");
        using M = CommandLine::Mode;
        const auto row = [](const char *name, QStringList args, M mode, QStringList files, QString summary) {
            QTest::newRow(name) << args << int(mode) << files << summary;
        };
        row("no arguments: the window", {}, M::Window, {}, "");
        row("files for the window", {"a.zip", "dir"}, M::Window, {"a.zip", "dir"}, "");
        row("help wins", {"--split", "--help"}, M::Help, {}, "");
        row("version", {"--version"}, M::Version, {}, "");
        row("by size", {"--split", "--size", "5", "--output", "/o", "a.zip", "b.zip"}, M::Split, {"a.zip", "b.zip"},
            "size 5 /o");
        row("by parts, options after files", {"a.zip", "--split", "--output", "o", "--parts", "3"}, M::Split,
            {"a.zip"}, "parts 3 o");
        row("-- ends the options", {"--split", "--size", "1", "--output", "o", "--", "--size", "-n.zip"}, M::Split,
            {"--size", "-n.zip"}, "size 1 o");
        row("both sizes", {"--split", "--size", "1", "--parts", "2", "--output", "o", "a"}, M::Usage, {},
            "give either --size or --parts, once.");
        row("no size", {"--split", "--output", "o", "a"}, M::Usage, {}, "--split needs --size MB or --parts N.");
        row("size over 2047", {"--split", "--size", "2048", "--output", "o", "a"}, M::Usage, {},
            "--size takes a number of megabytes from 1 to 2047.");
        row("size not a number", {"--split", "--size", "ten", "--output", "o", "a"}, M::Usage, {},
            "--size takes a number of megabytes from 1 to 2047.");
        row("parts 0", {"--split", "--parts", "0", "--output", "o", "a"}, M::Usage, {},
            "--parts takes a number from 1 to 32767.");
        row("no output", {"--split", "--size", "1", "a"}, M::Usage, {}, "--split needs --output DIR.");
        row("no files", {"--split", "--size", "1", "--output", "o"}, M::Usage, {}, "--split needs at least one FILE.");
        row("value missing", {"--split", "--output"}, M::Usage, {}, "--output needs a value.");
        row("unknown option", {"--frobnicate"}, M::Usage, {}, "unknown option --frobnicate.");
        row("size without --split", {"--size", "1", "a"}, M::Usage, {},
            "--size, --parts, --output, --jobs, --quiet, --null and --dry-run go with --split.");
        row("dry run", {"--split", "--dry-run", "--parts", "4", "--output", "o", "a"}, M::Split, {"a"},
            "parts 4 o dry");
        row("jobs", {"--split", "--jobs", "3", "--size", "1", "--output", "o", "a"}, M::Split, {"a"}, "size 1 o jobs=3");
        row("jobs at most", {"--split", "--jobs", " 256", "--size", "1", "--output", "o", "a"}, M::Split, {"a"},
            "size 1 o jobs=256");
        row("jobs 257", {"--split", "--jobs", "257", "--size", "1", "--output", "o", "a"}, M::Usage, {},
            "--jobs takes a whole number from 1 to 256.");
        row("--opt=value forms", {"--split", "--size=1", "--output=/o=x", "--jobs=2", "a"}, M::Split, {"a"},
            "size 1 /o=x jobs=2");
        row("--parts=N", {"--split", "--parts=3", "--output", "o", "--quiet", "a"}, M::Split, {"a"}, "parts 3 o quiet");
        row("parts at most", {"--split", "--parts", "32767", "--output", "o", "a"}, M::Split, {"a"}, "parts 32767 o");
        row("parts 32768", {"--split", "--parts", "32768", "--output", "o", "a"}, M::Usage, {},
            "--parts takes a number from 1 to 32767.");
        row("size at most", {"--split", "--size", "2047", "--output", "o", "a"}, M::Split, {"a"}, "size 2047 o");
        row("short options", {"--split", "-q", "-z", "--size", "1", "--output", "o", "a"}, M::Split, {"a"},
            "size 1 o quiet null");
        row("--null", {"--split", "--null", "--size", "1", "--output", "o", "a"}, M::Split, {"a"}, "size 1 o null");
        row("--null without --split", {"--null", "a"}, M::Usage, {},
            "--size, --parts, --output, --jobs, --quiet, --null and --dry-run go with --split.");
        row("an empty value", {"--split", "--size=", "--output", "o", "a"}, M::Usage, {},
            "--size takes a number of megabytes from 1 to 2047.");
        row("size 0", {"--split", "--size", "0", "--output", "o", "a"}, M::Usage, {},
            "--size takes a number of megabytes from 1 to 2047.");
        row("a value where none is taken", {"--split=yes", "--size", "1", "--output", "o", "a"}, M::Usage, {},
            "--split takes no value.");
        row("an empty FILE", {"--split", "--size", "1", "--output", "o", "--", ""}, M::Usage, {},
            "an empty FILE names no file.");
        row("jobs 0", {"--split", "--jobs", "0", "--size", "1", "--output", "o", "a"}, M::Usage, {},
            "--jobs takes a whole number from 1 to 256.");
        row("dry run without --split", {"--dry-run", "a"}, M::Usage, {},
            "--size, --parts, --output, --jobs, --quiet, --null and --dry-run go with --split.");
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QFETCH(QStringList, files);
        QFETCH(QString, summary);
        const CommandLine line = ParseCommandLine(args);
        QCOMPARE(int(line.mode), mode);
        if (line.mode == CommandLine::Mode::Usage) {
            QCOMPARE(line.error, summary);
            return;
        }
        QCOMPARE(line.files, files);
        if (line.mode == CommandLine::Mode::Split)
            QCOMPARE(QString("%1 %2 %3").arg(line.byParts ? "parts" : "size", line.number, line.output)
                         + (line.jobs ? QString(" jobs=%1").arg(line.jobs) : QString()) + (line.quiet ? " quiet" : "")
                         + (line.null ? " null" : "") + (line.dryRun ? " dry" : ""),
                     summary);
    }

    void filesFromTheCommandLineAreListedWithFullPaths()
    {
        QCOMPARE(PathsToList({"a.zip", "../b/c.zip", "/abs/d.zip", "sub/", "."}, "/home/u/work"),
                 QStringList({"/home/u/work/a.zip", "/home/u/b/c.zip", "/abs/d.zip", "/home/u/work/sub", "/home/u/work"}));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
