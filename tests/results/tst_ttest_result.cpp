#include "results/Ttest_result.h"
#include "storage/Database.h"
#include "storage/FullRateCurve.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"
#include "support/BatchMaker.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::serialCurve;
using springtest::testing::StoredTest;
using springtest::testing::storeTests;
using springtest::testing::TempAppDir;

namespace {

// A batch with stored tests, each with `strokes` result rows and a curve of `samples` points that tells its
// serial (see serialCurve), so a test replays visibly its own curve.
QString makeBatch(const TempAppDir& dir, const QString& style, const QList<int>& serials, int samples = 5,
                  int strokes = 1) {
    StandardScheme s;
    s.scheme_name = "S";
    s.scheme_style = style;
    s.scheme_sum = "2";
    s.scheme_jh = strokes;
    s.points[0] = {"40", "0", "0"};
    s.points[1] = {"35", "0", "0"};
    const QString batch = testing::makeBatch(dir.path(), s, "R");
    QList<StoredTest> tests;
    for (int x : serials) {
        for (int stroke = 1; stroke <= strokes; ++stroke)
            tests << StoredTest{
                x,
                {{"jinhuicheng", stroke == 1 ? "进" : "回"}, {"result1", "100"}, {"result2", "150.5"}},
                stroke == 1 ? serialCurve(x, samples) : QList<QVariantMap>{}};
    }
    return !batch.isEmpty() && storeTests(batch, tests) ? batch : QString();
}

// A full-rate recording of `count` readings: displacement down from 4000 and deformation up from 0 by
// 1/16 a reading, the load as much (signed negative, as a pulling cell reads) with one spike of −10000 in
// the middle. Values that a float and the chart's four decimals hold exactly.
FullRateCurve recording(int count) {
    FullRateCurve curve;
    for (int i = 0; i < count; ++i)
        curve.push_back(
            {i / 1000.0f, i == count / 2 ? -10000.0f : -i / 16.0f, 4000.0f - i / 16.0f, i / 16.0f, 1});
    return curve;
}

}  // namespace

class TestTtestResult : public QObject {
    Q_OBJECT
private slots:
    void openMessages();
    void olderBatchWithADoubledTestIsOpenedWhole();
    void gridsShowFieldsInOrder();
    void replayDrawsTheCurve_data();
    void replayDrawsTheCurve();
    void curveWithoutPositiveLoadsGivesZeroAxis();
    void noSamplesKeepsTheChart();
    void deleteRenumbersResultsAndCurves();
    void deleteRenumbersTestsStoredOutOfOrder();
    void deleteLastChangesNothingElse();
    void deleteAllEmptiesTheBatch();
    void replayedTestFollowsDeletions_data();
    void replayedTestFollowsDeletions();
    void traversalFollowsTheCurve();
    void pickBeforeSnapAddsOrigin();
    void testPointsLabels();
    void axisButtonsAndZoom();
    void openBatchIsInUse();
    void operatorsFollowTheirTests_data();
    void operatorsFollowTheirTests();
    void fullRateReplay_data();
    void fullRateReplay();
    void fullRateCurvesFollowTheirTests();
};

void TestTtestResult::openMessages() {
    TempAppDir dir;
    QCOMPARE(Ttest_result::open(dir.file("none.mdb")).message, QString("文件不存在!!"));
    dir.write("junk.mdb", "no database at all");
    // The system's words first, the engine's after them.
    QCOMPARE(Ttest_result::open(dir.file("junk.mdb")).message,
             QString("文件读取错误!! file is not a database"));
    const QString empty = makeBatch(dir, "0", {});
    const auto opened = Ttest_result::open(empty);
    QCOMPARE(opened.message, QString("该方案无测试记录!!"));
    QVERIFY(!opened.result);
    QVERIFY(!IsFileInUse(empty));  // nothing stays open
}

