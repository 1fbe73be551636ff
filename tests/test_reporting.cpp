// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "common/AppError.h"
#include "toolkit/ReportingHandler.h"

#include <QTest>

#include <stdexcept>

using namespace qm;

class ReportingHandlerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reportTextIsExact_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("expected");
        QTest::newRow("load 108") << "Form_Load" << 108 << "Invalid picture"
                                  << "Invalid picture\r\nin Tarnwell6/20/2015.Form1.Form_Load at line 108\r\r"
                                     "Please email screenshot of this message to support@quillmere.example";
        QTest::newRow("no step yet") << "PushButton2_Click" << 0 << "Overflow"
                                     << "Overflow\r\nin Tarnwell6/20/2015.Form1.PushButton2_Click at line 0\r\r"
                                        "Please email screenshot of this message to support@quillmere.example";
    }
    void reportTextIsExact()
    {
        QFETCH(QString, handler);
        QFETCH(int, line);
        QFETCH(QString, description);
        QFETCH(QString, expected);
        TestWorld world;
        ShowErrorReport(world.toolkit(), handler, line, description);
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, expected);
        QCOMPARE(boxes[0].title, QStringLiteral("Application Error"));
        QCOMPARE(boxes[0].icon, int(vbExclamation));
        QCOMPARE(boxes[0].buttons, int(vbOKOnly));
    }

    void failingStepReportsAndResumes()
    {
        TestWorld world;
        QStringList ran;
        ReportingHandler h(world.toolkit(), QStringLiteral("PushButton4_Click"));
        h.also([&] { throw AppError::overflow(); });              // before any step: line 0
        h.step(100, [&] { ran << "100"; });
        h.step(102, [&] { throw AppError::typeMismatch(); });
        h.also([&] { ran << "102b"; });                           // next action of the same step
        h.step(104, [&] { throw std::runtime_error("boom"); });
        h.step(106, [&] { ran << "106"; });

        QCOMPARE(ran, (QStringList{"100", "102b", "106"}));
        const auto boxes = world.toolkit().messages();
        QCOMPARE(boxes.size(), 3);
        QVERIFY(boxes[0].text.startsWith("Overflow\r\n") && boxes[0].text.contains("at line 0\r\r"));
        QVERIFY(boxes[1].text.startsWith("Type mismatch\r\n") && boxes[1].text.contains("at line 102\r\r"));
        QVERIFY(boxes[2].text.startsWith("boom\r\n") && boxes[2].text.contains("at line 104\r\r"));
        QCOMPARE(h.reportCount(), 3);
    }

    void failingGuardRunsGuardedActions()
    {
        TestWorld world;
        ReportingHandler h(world.toolkit(), QStringLiteral("Form_Load"));
        bool guarded = false;
        if (h.test(106, [&]() -> bool { throw AppError::pathNotFound(); }))
            h.step(108, [&] { guarded = true; });
        QVERIFY(guarded);
        QCOMPARE(world.toolkit().messages().size(), 1);
        QVERIFY(world.toolkit().messages()[0].text.contains("at line 106"));

        QVERIFY(!h.test(110, [] { return false; }));
        QCOMPARE(world.toolkit().messages().size(), 1);
    }
};

QTEST_MAIN(ReportingHandlerTest)
#include "test_reporting.moc"
