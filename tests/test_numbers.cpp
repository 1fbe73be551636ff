// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AppError.h"
#include "common/NumberConversion.h"

#include <QTest>

using namespace qm;

class NumberConversionTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toLong_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("error"); // 0 = converts

        QTest::newRow("plain") << "20" << 20 << 0;
        QTest::newRow("spaces around") << "  42  " << 42 << 0;
        QTest::newRow("tab around") << "\t7\t" << 7 << 0;
        QTest::newRow("plus sign") << "+5" << 5 << 0;
        QTest::newRow("minus sign") << "-5" << -5 << 0;
        QTest::newRow("half to even down") << "2.5" << 2 << 0;
        QTest::newRow("half to even up") << "3.5" << 4 << 0;
        QTest::newRow("negative half") << "-2.5" << -2 << 0;
        QTest::newRow("zero half") << "0.5" << 0 << 0;
        QTest::newRow("above half") << "2.5000001" << 3 << 0;
        QTest::newRow("below half") << "2.4999999" << 2 << 0;
        QTest::newRow("2047.4") << "2047.4" << 2047 << 0;
        QTest::newRow("2047.5") << "2047.5" << 2048 << 0;
        QTest::newRow("leading point") << ".6" << 1 << 0;
        QTest::newRow("trailing point") << "6." << 6 << 0;
        QTest::newRow("leading zeros") << "000000000000000012" << 12 << 0;
        QTest::newRow("max") << "2147483647" << 2147483647 << 0;
        QTest::newRow("min") << "-2147483648" << int(-2147483647 - 1) << 0;
        QTest::newRow("max rounds over") << "2147483647.5" << 0 << 6;
        QTest::newRow("just over") << "2147483648" << 0 << 6;
        QTest::newRow("huge") << "99999999999999999999999" << 0 << 6;
        QTest::newRow("empty") << "" << 0 << 13;
        QTest::newRow("spaces only") << "   " << 0 << 13;
        QTest::newRow("letters") << "abc" << 0 << 13;
        QTest::newRow("trailing junk") << "12ab" << 0 << 13;
        QTest::newRow("inner space") << "1 2" << 0 << 13;
        QTest::newRow("sign only") << "-" << 0 << 13;
        QTest::newRow("point only") << "." << 0 << 13;
        QTest::newRow("two signs") << "--1" << 0 << 13;
        QTest::newRow("two points") << "1.2.3" << 0 << 13;
    }
    void toLong()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QFETCH(int, error);
        try {
            const int value = ToLong(text);
            QCOMPARE(error, 0);
            QCOMPARE(value, expected);
        } catch (const AppError &e) {
            QCOMPARE(e.number(), error);
        }
    }

    void toInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("error");
        QTest::newRow("five") << "5" << 5 << 0;
        QTest::newRow("zero point four") << "0.4" << 0 << 0;
        QTest::newRow("negative") << "-3" << -3 << 0;
        QTest::newRow("max") << "32767" << 32767 << 0;
        QTest::newRow("min") << "-32768" << -32768 << 0;
        QTest::newRow("over") << "32768" << 0 << 6;
        QTest::newRow("under") << "-32769" << 0 << 6;
        QTest::newRow("rounds over") << "32767.5" << 0 << 6;
        QTest::newRow("not a number") << "five" << 0 << 13;
    }
    void toInteger()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QFETCH(int, error);
        try {
            const int value = ToInteger(text);
            QCOMPARE(error, 0);
            QCOMPARE(value, expected);
        } catch (const AppError &e) {
            QCOMPARE(e.number(), error);
        }
    }

    void toBoolean_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 0 false, 1 true, -1 type mismatch
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("true lower") << "true" << 1;
        QTest::newRow("FALSE upper") << "FALSE" << 0;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("minus one") << "-1" << 1;
        QTest::newRow("zero point zero") << "0.0" << 0;
        QTest::newRow("fraction") << "0.25" << 1;
        QTest::newRow("yes") << "yes" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("garbage") << "Tru e" << -1;
    }
    void toBoolean()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        try {
            QCOMPARE(int(ToBoolean(text)), expected);
        } catch (const AppError &e) {
            QCOMPARE(expected, -1);
            QCOMPARE(e.number(), 13);
        }
    }
};

QTEST_GUILESS_MAIN(NumberConversionTest)
#include "test_numbers.moc"
