#include "results/LateralReport.h"
#include "results/Ttest_result_HXGD.h"
#include "storage/Database.h"
#include "support/LateralBatch.h"
#include "support/PngPicture.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"
#include "workbook/Workbook.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

// An axial test's forward row: point k measured k × 10 N, its stiffness, X, Y and offset.
QVariantMap axialRow(const QString& stroke, const QStringList& results) {
    QVariantMap row{{"jinhuicheng", stroke}, {"height", "50.00"}, {"date", "2024-05-06 10:11:12.000"}};
    for (int k = 1; k <= results.size(); ++k) {
        row.insert(QStringLiteral("result%1").arg(k), results[k - 1]);
        row.insert(QStringLiteral("gangdu%1").arg(k), QStringLiteral("%1.00").arg(k * 10));
        row.insert(QStringLiteral("x_value%1").arg(k), QStringLiteral("0.0%1").arg(k));
        row.insert(QStringLiteral("y_value%1").arg(k), QStringLiteral("-0.0%1").arg(k));
        row.insert(QStringLiteral("pianyi_value%1").arg(k), QStringLiteral("0.1%1").arg(k));
    }
    return row;
}

// Forward samples with a sideways path (X out to +0.5, Y down to −2) and return samples.
QList<LateralSample> pathCurve() {
    return {{0, 0, 1, "0", "0"},
            {10, 1, 1, "0.25", "-1"},
            {20, 2, 1, "0.5", "-2"},
            {25, 2.5, 2, "", ""},
            {12, 1.2, 2, "", ""}};
}

// A batch of one scheme with the given tests, and the browser opened on it.
struct Fixture {
    TempAppDir app;
    QString batch;
    std::unique_ptr<Ttest_result_HXGD> browser;
    Fixture(const StandardScheme& scheme, const QList<LateralStoredTest>& tests) {
        batch = makeLateralBatch(app.path(), scheme);
        if (batch.isEmpty() || !storeLateralTests(batch, tests)) qFatal("no batch");
        browser = Ttest_result_HXGD::open(batch).result;
        if (!browser) qFatal("not opened");
        QFile::copy(QStringLiteral(SPRINGTEST_LATERAL_TEMPLATE), app.file(kLateralReportTemplate));
        QFile::copy(QStringLiteral(SPRINGTEST_REPORT_TEMPLATE), app.file(QStringLiteral("report.xltx")));
    }
};

int count(Database& db, const QString& sql) {
    const auto rows = db.select(sql);
    return rows ? static_cast<int>(rows->size()) : -1;
}

}  // namespace

class TestTtestResultHXGD : public QObject {
    Q_OBJECT
private slots:
    void gridFieldsAreTheLateralTableColumns();
    void replaysForwardPathAndReturn_data();
    void replaysForwardPathAndReturn();
    void testWithoutForwardSamplesKeepsTheCurve();
    void testWithoutReturnSamplesShowsNoReturn();
    void deletingATestTakesAllOfItAndRenumbersNothing();
    void reportCellsAndColours_data();
    void reportCellsAndColours();
    void reportReadBackIndependently();
    void exportsTheResultsAsTheGridShowsThem();
};

void TestTtestResultHXGD::gridFieldsAreTheLateralTableColumns() {
    Fixture f(lateralScheme(true, 1),
              {{1, {axialRow("进", {"10.00", "20.00"})}, pathCurve(), "李四", "36.87"}});
    QCOMPARE(Ttest_result_HXGD::schemeTitles().size(), 34);
    QCOMPARE(Ttest_result_HXGD::resultTitles().size(), 56);  // 54 stored, the operator and the angle
    QCOMPARE(Ttest_result_HXGD::resultTitles().last(), QStringLiteral("偏移角度"));
    // Every stored column the grids name is in the lateral tables: a misspelt one would show empty.
    const auto result = Database(f.batch).select("select * from test_result")->first();
    const auto scheme = Database(f.batch).select("select * from test_information")->first();
    for (int c = 0; c < 54; ++c)
        QVERIFY2(result.has(Ttest_result_HXGD::resultFields()[c]), qPrintable(QString::number(c)));
    for (const QString& field : Ttest_result_HXGD::schemeFields())
        QVERIFY2(scheme.has(field), qPrintable(field));
    const int pianyi2 =
        static_cast<int>(Ttest_result_HXGD::resultTitles().indexOf(QStringLiteral("偏移量2")));
    QCOMPARE(f.browser->resultText(0, pianyi2), QStringLiteral("0.12"));
    QCOMPARE(f.browser->resultText(0, 54), QStringLiteral("李四"));
    QCOMPARE(f.browser->resultText(0, 55), QStringLiteral("36.87"));
    QCOMPARE(f.browser->schemeText(0, 2), QStringLiteral("1"));  // 初始力
}

