#include "results/Ttest_result_gbth.h"
#include "storage/Database.h"
#include "support/LeafBatch.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

// One test of a batch of scheme style `style`, whose curve is given as (displacement, deformation, load).
struct CurveBatch {
    TempAppDir app;
    std::unique_ptr<Ttest_result_gbth> browser;
    CurveBatch(const QString& style, const QList<std::array<double, 3>>& samples) {
        LeafSpringScheme s;
        s.scheme_name = "L";
        s.scheme_style = style;
        s.scheme_sum = "1";
        s.points[0].value = "1";
        QList<QVariantMap> curve;
        int number = 0;
        for (const auto& [weiyi, bianxing, load] : samples)
            curve << QVariantMap{{"number", ++number},
                                 {"weiyi", QString::number(weiyi)},
                                 {"bianxing", QString::number(bianxing)},
                                 {"load", QString::number(load)}};
        const QString batch = makeLeafBatch(app.path(), s);
        if (batch.isEmpty() || !storeLeafTests(batch, {{1, {{"ziyou_height", "100"}}, curve}}))
            qFatal("no batch");
        browser = std::move(Ttest_result_gbth::open(batch).result);
        if (!browser || !browser->ShowCurve(0).isEmpty()) qFatal("no curve");
    }
};

}  // namespace

class TestTtestResultGbth : public QObject {
    Q_OBJECT
private slots:
    void axesFromTheCurve_data();
    void axesFromTheCurve();
    void markerFollowsTheCurve_data();
    void markerFollowsTheCurve();
    void markerLabel_data();
    void markerLabel();
};

void TestTtestResultGbth::axesFromTheCurve_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<double>("bottomMin");
    QTest::addColumn<double>("bottomMax");
    // The displacement falls while pressing and rises again: the bottom axis starts below the last
    // sample's, not below the lowest.
    QTest::newRow("displacement") << "0" << 0.9 * 194 << 1.1 * 200;
    QTest::newRow("deformation") << "3" << 0.0 << 1.1 * 10;
}

void TestTtestResultGbth::axesFromTheCurve() {
    QFETCH(QString, style);
    QFETCH(double, bottomMin);
    QFETCH(double, bottomMax);
    CurveBatch b(style, {{200, 0, 0}, {195, 5, 1}, {190, 10, 2.5}, {194, 6, 1}});
    const ResultChart& chart = b.browser->chart();
    QCOMPARE(chart.series[ResultChart::Curve].points.size(), 4);
    QVERIFY(qAbs(chart.bottom.min - bottomMin) < 1e-4);
    QVERIFY(qAbs(chart.bottom.max - bottomMax) < 1e-4);
    QVERIFY(qAbs(chart.left.max - 2.75) < 1e-4);
    QVERIFY(qAbs(chart.left.step - 0.275) < 1e-4);
}

void TestTtestResultGbth::markerFollowsTheCurve_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("label");  // empty: the marker does not move
    QTest::newRow("deformation, above the curve") << "3" << 4.0 << 3.0 << " X: 5 ;Y: 1   ;S:  200";
    QTest::newRow("deformation, below the curve") << "3" << 4.0 << 0.5 << "";
    QTest::newRow("displacement, above the curve") << "0" << 196.0 << 3.0 << " X: 195 ;Y: 1";
    // Left of where the cycle ended the curve is not followed.
    QTest::newRow("displacement, left of the end") << "0" << 191.0 << 3.0 << "";
}

void TestTtestResultGbth::markerFollowsTheCurve() {
    QFETCH(QString, style);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QString, label);
    CurveBatch b(style, {{200, 0, 0}, {195, 5, 1}, {190, 10, 2.5}, {194, 6, 1}});
    b.browser->ToggleTraversal();
    QVERIFY(b.browser->traversing());
    b.browser->TrackCursor(b.browser->schemeStyle(), x, y);
    const ChartSeriesData& marker = b.browser->chart().series[ResultChart::Traversal];
    QCOMPARE(marker.labels, label.isEmpty() ? QStringList{} : QStringList{label});
}

void TestTtestResultGbth::markerLabel_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("label");
    QTest::newRow("secant") << 12.345 << 2.5 << " X: 12.35 ;Y: 2.5   ;S:  203";
    // At the start of the curve there is no secant to divide out.
    QTest::newRow("no deformation") << 0.0 << 0.0 << " X: 0 ;Y: 0   ;S:  /";
}

void TestTtestResultGbth::markerLabel() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QString, label);
    QCOMPARE(leafMarkerLabel(x, y), label);
}

QTEST_MAIN(TestTtestResultGbth)
#include "tst_ttest_result_gbth.moc"
