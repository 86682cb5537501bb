#include "results/Ttest_result.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

// A batch with stored tests: each serial's curve has `samples` points whose load encodes the serial
// (serial × 100 + i), so a test replays visibly its own curve.
QString makeBatch(const TempAppDir& dir, const QString& style, const QList<int>& serials, int samples = 5,
                  int strokes = 1) {
    if (!ensureDatabaseFiles(dir.path(), 0).error.isEmpty()) return {};
    StandardScheme s;
    s.scheme_name = "S";
    s.scheme_style = style;
    s.scheme_sum = "2";
    s.scheme_jh = strokes;
    s.points[0] = {"40", "0", "0"};
    s.points[1] = {"35", "0", "0"};
    if (!insertScheme(schemeDatabasePath(dir.path()), s)) return {};
    const BatchOutcome b = newBatch(dir.path(), BatchKind::Standard, "R", "S",
                                    [](const QString&, const QString&) { return true; });
    if (!b.ok) return {};
    Database db(b.path);
    for (int x : serials) {
        for (int stroke = 1; stroke <= strokes; ++stroke)
            db.insertRow("test_result", {{"xuhao", x},
                                         {"jinhuicheng", stroke == 1 ? "进" : "回"},
                                         {"result1", "100"},
                                         {"result2", "150.5"}});
        for (int i = 1; i <= samples; ++i)
            db.insertRow("test_point", {{"xuhao", x},
                                        {"number", i},
                                        {"load", QString::number(x * 100 + i)},
                                        {"weiyi", QString::number(50 - i)},
                                        {"bianxing", QString::number(i)},
                                        {"jinhuicheng", "1"}});
    }
    return b.path;
}

}  // namespace

class TestTtestResult : public QObject {
    Q_OBJECT
private slots:
    void openMessages();
    void gridsShowFieldsInOrder();
    void replayDrawsTheCurve_data();
    void replayDrawsTheCurve();
    void curveWithoutPositiveLoadsGivesZeroAxis();
    void noSamplesKeepsTheChart();
    void deleteRenumbersResultsAndCurves();
    void deleteLastChangesNothingElse();
    void deleteAllEmptiesTheBatch();
    void traversalFollowsTheCurve();
    void pickBeforeSnapAddsOrigin();
    void testPointsLabels();
    void axisButtonsAndZoom();
    void openBatchIsInUse();
};

void TestTtestResult::openMessages() {
    TempAppDir dir;
    QCOMPARE(Ttest_result::open(dir.file("none.mdb")).message, QString("文件不存在!!"));
    dir.write("junk.mdb", "no database at all");
    QCOMPARE(Ttest_result::open(dir.file("junk.mdb")).message, QString("文件读取错误!!"));
    const QString empty = makeBatch(dir, "0", {});
    const auto opened = Ttest_result::open(empty);
    QCOMPARE(opened.message, QString("该方案无测试记录!!"));
    QVERIFY(!opened.result);
    QVERIFY(!IsFileInUse(empty));  // nothing stays open
}

void TestTtestResult::gridsShowFieldsInOrder() {
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, "0", {1, 2})).result;
    QVERIFY(r);
    QCOMPARE(Ttest_result::resultTitles().size(), 25);
    QCOMPARE(Ttest_result::resultTitles().last(), QString("      测试日期      "));
    QCOMPARE(Ttest_result::schemeTitles().size(), 36);
    QCOMPARE(Ttest_result::schemeTitles()[35], QString("测试点10下限"));
    QCOMPARE(r->resultText(1, 0), QString("2"));
    QCOMPARE(r->resultText(0, 3), QString("150.5"));
    QCOMPARE(r->schemeText(0, 0), QString("S"));
    QCOMPARE(r->schemeStyle(), 0);
    QCOMPARE(r->testPointCount(), 2);
}

void TestTtestResult::replayDrawsTheCurve_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<double>("bottomMin");
    QTest::addColumn<double>("firstX");
    QTest::newRow("style 0 plots displacement") << "0" << 0.9 * 45 << 49.0;
    QTest::newRow("style 1 starts at 0") << "1" << 0.0 << 1.0;
    QTest::newRow("style 3 starts at 0") << "3" << 0.0 << 1.0;
}

void TestTtestResult::replayDrawsTheCurve() {
    QFETCH(QString, style);
    QFETCH(double, bottomMin);
    QFETCH(double, firstX);
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, style, {1, 2})).result;
    QVERIFY(r);
    QVERIFY(r->ShowCurve(1).isEmpty());
    const ResultChart& c = r->chart();
    QVERIFY(c.series[ResultChart::Curve].visible);
    QCOMPARE(c.series[ResultChart::Curve].points.size(), 5);
    QCOMPARE(c.series[ResultChart::Curve].points[0], QPointF(firstX, 201));
    QCOMPARE(c.left.max, 1.1f * 205.0f);
    QCOMPARE(c.bottom.min, bottomMin);
    QCOMPARE(c.title, QString("当前曲线显示序号：2"));
}

void TestTtestResult::curveWithoutPositiveLoadsGivesZeroAxis() {
    TempAppDir dir;
    const QString path = makeBatch(dir, "0", {1}, 0);
    {
        Database db(path);
        for (int i = 1; i <= 3; ++i)
            db.insertRow("test_point", {{"xuhao", 1},
                                        {"number", i},
                                        {"load", QString::number(-i)},
                                        {"weiyi", "10"},
                                        {"bianxing", "1"},
                                        {"jinhuicheng", "1"}});
    }
    auto r = Ttest_result::open(path).result;
    QVERIFY(r->ShowCurve(0).isEmpty());
    QCOMPARE(r->chart().left.min, 0.0);
    QCOMPARE(r->chart().left.max, 0.0);
}

