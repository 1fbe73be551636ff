// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/RunReport.h"
#include "split/TimeLeftEstimator.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace qm;

namespace {

// One archive's share of a run's bytes: its megabytes, written at an even pace from `from` to `to`
// seconds. Archives side by side overlap; the run's bytes are the sum, as SplitJob reports them.
struct Stretch
{
    double from;
    double to;
    double megabytes;
};
using Stretches = QVector<Stretch>;

std::int64_t bytesAt(const Stretches &archives, double seconds)
{
    double bytes = 0;
    for (const Stretch &a : archives)
        bytes += a.megabytes * 1e6 * std::clamp((seconds - a.from) / (a.to - a.from), 0.0, 1.0);
    return std::int64_t(bytes);
}

} // namespace

Q_DECLARE_METATYPE(Stretches)

class TimeLeftTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void holdsToTheRecentPace_data()
    {
        QTest::addColumn<Stretches>("archives");
        QTest::addColumn<double>("step"); // seconds between the parts' pieces landing; 0: bytes flow
        QTest::addColumn<double>("settledAt"); // seconds: a few after the pace last changed
        QTest::newRow("steady, one archive after another")
            << Stretches{{0, 10, 100}, {10.5, 20.5, 100}, {21, 31, 100}, {31.5, 41.5, 100}} << 0.0 << 0.0;
        QTest::newRow("in steps, pauses between archives")
            << Stretches{{0, 10, 100}, {11, 21, 100}, {22, 32, 100}, {33, 43, 100}} << 0.6 << 0.0;
        // Planning a large archive: the first seconds write little.
        QTest::newRow("slow start, then steady") << Stretches{{0, 8, 16}, {8, 48, 400}} << 0.0 << 14.0;
        QTest::newRow("two archives side by side")
            << Stretches{{0, 10, 100}, {0, 30, 300}, {10.2, 20.2, 100}, {20.4, 30.4, 100}} << 0.0 << 0.0;
        // The run's pace falls to a fifth at 10 s: the whole run's average stays hopeful and stalls.
        QTest::newRow("side by side, the faster one ends first")
            << Stretches{{0, 10, 200}, {0, 30, 150}} << 0.0 << 16.0;
        // Half the pace with ten seconds left: an estimate slow to follow stands still meanwhile.
        QTest::newRow("side by side, the last one alone") << Stretches{{0, 10, 100}, {0, 20, 200}} << 0.0 << 14.0;
    }
    // Past the run's first tenth and once a new pace has had a few seconds, the estimate is within
    // a quarter of the truth; the seconds shown count down rather than stand still; nothing is
    // shown before two seconds and one percent, and never "0 seconds".
    void holdsToTheRecentPace()
    {
        QFETCH(Stretches, archives);
        QFETCH(double, step);
        QFETCH(double, settledAt);
        double end = 0;
        for (const Stretch &a : archives)
            end = std::max(end, a.to);
        const std::int64_t total = bytesAt(archives, end);
        TimeLeftEstimator estimator;
        std::int64_t last = -1;
        QString shown;
        double shownSince = 0;
        // Four reports a second, only when bytes moved, as SplitJob sends them.
        for (int ms = 250; ms < int(end * 1000); ms += 250) {
            const double now = ms / 1000.0;
            const std::int64_t bytes = bytesAt(archives, step > 0 ? std::floor(now / step) * step : now);
            if (bytes == last)
                continue;
            last = bytes;
            estimator.feed(ms, bytes, total);
            const QString text = TimeLeftText(estimator);
            QCOMPARE(text.isEmpty(), ms < 2000 || bytes * 100 < total);
            if (text.isEmpty())
                continue;
            QVERIFY2(!text.startsWith(QStringLiteral("about 0 ")), qPrintable(text));
            const double truth = end - now;
            const double left = estimator.secondsLeft().value_or(-1);
            if (now >= settledAt && bytes * 10 >= total) // half a second for the rounding at the end
                QVERIFY2(std::abs(left - truth) <= 0.25 * truth + 0.5,
                         qPrintable(QStringLiteral("at %1 s: %2 s left, truly %3 s").arg(now).arg(left).arg(truth)));
            if (text != shown || left >= 60) { // minutes may stand for a minute
                shown = text;
                shownSince = now;
            }
            QVERIFY2(now - shownSince <= 3.0, qPrintable(QStringLiteral("at %1 s: \"%2\" since %3 s")
                                                             .arg(now).arg(text).arg(shownSince)));
        }
    }
};

QTEST_MAIN(TimeLeftTest)
#include "test_time_left.moc"
