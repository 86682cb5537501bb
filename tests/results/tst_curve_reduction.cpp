#include "results/CurveReduction.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <map>

using namespace springtest;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool drawable(const QPointF& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// A spring's load curve as a 1 kHz recording sees it: displacement creeping on, the load rising with
// noise from the converter.
QVector<QPointF> noisyRamp(int count) {
    QVector<QPointF> points;
    quint32 seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = (seed >> 8) / double(1 << 24) - 0.5;
        points << QPointF(i * 0.001, 2.0 * i * 0.001 + noise);
    }
    return points;
}

// Out and back over the same columns, the way back lower (the spring's hysteresis).
QVector<QPointF> outAndBack(int each) {
    QVector<QPointF> points;
    for (int i = 0; i < each; ++i) points << QPointF(i * 0.01, i * 0.1);
    for (int i = each - 1; i >= 0; --i) points << QPointF(i * 0.01, i * 0.1 - 1.0);
    return points;
}

}  // namespace

class TestCurveReduction : public QObject {
    Q_OBJECT
private slots:
    void keepsWhatTheChartShows_data();
    void keepsWhatTheChartShows();
};

void TestCurveReduction::keepsWhatTheChartShows_data() {
    QTest::addColumn<QVector<QPointF>>("points");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("mostKept");
    QTest::addColumn<bool>("bothWays");  // every column is kept on the way out and on the way back

    QTest::newRow("nothing") << QVector<QPointF>{} << 100 << 0 << false;
    QTest::newRow("one point") << QVector<QPointF>{{3, 4}} << 100 << 1 << false;
    QTest::newRow("fewer points than columns: all of them")
        << QVector<QPointF>{{0, 1}, {1, 5}, {2, 2}, {3, 7}} << 1000 << 4 << false;
    QTest::newRow("60,000 noisy readings on 1000 columns") << noisyRamp(60000) << 1000 << 4000 << false;
    QTest::newRow("out and back") << outAndBack(5000) << 500 << 4000 << true;
    QTest::newRow("the crosshead standing: one column")
        << QVector<QPointF>{{5, 1}, {5, 9}, {5, -2}, {5, 4}, {5, 3}} << 1000 << 4 << false;
    QTest::newRow("points that cannot be drawn")
        << QVector<QPointF>{{kNaN, 1}, {0, 1}, {1, kNaN}, {1, 2}, {2, 0}, {kNaN, kNaN}} << 1000 << 3 << false;
    QTest::newRow("no column asked for")
        << QVector<QPointF>{{0, 1}, {1, 5}, {2, 2}, {3, 7}, {4, 0}} << 0 << 4 << false;
}

void TestCurveReduction::keepsWhatTheChartShows() {
    QFETCH(QVector<QPointF>, points);
    QFETCH(int, columns);
    QFETCH(int, mostKept);
    QFETCH(bool, bothWays);

    const std::vector<int> kept = columnExtremes(points, columns);
    QVERIFY2(int(kept.size()) <= mostKept, qPrintable(QString::number(kept.size())));

    // In the order measured, each point once, none that cannot be drawn.
    for (size_t k = 0; k < kept.size(); ++k) {
        QVERIFY(kept[k] >= 0 && kept[k] < points.size());
        QVERIFY(drawable(points[kept[k]]));
        if (k > 0) QVERIFY(kept[k] > kept[k - 1]);
    }

    // The first and the last point that can be drawn.
    int first = -1, last = -1;
    for (int i = 0; i < points.size(); ++i) {
        if (!drawable(points[i])) continue;
        if (first < 0) first = i;
        last = i;
    }
    if (first < 0) {
        QVERIFY(kept.empty());
        return;
    }
    QCOMPARE(kept.front(), first);
    QCOMPARE(kept.back(), last);

    // Every pixel column's lowest and highest value.
    double xMin = points[first].x(), xMax = xMin;
    for (const QPointF& p : points)
        if (drawable(p)) xMin = std::min(xMin, p.x()), xMax = std::max(xMax, p.x());
    const int n = std::max(1, columns);
    const auto columnOf = [&](const QPointF& p) {
        return xMax > xMin ? std::min(n - 1, int((p.x() - xMin) / (xMax - xMin) * n)) : 0;
    };
    struct Extremes {
        double low = std::numeric_limits<double>::infinity();
        double high = -std::numeric_limits<double>::infinity();
        bool out = false, back = false;
    };
    std::map<int, Extremes> all, drawn;
    for (int i = 0; i < points.size(); ++i) {
        if (!drawable(points[i])) continue;
        Extremes& e = all[columnOf(points[i])];
        e.low = std::min(e.low, points[i].y());
        e.high = std::max(e.high, points[i].y());
    }
    for (const int i : kept) {
        Extremes& e = drawn[columnOf(points[i])];
        e.low = std::min(e.low, points[i].y());
        e.high = std::max(e.high, points[i].y());
        (i < points.size() / 2 ? e.out : e.back) = true;
    }
    QCOMPARE(drawn.size(), all.size());
    for (const auto& [column, e] : all) {
        QCOMPARE(drawn[column].low, e.low);
        QCOMPARE(drawn[column].high, e.high);
        if (bothWays) QVERIFY(drawn[column].out && drawn[column].back);
    }
}

QTEST_GUILESS_MAIN(TestCurveReduction)
#include "tst_curve_reduction.moc"