void TestTtestResult::noSamplesKeepsTheChart() {
    TempAppDir dir;
    const QString path = makeBatch(dir, "0", {1, 2});
    {
        Database db(path);
        QVERIFY(db.exec("delete from test_point where xuhao = 2"));
    }
    auto r = Ttest_result::open(path).result;
    QVERIFY(r->ShowCurve(0).isEmpty());
    QCOMPARE(r->ShowCurve(1), QString("当前序号无曲线数据!!"));
    QCOMPARE(r->chart().series[ResultChart::Curve].points[0].y(), 101.0);
}

void TestTtestResult::deleteRenumbersResultsAndCurves() {
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, "0", {1, 2, 3}, 5, 2)).result;
    QVERIFY(r->DeleteCurrent(2).isEmpty());  // row 2 is the return row of test 2: the whole test goes
    QList<int> serials;
    for (const DbRow& row : r->results()) serials << row.toInt("xuhao");
    QCOMPARE(serials, (QList<int>{1, 1, 2, 2}));
    QVERIFY(r->ShowCurve(2).isEmpty());  // former test 3, now 2, replays its own curve
    QCOMPARE(r->chart().series[ResultChart::Curve].points[0].y(), 301.0);
}

void TestTtestResult::deleteLastChangesNothingElse() {
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, "0", {1, 2, 3})).result;
    QVERIFY(r->DeleteCurrent(2).isEmpty());
    QCOMPARE(r->results().size(), 2);
    QCOMPARE(r->results()[1].toInt("xuhao"), 2);
    QVERIFY(r->ShowCurve(1).isEmpty());
    QCOMPARE(r->chart().series[ResultChart::Curve].points[0].y(), 201.0);
}

void TestTtestResult::deleteAllEmptiesTheBatch() {
    TempAppDir dir;
    const QString path = makeBatch(dir, "0", {1, 2});
    auto r = Ttest_result::open(path).result;
    QVERIFY(r->DeleteAll().isEmpty());
    QVERIFY(r->results().isEmpty());
    QCOMPARE(r->DeleteAll(), QString("无测试记录！！"));
    QCOMPARE(r->DeleteCurrent(0), QString("无测试记录！！"));
    r.reset();
    Database db(path);
    QCOMPARE(db.select("select * from test_point")->size(), 0);
}

void TestTtestResult::traversalFollowsTheCurve() {
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, "1", {1})).result;
    r->StartTraversal();
    QVERIFY(!r->traversing());  // no curve replayed yet
    QVERIFY(r->ShowCurve(0).isEmpty());
    r->StartTraversal();
    QVERIFY(r->traversing());
    r->TrackCursor(1, 2.0, 500);  // above the curve at deformation 2: the sample (2, 102)
    QCOMPARE(r->traversalPoint(), QPointF(2, 102));
    QCOMPARE(r->chart().series[ResultChart::Traversal].labels[0], QString(" X: 2 ;Y: 102"));
    r->TrackCursor(1, 3.0, 50);  // below the curve: the marker stays
    QCOMPARE(r->traversalPoint(), QPointF(2, 102));
    r->PickPoint(1);
    QCOMPARE(r->chart().series[ResultChart::Picked].labels[0], QString("变形:2;负荷:102"));
    r->ClearPicked();
    QVERIFY(r->chart().series[ResultChart::Picked].points.isEmpty());
    r->EndTraversal();
    QVERIFY(!r->chart().series[ResultChart::Traversal].visible);
}

void TestTtestResult::pickBeforeSnapAddsOrigin() {
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, "0", {1})).result;
    r->ShowCurve(0);
    r->StartTraversal();
    r->PickPoint(0);
    QCOMPARE(r->chart().series[ResultChart::Picked].points[0], QPointF(0, 0));
    QCOMPARE(r->chart().series[ResultChart::Picked].labels[0], QString("高度:0;负荷:0"));
}

void TestTtestResult::testPointsLabels() {
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, "0", {1})).result;
    r->ShowTestPoints(0, 2, 0, "mm", "N");
    const ChartSeriesData& p = r->chart().series[ResultChart::Picked];
    QCOMPARE(p.points, (QVector<QPointF>{{40, 100}, {35, 150.5}}));
    QCOMPARE(p.labels[1], QString("高度:35mm;负荷:150.5N"));
}

void TestTtestResult::axisButtonsAndZoom() {
    AxisRange y{0, 10, 1};
    raiseAxisMaximum(y, 2);
    QCOMPARE(y.max, 12.0);
    QCOMPARE(y.step, 1.2);
    AxisRange small{0, 3, 0.3};
    lowerAxisMaximum(small, 2);
    QCOMPARE(small.max, 1.0);
    lowerAxisMaximum(small, 2);  // would reach below the minimum: unchanged
    QCOMPARE(small.max, 1.0);
    lowerAxisMaximum(small, 1);  // would reach the minimum itself: unchanged
    QCOMPARE(small.max, 1.0);
    AxisRange z{0, 100, 10};
    zoomAxisIn(z);
    QCOMPARE(z.min, 5.0);
    QCOMPARE(z.max, 95.0);
    zoomAxisOut(z);
    QCOMPARE(z.min, 5.0 - 13.5);
    QCOMPARE(z.max, 95.0 + 13.5);
}

void TestTtestResult::openBatchIsInUse() {
    TempAppDir dir;
    const QString path = makeBatch(dir, "0", {1});
    auto r = Ttest_result::open(path).result;
    QVERIFY(IsFileInUse(path));
    r.reset();
    QVERIFY(!IsFileInUse(path));
}

QTEST_GUILESS_MAIN(TestTtestResult)
#include "tst_ttest_result.moc"
