// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a folder in the file manager through the real toolkit, with a stand-in xdg-open: a
// desktop that cannot open it is told in a box, not on standard error alone.
#include "BoxRecordingToolkit.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace qm;

class OpenFolderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void failureIsSaid_data()
    {
        QTest::addColumn<QByteArray>("opener"); // what xdg-open does once it wrote what it was asked
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("said");
        QTest::newRow("opened") << QByteArray("exit 0") << true << false;
        QTest::newRow("no file manager") << QByteArray("echo 'xdg-open: no method available' >&2; exit 3") << true << true;
        QTest::newRow("killed") << QByteArray("kill -9 $$") << true << true;
        QTest::newRow("no xdg-open") << QByteArray() << false << false;
    }
    void failureIsSaid()
    {
        QFETCH(QByteArray, opener);
        QFETCH(bool, started);
        QFETCH(bool, said);
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const QString asked = bin.filePath("asked");
        const QString ended = bin.filePath("ended");
        if (!opener.isEmpty()) {
            QFile script(bin.filePath("xdg-open"));
            QVERIFY(script.open(QIODevice::WriteOnly));
            // Shell built-ins only: the search path holds this folder alone.
            script.write("#!/bin/sh\necho \"$1\" > '" + asked.toUtf8() + "'\n: > '" + ended.toUtf8() + "'\n"
                         + opener + "\n");
            script.close();
            QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(bin.path()));

        BoxRecordingToolkit toolkit;
        QCOMPARE(toolkit.openFolder("/home/anna/out dir"), started);
        if (started) {
            QTRY_VERIFY(QFile::exists(ended));
            QFile got(asked);
            QVERIFY(got.open(QIODevice::ReadOnly));
            QCOMPARE(got.readAll(), QByteArray("file:///home/anna/out%20dir\n"));
        }
        const QStringList box{"The folder /home/anna/out dir could not be opened."};
        QTRY_COMPARE(toolkit.boxes, said ? box : QStringList());
        QTest::qWait(200); // the end of a launch that opened it: still no box
        QCOMPARE(toolkit.boxes, said ? box : QStringList());
    }
};

QTEST_GUILESS_MAIN(OpenFolderTest)
#include "test_open_folder.moc"