void TestTtestResultHXGD::replaysForwardPathAndReturn_data() {
    QTest::addColumn<bool>("axial");
    QTest::addColumn<int>("strokes");
    QTest::addColumn<int>("pathPoints");
    QTest::addColumn<int>("returnPoints");
    QTest::newRow("axial, one stroke: path, no return") << true << 1 << 3 << 0;
    QTest::newRow("axial, two strokes: path and return") << true << 2 << 3 << 2;
    QTest::newRow("lateral, two strokes: no path") << false << 2 << 0 << 2;
}

void TestTtestResultHXGD::replaysForwardPathAndReturn() {
    QFETCH(bool, axial);
    QFETCH(int, strokes);
    QFETCH(int, pathPoints);
    QFETCH(int, returnPoints);
    Fixture f(lateralScheme(axial, strokes), {{4, {axialRow("进", {"10.00"})}, pathCurve()}});
    QCOMPARE(f.browser->ShowCurve(0), QString());
    const ResultChart& load = f.browser->chart();
    const ResultChart& path = f.browser->pathChart();
    // The load curve is the forward stroke only; its return is the black curve.
    QCOMPARE(load.series[ResultChart::Curve].points.size(), 3);
    QCOMPARE(load.series[ResultChart::Curve].points.last(), QPointF(2, 20));
    QCOMPARE(load.series[ResultChart::Unused].points.size(), returnPoints);
    QCOMPARE(load.series[ResultChart::Unused].visible, returnPoints > 0);
    QCOMPARE(path.series[ResultChart::Curve].points.size(), pathPoints);
    QCOMPARE(load.title, QStringLiteral("当前曲线显示序号：4"));
    QCOMPARE(path.title, load.title);
    if (returnPoints > 0) {
        // The return's 25 N lies above the forward stroke's axis: it widens it.
        QCOMPARE(load.left.max, 1.2 * 25);
        QCOMPARE(load.bottom.max, 1.2 * 2.5);
    } else {
        QCOMPARE(load.left.max, 1.1 * 20);
    }
    if (pathPoints > 0) {
        QCOMPARE(path.series[ResultChart::Curve].points[1], QPointF(0.25, -1));
        QCOMPARE(path.bottom.min, -0.6);
        QCOMPARE(path.bottom.max, 0.6);
        QCOMPARE(path.left.min, -2.4);
        QCOMPARE(path.left.max, 2.4);
        QVERIFY(qFuzzyCompare(path.left.step, 0.48));
    } else {
        QCOMPARE(path.bottom.max, 0.0);
        QCOMPARE(path.left.max, 0.0);
    }
}

void TestTtestResultHXGD::testWithoutForwardSamplesKeepsTheCurve() {
    // Test 2 has only return samples: nothing of it is a forward curve.
    Fixture f(lateralScheme(true, 2), {{1, {axialRow("进", {"10.00"})}, pathCurve()},
                                       {2, {axialRow("进", {"10.00"})}, {{5, 1, 2, "", ""}}}});
    QCOMPARE(f.browser->ShowCurve(0), QString());
    QCOMPARE(f.browser->ShowCurve(1), QStringLiteral("当前序号无曲线数据!!"));
    QCOMPARE(f.browser->chart().series[ResultChart::Curve].points.size(), 3);
    QCOMPARE(f.browser->chart().series[ResultChart::Unused].points.size(), 2);
    QCOMPARE(f.browser->replayedRow(), std::optional<int>(0));
}

void TestTtestResultHXGD::testWithoutReturnSamplesShowsNoReturn() {
    // A test whose return was not recorded (stopped on its way back) after one that has it: the return
    // curve drawn before belongs to the other spring and must not stay on the chart.
    QList<LateralSample> forwardOnly = pathCurve().mid(0, 3);
    Fixture f(lateralScheme(true, 2),
              {{1, {axialRow("进", {"10.00"})}, pathCurve()}, {2, {axialRow("进", {"10.00"})}, forwardOnly}});
    QCOMPARE(f.browser->ShowCurve(0), QString());
    QCOMPARE(f.browser->ShowCurve(1), QString());
    QVERIFY(f.browser->chart().series[ResultChart::Unused].points.isEmpty());
    QVERIFY(!f.browser->chart().series[ResultChart::Unused].visible);
}

