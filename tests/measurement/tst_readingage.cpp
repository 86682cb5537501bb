#include "measurement/PulseHistory.h"
#include "measurement/ReadingAge.h"
#include "support/NearCompare.h"

#include <QtTest>

using namespace springtest;
using Micros = std::chrono::microseconds;

class TestReadingAge : public QObject {
    Q_OBJECT
private slots:
    void ageFollowsTheConvertersPace_data();
    void ageFollowsTheConvertersPace();
    void pulsesBetweenReadings_data();
    void pulsesBetweenReadings();
};

namespace {
constexpr double kFifoReadings = 15.0;
}

void TestReadingAge::ageFollowsTheConvertersPace_data() {
    QTest::addColumn<int>("warmUp");               // readings at 1 ms each before the case's own
    QTest::addColumn<QList<qint64>>("intervals");  // µs between the case's readings
    QTest::addColumn<QList<qint64>>("ages");       // µs, as each of them is judged
    QTest::addColumn<qint64>("tolerance");         // µs: what the holds themselves add to the learnt pace

    const int full = ReadingAge::kWindow + 1;
    QTest::newRow("keeping up") << full << QList<qint64>{1000, 1100, 900, 1000} << QList<qint64>{0, 0, 0, 0}
                                << qint64(0);
    // How a reading falls on the driver's wake-ups varies: some wait longer, the next ones less.
    QTest::newRow("uneven wake-ups") << full << QList<qint64>{600, 1400, 600, 1400, 400, 1600, 400}
                                     << QList<qint64>{0, 0, 0, 0, 0, 600, 0} << qint64(5);
    // Held 10 ms: the reading after the hold is 10 ms old, the buffered ones that come back to back after
    // it each a reading younger, until the reader waits for the converter again.
    QTest::newRow("held up, then catching up")
        << full << QList<qint64>{11000, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 1000}
        << QList<qint64>{10000, 9020, 8040, 7060, 6080, 5100, 4120, 3140, 2160, 1180, 200, 0} << qint64(30);
    QTest::newRow("two holds add up")
        << full << QList<qint64>{4000, 3000, 20} << QList<qint64>{3000, 5000, 4020} << qint64(10);
    // Held longer than the FIFO holds: the oldest conversions are lost, and the buffered readings are no
    // older than the FIFO is deep.
    QTest::newRow("longer than the FIFO holds")
        << full << QList<qint64>{100000, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 1000}
        << QList<qint64>{15000, 14020, 13040, 12060, 11080, 10100, 9120, 8140, 7160,
                         6180,  5200,  4220,  3240,  2260,  1280,  300,  0}
        << qint64(400);
    // A converter that buffers nothing answers at once after a hold: only the reading that was held is
    // taken for an old one.
    QTest::newRow("unbuffered converter")
        << full << QList<qint64>{5000, 1000, 1000} << QList<qint64>{4000, 0, 0} << qint64(0);
    QTest::newRow("pace not learnt yet")
        << 10 << QList<qint64>{11000, 20} << QList<qint64>{0, 0} << qint64(0);
}

void TestReadingAge::ageFollowsTheConvertersPace() {
    QFETCH(int, warmUp);
    QFETCH(QList<qint64>, intervals);
    QFETCH(QList<qint64>, ages);
    QFETCH(qint64, tolerance);

    ReadingAge age(kFifoReadings);
    Micros now{1'000'000};
    for (int i = 0; i < warmUp; ++i) {
        now += Micros(1000);
        QCOMPARE(age.onReading(now), Micros{0});
    }
    for (qsizetype i = 0; i < intervals.size(); ++i) {
        now += Micros(intervals[i]);
        COMPARE_NEAR(age.onReading(now).count(), ages[i], 0.0, tolerance,
                     QStringLiteral("reading %1").arg(i + 1));
    }
}

void TestReadingAge::pulsesBetweenReadings_data() {
    QTest::addColumn<QList<qint64>>("times");  // µs
    QTest::addColumn<QList<int>>("pulses");
    QTest::addColumn<qint64>("at");
    QTest::addColumn<double>("expected");

    const QList<qint64> t{1000, 2000, 12000, 12020};
    const QList<int> n{400, 800, 4800, 4808};
    QTest::newRow("at a reading") << t << n << qint64(2000) << 800.0;
    QTest::newRow("between two") << t << n << qint64(1250) << 500.0;
    QTest::newRow("across a hold") << t << n << qint64(7000) << 2800.0;
    QTest::newRow("after the newest") << t << n << qint64(20000) << 4808.0;
    QTest::newRow("before the oldest") << t << n << qint64(0) << 400.0;
    QTest::newRow("nothing read") << QList<qint64>{} << QList<int>{} << qint64(0) << 0.0;
    // Only the last readings are kept: the oldest ones have gone.
    QList<qint64> many;
    QList<int> counts;
    for (int i = 0; i < PulseHistory::kSize + 10; ++i) {
        many << 1000 * i;
        counts << i;
    }
    QTest::newRow("beyond what is kept") << many << counts << qint64(0) << 10.0;

    // A loop held up for 90 ms catches up with a hundred buffered readings back to back: the readings from
    // before the hold still place a load converted during it.
    QList<qint64> held{0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000};
    QList<int> heldCounts{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int i = 0; i < 100; ++i) {
        held << 100000 + i;
        heldCounts << 100;
    }
    QTest::newRow("a catch-up after a hold")
        << held << heldCounts << qint64(50000) << 9 + (50000.0 - 9000) / (100099 - 9000) * (100 - 9);
}

void TestReadingAge::pulsesBetweenReadings() {
    QFETCH(QList<qint64>, times);
    QFETCH(QList<int>, pulses);
    QFETCH(qint64, at);
    QFETCH(double, expected);

    PulseHistory history;
    for (qsizetype i = 0; i < times.size(); ++i) history.add(Micros(times[i]), pulses[i]);
    QCOMPARE(history.at(Micros(at)), expected);
}

QTEST_GUILESS_MAIN(TestReadingAge)
#include "tst_readingage.moc"