void TestTtestResult::olderBatchWithADoubledTestIsOpenedWhole() {
    TempAppDir dir;
    const QString path = makeBatch(dir, "0", {1, 2});
    {
        // An older program stored test 2 twice, into a batch without the index that now refuses that.
        Database db(path);
        QVERIFY(db.exec("drop index test_result_by_test"));
        QVERIFY(db.insertRow("test_result", {{"xuhao", 2}, {"jinhuicheng", "进"}}));
    }
    const auto opened = Ttest_result::open(path);
    QVERIFY(opened.result);
    QCOMPARE(opened.result->results().size(), 3);
    QCOMPARE(opened.notice, QString("该批次有重复的试验序号(记录均已保留): 2"));
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
    QCOMPARE(r->replayedRow(), std::optional<int>(0));  // the curve on the chart is still test 1's
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

void TestTtestResult::deleteRenumbersTestsStoredOutOfOrder() {
    TempAppDir dir;
    // Later tests move down one by one in serial order, or the batch would hold two rows of one test and
    // stroke on the way.
    auto r = Ttest_result::open(makeBatch(dir, "0", {3, 2, 1}, 5, 2)).result;
    QVERIFY(r);
    const QString refusal = r->DeleteCurrent(5);  // the return row of test 1
    QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
    QList<int> serials;
    for (const DbRow& row : r->results()) serials << row.toInt("xuhao");
    QCOMPARE(serials, (QList<int>{2, 2, 1, 1}));
    QVERIFY(r->ShowCurve(0).isEmpty());  // former test 3, now 2, replays its own curve
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

// Tests 1, 2 and 3 with a forward and a return row each (rows 0 … 5): what the chart shows, and which row
// it belongs to, once a test is deleted.
void TestTtestResult::replayedTestFollowsDeletions_data() {
    QTest::addColumn<int>("replayed");  // -1: none
    QTest::addColumn<int>("deleted");   // -1: all
    QTest::addColumn<int>("rowAfter");  // -1: none
    QTest::addColumn<QString>("title");
    QTest::addColumn<double>("firstLoad");  // of the curve still shown; 0 when it is gone
    QTest::newRow("nothing replayed") << -1 << 0 << -1 << "" << 0.0;
    QTest::newRow("an earlier test: the curve moves down with its test")
        << 4 << 1 << 2 << "当前曲线显示序号：2" << 301.0;
    QTest::newRow("a later test") << 2 << 4 << 2 << "当前曲线显示序号：2" << 201.0;
    QTest::newRow("its own test, from the other stroke row") << 3 << 2 << -1 << "" << 0.0;
    QTest::newRow("all of them") << 0 << -1 << -1 << "" << 0.0;
}

void TestTtestResult::replayedTestFollowsDeletions() {
    QFETCH(int, replayed);
    QFETCH(int, deleted);
    QFETCH(int, rowAfter);
    QFETCH(QString, title);
    QFETCH(double, firstLoad);
    TempAppDir dir;
    auto r = Ttest_result::open(makeBatch(dir, "0", {1, 2, 3}, 5, 2)).result;
    QVERIFY(r);
    if (replayed >= 0) QVERIFY(r->ShowCurve(replayed).isEmpty());
    QVERIFY(deleted >= 0 ? r->DeleteCurrent(deleted).isEmpty() : r->DeleteAll().isEmpty());

    QCOMPARE(r->replayedRow(), rowAfter >= 0 ? std::optional<int>(rowAfter) : std::nullopt);
    const ResultChart& c = r->chart();
    QCOMPARE(c.title, title);
    QCOMPARE(c.series[ResultChart::Curve].visible, firstLoad > 0);
    QCOMPARE(c.series[ResultChart::Curve].points.value(0).y(), firstLoad);
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

void TestTtestResult::operatorsFollowTheirTests_data() {
    QTest::addColumn<QStringList>("operators");  // of tests 1, 2, 3; none: a batch from before operators
    QTest::addColumn<int>("deletedRow");         // -1 nothing deleted, -2 everything
    QTest::addColumn<QStringList>("shown");      // the grid's operator column afterwards, row by row

    QTest::newRow("batch without operators") << QStringList{} << -1 << QStringList{"", "", ""};
    QTest::newRow("each test its own")
        << QStringList{"甲", "乙", "丙"} << -1 << QStringList{"甲", "乙", "丙"};
    QTest::newRow("delete the middle test") << QStringList{"甲", "乙", "丙"} << 1 << QStringList{"甲", "丙"};
    QTest::newRow("delete the first test") << QStringList{"甲", "乙", "丙"} << 0 << QStringList{"乙", "丙"};
    QTest::newRow("delete from a batch without operators") << QStringList{} << 0 << QStringList{"", ""};
    QTest::newRow("delete all") << QStringList{"甲", "乙", "丙"} << -2 << QStringList{};
}

void TestTtestResult::operatorsFollowTheirTests() {
    QFETCH(QStringList, operators);
    QFETCH(int, deletedRow);
    QFETCH(QStringList, shown);
    TempAppDir dir;
    const QString path = makeBatch(dir, "0", {1, 2, 3});
    {
        Database db(path);
        for (int serial = 1; serial <= operators.size(); ++serial)
            QVERIFY(storeTestOperator(db, serial, operators[serial - 1]));
    }
    auto r = Ttest_result::open(path).result;
    QVERIFY(r);
    if (deletedRow >= 0) QVERIFY(r->DeleteCurrent(deletedRow).isEmpty());
    if (deletedRow == -2) QVERIFY(r->DeleteAll().isEmpty());
    QCOMPARE(Ttest_result::gridTitles().size(), 26);
    QCOMPARE(Ttest_result::gridTitles().last(), QString("操作员"));
    QStringList texts;
    for (int row = 0; row < r->results().size(); ++row) texts << r->gridText(row, 25);
    QCOMPARE(texts, shown);
    // What is left in the file is what the grid shows: a test stored later under a freed serial starts clean.
    r.reset();
    Database db(path);
    const auto stored = readTestOperators(db);
    QVERIFY(stored);
    QStringList inFile;
    for (int serial = 1; serial <= shown.size(); ++serial) inFile << stored->value(serial);
    QCOMPARE(inFile, shown);
    QVERIFY(!stored->contains(shown.size() + 1));
}

void TestTtestResult::fullRateReplay_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("blob");  // "curve", "none" (no table), "damaged"
    QTest::addColumn<QPointF>("first");
    QTest::addColumn<QPointF>("last");
    QTest::addColumn<double>("largestLoad");
    const double end = 59999 / 16.0;
    QTest::newRow("displacement style") << "0"
                                        << "curve" << QPointF(4000, 0) << QPointF(4000 - end, end) << 10000.0;
    QTest::newRow("deformation style") << "1"
                                       << "curve" << QPointF(0, 0) << QPointF(end, end) << 10000.0;
    // The 100 ms rows of test 1 (see serialCurve): loads 101 … 105.
    QTest::newRow("batch without full-rate curves")
        << "0"
        << "none" << QPointF(49, 101) << QPointF(45, 105) << 105.0;
    QTest::newRow("damaged full-rate curve") << "0"
                                             << "damaged" << QPointF(49, 101) << QPointF(45, 105) << 105.0;
}

void TestTtestResult::fullRateReplay() {
    QFETCH(QString, style);
    QFETCH(QString, blob);
    QFETCH(QPointF, first);
    QFETCH(QPointF, last);
    QFETCH(double, largestLoad);
    TempAppDir dir;
    const QString path = makeBatch(dir, style, {1});
    if (blob != "none") {
        Database db(path);
        QVERIFY(storeFullRateCurve(db, 1, recording(60000)));
        if (blob == "damaged") QVERIFY(db.exec("UPDATE test_fullrate SET curve = substr(curve, 1, 100)"));
    }
    auto r = Ttest_result::open(path).result;
    QVERIFY(r);
    r->setCurveColumns(1000);
    QVERIFY(r->ShowCurve(0).isEmpty());
    QCOMPARE(r->curveNotice().isEmpty(), blob != "damaged");

    const QList<QPointF>& drawn = r->chart().series[ResultChart::Curve].points;
    if (blob == "curve") {
        // A few points per pixel column, not 60,000.
        QVERIFY2(drawn.size() > 1000 && drawn.size() <= 4000, qPrintable(QString::number(drawn.size())));
    }
    QCOMPARE(drawn.first(), first);
    QCOMPARE(drawn.last(), last);
    // The spike lies between two readings of its column: it is that column's extreme, so it is drawn, and
    // the load axis makes room for it.
    QVERIFY(qAbs(r->chart().left.max - 1.1 * largestLoad) < 1e-3);
}

void TestTtestResult::fullRateCurvesFollowTheirTests() {
    // Deleting a test takes its full-rate curve too; later tests move down with theirs, as with the rows.
    TempAppDir dir;
    const QString path = makeBatch(dir, "0", {1, 2, 3});
    {
        Database db(path);
        for (int serial = 1; serial <= 3; ++serial)
            QVERIFY(storeFullRateCurve(db, serial, recording(serial * 10)));
    }
    auto r = Ttest_result::open(path).result;
    QVERIFY(r->DeleteCurrent(1).isEmpty());
    {
        Database db(path);
        QCOMPARE(readFullRateCurve(db, 1).curve, std::optional(recording(10)));
        QCOMPARE(readFullRateCurve(db, 2).curve, std::optional(recording(30)));
        QVERIFY(!readFullRateCurve(db, 3).curve);
    }
    QVERIFY(r->DeleteAll().isEmpty());
    r.reset();
    Database db(path);
    QVERIFY(!readFullRateCurve(db, 1).curve);
    QVERIFY(!readFullRateCurve(db, 2).curve);
}

QTEST_GUILESS_MAIN(TestTtestResult)
#include "tst_ttest_result.moc"