void TestTtestResultHXGD::deletingATestTakesAllOfItAndRenumbersNothing() {
    Fixture f(lateralScheme(true, 2),
              {{1, {axialRow("进", {"10.00"}), axialRow("回", {"9.00"})}, pathCurve(), "甲", "10.00"},
               {2, {axialRow("进", {"11.00"}), axialRow("回", {"9.50"})}, pathCurve(), "乙", "20.00"},
               {3, {axialRow("进", {"12.00"}), axialRow("回", {"9.80"})}, pathCurve(), "丙", "30.00"}});
    QCOMPARE(f.browser->ShowCurve(4), QString());      // test 3's forward row
    QCOMPARE(f.browser->DeleteCurrent(3), QString());  // test 2's return row: the whole test goes
    Database db(f.batch);
    QCOMPARE(count(db, "select * from test_result where xuhao = 2"), 0);
    QCOMPARE(count(db, "select * from test_point where xuhao = 2"), 0);
    QCOMPARE(readTestOperators(db)->contains(2), false);
    QCOMPARE(readTestOffsetAngles(db)->contains(2), false);
    QCOMPARE(count(db, "select * from test_result where xuhao = 3"), 2);
    QCOMPARE(f.browser->results().size(), 4);
    // The replayed curve stays with its test, now two rows higher.
    QCOMPARE(f.browser->replayedRow(), std::optional<int>(2));
    QCOMPARE(f.browser->resultText(2, 54), QStringLiteral("丙"));
    QCOMPARE(f.browser->DeleteCurrent(2), QString());
    QCOMPARE(f.browser->replayedRow(), std::nullopt);
    QVERIFY(f.browser->pathChart().series[ResultChart::Curve].points.isEmpty());
}

void TestTtestResultHXGD::reportCellsAndColours_data() {
    QTest::addColumn<int>("strokes");
    QTest::addColumn<QString>("forward");
    QTest::addColumn<QString>("back");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<bool>("forwardRed");
    QTest::addColumn<bool>("backRed");
    // Point 1's band is 9.0 … 11.0.
    QTest::newRow("one stroke inside") << 1 << "10.00"
                                       << "" << 2 << false << false;
    QTest::newRow("one stroke at the upper limit") << 1 << "11.00"
                                                   << "" << 2 << false << false;
    QTest::newRow("one stroke at the lower limit") << 1 << "9.0"
                                                   << "" << 2 << false << false;
    QTest::newRow("one stroke above") << 1 << "11.01"
                                      << "" << 2 << true << false;
    QTest::newRow("one stroke below") << 1 << "8.99"
                                      << "" << 2 << true << false;
    QTest::newRow("one stroke, nothing measured") << 1 << ""
                                                  << "" << 2 << false << false;
    QTest::newRow("two strokes, return below") << 2 << "10.00"
                                               << "8.50" << 3 << false << true;
    QTest::newRow("two strokes, forward above") << 2 << "12.00"
                                                << "11.00" << 3 << true << false;
}

void TestTtestResultHXGD::reportCellsAndColours() {
    QFETCH(int, strokes);
    QFETCH(QString, forward);
    QFETCH(QString, back);
    QFETCH(int, sheet);
    QFETCH(bool, forwardRed);
    QFETCH(bool, backRed);
    TempAppDir app;
    const QString batch = makeLateralBatch(app.path(), lateralScheme(true, strokes));
    QVERIFY(storeLateralTests(
        batch, {{7, {axialRow("进", {forward, "20.00"}), axialRow("回", {back, "19.00"})}, {}}}));
    Database db(batch);
    const auto rows = db.select("select * from test_result order by rowid");
    const DbRow scheme = db.select("select * from test_information")->first();
    const LateralReport report =
        makeLateralReport(scheme, rows->at(0), strokes == 2 ? std::optional(rows->at(1)) : std::nullopt,
                          {QStringLiteral("kN"), QStringLiteral("mm")}, "张工", "36.87");
    QCOMPARE(report.sheet, sheet);
    const auto at = [&](int row, int column) {
        for (const LateralReportCell& c : report.cells)
            if (c.row == row && c.column == column) return c;
        return LateralReportCell{row, column, {}, QStringLiteral("<untouched>")};
    };
    QCOMPARE(at(35 + 1, 1).text, QStringLiteral("1"));
    QCOMPARE(at(36, 2).text, QStringLiteral("1"));    // target
    QCOMPARE(at(36, 3).text, QStringLiteral("9.0"));  // lower limit
    QCOMPARE(at(36, 4).text, forward);
    QCOMPARE(at(36, 4).red, forwardRed);
    QCOMPARE(at(37, 4).text, QStringLiteral("20.00"));
    QCOMPARE(at(34, 4).text, strokes == 2 ? QStringLiteral("进程结果(kN)") : QStringLiteral("测试结果(kN)"));
    QCOMPARE(at(4, 6).text, QStringLiteral("张工"));
    QCOMPARE(at(5, 2).text, QStringLiteral("36.87"));
    if (strokes == 1) {
        QCOMPARE(at(36, 5).text, QStringLiteral("11.0"));   // upper limit
        QCOMPARE(at(36, 6).text, QStringLiteral("10.00"));  // stiffness
        QCOMPARE(at(37, 7).text, QStringLiteral("0.12"));   // offset
        QCOMPARE(at(36, 8).text, QStringLiteral("<untouched>"));
    } else {
        QCOMPARE(at(36, 5).text, back);
        QCOMPARE(at(36, 5).red, backRed);
        QCOMPARE(at(36, 6).text, QStringLiteral("11.0"));
        QCOMPARE(at(36, 7).text, QStringLiteral("10.00"));
        QCOMPARE(at(37, 8).text, QStringLiteral("20.00"));
    }
    QCOMPARE(at(38, 1).text, QStringLiteral("<untouched>"));  // a two-point scheme
}

void TestTtestResultHXGD::reportReadBackIndependently() {
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("no python with openpyxl");
    Fixture f(lateralScheme(true, 2),
              {{1,
                {axialRow("进", {"10.00", "20.00"}), axialRow("回", {"9.00", "21.50"})},
                pathCurve(),
                "王五",
                "216.87"}});
    ExportRequest request;
    request.applicationFolder = f.app.path();
    const ExportOutcome outcome = f.browser->ExportReport(request, 1, pngPicture(720, 440));
    QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.detail));

    // Our own reader: the sheet for two strokes is the one shown, its numbers as numbers.
    Workbook ours;
    QCOMPARE(ours.open(outcome.savedPath), QString());
    QCOMPARE(ours.activeSheet(), 3);
    QCOMPARE(ours.cellText(37, 5), QStringLiteral("21.5"));

    const QJsonObject book = readWorkbook(SPRINGTEST_WORKBOOK_READER, outcome.savedPath);
    const QString sheet = QStringLiteral("双程报表");
    QCOMPARE(book["active"].toString(), sheet);
    QCOMPARE(book["sheetStates"].toObject()["单程报表"].toString(), QStringLiteral("hidden"));
    const QJsonObject cells = book["cells"].toObject()[sheet].toObject();
    const auto cell = [&](const char* address) { return cells[address].toObject(); };
    QCOMPARE(cell("D36")["v"].toString(), QStringLiteral("10"));
    QCOMPARE(cell("D36")["t"].toString(), QStringLiteral("n"));
    QCOMPARE(cell("D36")["format"].toString(), QStringLiteral("0.00"));
    QCOMPARE(cell("E37")["color"].toString(), QStringLiteral("FFFF0000"));  // 21.50 above 21.0
    QVERIFY(cell("E36")["color"].isNull() || cell("E36")["color"].toString() != QStringLiteral("FFFF0000"));
    QCOMPARE(cell("F4")["v"].toString(), QStringLiteral("王五"));
    QCOMPARE(cell("B5")["v"].toString(), QStringLiteral("216.87"));
    QCOMPARE(cell("G34")["v"].toString(), QStringLiteral("进程刚度(N/mm)"));
    QCOMPARE(book["printArea"].toObject()[sheet].toString(), QStringLiteral("$A$1:$H$47"));
    QCOMPARE(book["pageSetup"].toObject()[sheet].toObject()["fitToPage"].toBool(), true);
    const QJsonArray images = book["images"].toObject()[sheet].toArray();
    QCOMPARE(images.size(), 1);
    QCOMPARE(images[0].toObject()["col"].toInt(), 0);
    QCOMPARE(images[0].toObject()["row"].toInt(), 9);  // A10
}

void TestTtestResultHXGD::exportsTheResultsAsTheGridShowsThem() {
    Fixture f(lateralScheme(true, 1), {{1, {axialRow("进", {"10.00"})}, pathCurve(), "甲", "90.00"},
                                       {2, {axialRow("进", {"10.50"})}, pathCurve(), "乙", ""}});
    ExportRequest request;
    request.applicationFolder = f.app.path();
    const ExportOutcome all = f.browser->ExportResults(request);
    QVERIFY2(all.message.isEmpty(), qPrintable(all.detail));
    Workbook book;
    QCOMPARE(book.open(all.savedPath), QString());
    QCOMPARE(book.cellText(1, 3), QStringLiteral("初始力"));
    QCOMPARE(book.cellText(3, 56), QStringLiteral("偏移角度"));
    QCOMPARE(book.cellText(4, 3), QStringLiteral("10"));
    QCOMPARE(book.cellText(4, 56), QStringLiteral("90"));
    QCOMPARE(book.cellText(5, 55), QStringLiteral("乙"));
    QCOMPARE(book.cellText(6, 1), QString());
    QCOMPARE(f.browser->ExportResults(request, {7}).message,
             QStringLiteral("无选择项，请先选择要打印的测试结果!!"));
}

QTEST_GUILESS_MAIN(TestTtestResultHXGD)
#include "tst_ttest_result_HXGD.moc"
