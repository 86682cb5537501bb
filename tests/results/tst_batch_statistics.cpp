#include "results/BatchStatistics.h"
#include "results/ReportFiles.h"
#include "results/StandardQuantities.h"
#include "results/Ttest_result.h"
#include "storage/Database.h"
#include "storage/Schemes.h"
#include "support/BatchMaker.h"
#include "support/NearCompare.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"

#include <QtTest>

#include <cmath>

using namespace springtest;
using springtest::testing::StoredTest;
using springtest::testing::TempAppDir;

namespace {

// In the tables below a figure that must be absent is written as NaN, a count that must be absent as -1.
constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();

Quantity quantityOf(const QVector<double>& values, std::optional<QuantityLimits> limits) {
    Quantity q;
    q.name = QStringLiteral("结果1 进");
    q.limits = limits;
    int test = 0;
    for (double v : values) q.values.append({++test, v});
    return q;
}

void compareFigure(const std::optional<double>& actual, double expected, const char* what) {
    if (std::isnan(expected)) {
        QVERIFY2(!actual, qPrintable(QStringLiteral("%1 should be absent, is %2").arg(what).arg(*actual)));
        return;
    }
    QVERIFY2(actual.has_value(), qPrintable(QStringLiteral("%1 is absent").arg(what)));
    COMPARE_NEAR(*actual, expected, 1e-12, 1e-12, QString::fromLatin1(what));
}

void compareCount(const std::optional<int>& actual, int expected, const char* what) {
    if (expected < 0) {
        QVERIFY2(!actual, what);
        return;
    }
    QVERIFY2(actual.has_value(), what);
    QCOMPARE(*actual, expected);
}

}  // namespace

class TestBatchStatistics : public QObject {
    Q_OBJECT
private slots:
    void capabilityByHand();
    void figuresThatCannotBeHad_data();
    void figuresThatCannotBeHad();
    void countsAgainstLimits_data();
    void countsAgainstLimits();
    void farFromZeroKeepsItsSpread();
    void standardBatchQuantities();
    void exportAllHasAStatisticsSheet();
    void storedDecimals_data();
    void storedDecimals();
    void storedNumbers_data();
    void storedNumbers();
};

// 9.8, 10.0, 10.2, 10.1, 9.9 between 9.7 and 10.5: mean 10.0, squares 0.04 + 0 + 0.04 + 0.01 + 0.01 = 0.10
// over n − 1 = 4 gives s² = 0.025, s = 0.158114; Cp = 0.8 / 6s = 0.843274; the mean is nearer the lower
// limit, Cpk = 0.3 / 3s = 0.632456.
void TestBatchStatistics::capabilityByHand() {
    const QuantityStatistics s =
        quantityStatistics(quantityOf({9.8, 10.0, 10.2, 10.1, 9.9}, QuantityLimits{10.5, 9.7}));
    QCOMPARE(s.n, 5);
    compareFigure(s.mean, 10.0, "mean");
    compareFigure(s.standardDeviation, std::sqrt(0.025), "s");
    COMPARE_NEAR(*s.standardDeviation, 0.158114, 0, 5e-7);
    compareFigure(s.minimum, 9.8, "min");
    compareFigure(s.maximum, 10.2, "max");
    compareFigure(s.range, 0.4, "range");
    COMPARE_NEAR(*s.cp, 0.843274, 0, 5e-7);
    COMPARE_NEAR(*s.cpk, 0.632456, 0, 5e-7);
    compareCount(s.within, 5, "within");
    compareCount(s.above, 0, "above");
    compareCount(s.below, 0, "below");
}

void TestBatchStatistics::figuresThatCannotBeHad_data() {
    QTest::addColumn<QVector<double>>("values");
    QTest::addColumn<bool>("limited");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("s");
    QTest::addColumn<double>("range");
    QTest::addColumn<double>("cp");
    QTest::addColumn<double>("cpk");

    QTest::newRow("no value") << QVector<double>{} << true << 0 << kAbsent << kAbsent << kAbsent << kAbsent
                              << kAbsent;
    QTest::newRow("one value: no spread")
        << QVector<double>{10.1} << true << 1 << 10.1 << kAbsent << 0.0 << kAbsent << kAbsent;
    // 0.1 three times has a mean that is not exactly 0.1 in binary; the spread is still none.
    QTest::newRow("equal values: s is 0, no capability")
        << QVector<double>{0.1, 0.1, 0.1} << true << 3 << 0.1 << 0.0 << 0.0 << kAbsent << kAbsent;
    QTest::newRow("no limits: no capability")
        << QVector<double>{1, 2, 3} << false << 3 << 2.0 << 1.0 << 2.0 << kAbsent << kAbsent;
    // Two values: s = |a − b| / √2 = 1.414214; Cp = 12 / 6s, Cpk = min(6 − 1, 1 + 6) / 3s.
    QTest::newRow("two values, mean off centre")
        << QVector<double>{0, 2} << true << 2 << 1.0 << std::sqrt(2.0) << 2.0 << 12 / (6 * std::sqrt(2.0))
        << 5 / (3 * std::sqrt(2.0));
}

void TestBatchStatistics::figuresThatCannotBeHad() {
    QFETCH(QVector<double>, values);
    QFETCH(bool, limited);
    QFETCH(int, n);
    QFETCH(double, mean);
    QFETCH(double, s);
    QFETCH(double, range);
    QFETCH(double, cp);
    QFETCH(double, cpk);
    const std::optional<QuantityLimits> limits =
        limited ? std::optional(QuantityLimits{6, -6}) : std::nullopt;
    const QuantityStatistics st = quantityStatistics(quantityOf(values, limits));
    QCOMPARE(st.n, n);
    compareFigure(st.mean, mean, "mean");
    compareFigure(st.standardDeviation, s, "s");
    compareFigure(st.range, range, "range");
    compareFigure(st.cp, cp, "cp");
    compareFigure(st.cpk, cpk, "cpk");
    QCOMPARE(st.minimum.has_value(), n > 0);
    QCOMPARE(st.maximum.has_value(), n > 0);
    if (st.cp) QVERIFY(std::isfinite(*st.cp) && std::isfinite(*st.cpk));
}

void TestBatchStatistics::countsAgainstLimits_data() {
    QTest::addColumn<QVector<double>>("values");
    QTest::addColumn<bool>("limited");
    QTest::addColumn<int>("within");
    QTest::addColumn<int>("above");
    QTest::addColumn<int>("below");

    QTest::newRow("a value on a limit is within") << QVector<double>{9.7, 10.5, 10} << true << 3 << 0 << 0;
    QTest::newRow("above and below") << QVector<double>{9.69, 10.51, 11, 10} << true << 1 << 2 << 1;
    QTest::newRow("no value: all counts 0") << QVector<double>{} << true << 0 << 0 << 0;
    QTest::newRow("no limits: no counts") << QVector<double>{1, 2} << false << -1 << -1 << -1;
}

void TestBatchStatistics::countsAgainstLimits() {
    QFETCH(QVector<double>, values);
    QFETCH(bool, limited);
    QFETCH(int, within);
    QFETCH(int, above);
    QFETCH(int, below);
    const QuantityStatistics st = quantityStatistics(
        quantityOf(values, limited ? std::optional(QuantityLimits{10.5, 9.7}) : std::nullopt));
    compareCount(st.within, within, "within");
    compareCount(st.above, above, "above");
    compareCount(st.below, below, "below");
}

// Loads near 100 kN read in newtons, varying in the third decimal: summing the squares of the values
// themselves would lose the spread in rounding.
void TestBatchStatistics::farFromZeroKeepsItsSpread() {
    QVector<double> values;
    for (int i = 0; i < 1000; ++i) values << 1e5 + (i % 2 ? 0.001 : -0.001);
    const QuantityStatistics st = quantityStatistics(quantityOf(values, std::nullopt));
    COMPARE_NEAR(*st.standardDeviation, 0.001 * std::sqrt(1000.0 / 999.0), 1e-6, 0);
}

// A two-stroke batch as the storer leaves it, with an empty cell and a test whose heights are written on both
// of its rows.
void TestBatchStatistics::standardBatchQuantities() {
    TempAppDir dir;
    StandardScheme scheme;
    scheme.scheme_name = "S";
    scheme.scheme_style = "0";
    scheme.scheme_sum = "2";
    scheme.scheme_jh = 2;
    scheme.points[0] = {"40", "110", "90"};
    scheme.points[1] = {"35", "0", "0"};  // no limits set
    scheme.scheme_gangdu_max = "12";
    scheme.scheme_gangdu_min = "8";
    const QString batch = testing::makeBatch(dir, scheme, "Q");
    QVERIFY(!batch.isEmpty());
    QList<StoredTest> tests;
    const auto row = [](const char* stroke, const char* r1, const char* r2, const char* g1, const char* h) {
        return QVariantMap{{"jinhuicheng", QString::fromUtf8(stroke)},
                           {"result1", r1},
                           {"result2", r2},
                           {"gangdu1", g1},
                           {"height", h}};
    };
    tests << StoredTest{1, row("进", "100.5", "150", "10.00", "50.12"), {}}
          << StoredTest{1, row("回", "99", "149", "9.50", "50.12"), {}}
          << StoredTest{2, row("进", "111", "", "13.00", "50.20"), {}}  // point 2 not reached
          << StoredTest{2, row("回", "98", "147", "7.00", "50.20"), {}};
    QVERIFY(testing::storeTests(batch, tests));

    Database db(batch);
    const auto results = db.select("select * from test_result order by rowid");
    const auto schemeRows = db.select("select * from test_information");
    QVERIFY(results && schemeRows && !schemeRows->isEmpty());
    const QList<Quantity> q = standardQuantities(*results, schemeRows->first(), {"kN", "mm"});

    QStringList names;
    for (const Quantity& x : q) names << x.name;
    // No solid height: the scheme does not measure it and no test stored one.
    QCOMPARE(names, QStringList({"结果1 进", "结果2 进", "刚度1 进", "刚度2 进", "结果1 回", "结果2 回",
                                 "刚度1 回", "刚度2 回", "弹簧高度"}));
    const Quantity& forward1 = q[0];
    QCOMPARE(forward1.column, QString("result1"));
    QCOMPARE(forward1.unit, QString("kN"));  // style 0 measures loads
    QCOMPARE(forward1.decimals, 1);
    QVERIFY(forward1.limits);
    QCOMPARE(forward1.limits->upper, 110.0);
    QCOMPARE(forward1.limits->lower, 90.0);
    QCOMPARE(forward1.values.size(), 2);
    QCOMPARE(forward1.values[1].test, 2);
    QCOMPARE(forward1.values[1].value, 111.0);
    const QuantityStatistics st = quantityStatistics(forward1);
    QCOMPARE(*st.above, 1);

    QVERIFY(!q[1].limits);            // both limits 0
    QCOMPARE(q[1].values.size(), 1);  // the empty cell is no value
    QCOMPARE(q[2].unit, QString("N/mm"));
    QCOMPARE(q[2].limits->upper, 12.0);
    QCOMPARE(q[3].values.size(), 0);       // stiffness 2 was never stored
    QCOMPARE(q[4].values[0].value, 99.0);  // the return stroke's own rows
    QCOMPARE(q[6].values[1].value, 7.0);
    const Quantity& height = q[8];
    QCOMPARE(height.unit, QString("mm"));
    QCOMPARE(height.values.size(), 2);  // once per test, not once per row
    QCOMPARE(height.decimals, 2);
}

// The workbook of "批量打印" carries the statistics on a sheet of their own, as numbers a spreadsheet
// calculates with, and still opens on the results.
void TestBatchStatistics::exportAllHasAStatisticsSheet() {
    if (testing::pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is not installed");
    TempAppDir dir;
    StandardScheme scheme;
    scheme.scheme_name = "S";
    scheme.scheme_style = "0";
    scheme.scheme_sum = "1";
    scheme.points[0] = {"40", "10.5", "9.7"};
    const QString batch = testing::makeBatch(dir, scheme, "X");
    QVERIFY(!batch.isEmpty());
    QList<StoredTest> tests;
    int serial = 0;
    for (const char* v : {"9.8", "10.0", "10.2", "10.1", "9.9"})
        tests << StoredTest{++serial, {{"result1", v}, {"height", "50.00"}}, {}};
    QVERIFY(testing::storeTests(batch, tests));
    dir.write("report.xltx", testing::fileBytes(QStringLiteral(SPRINGTEST_REPORT_TEMPLATE)));

    auto opened = Ttest_result::open(batch);
    QVERIFY(opened.result);
    const ExportOutcome outcome = opened.result->ExportAll({dir.path(), "report.xltx", nullptr});
    QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.detail));
    const QJsonObject book =
        testing::readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER), outcome.savedPath);
    QVERIFY(book["sheets"].toVariant().toStringList().contains("统计"));
    QCOMPARE(book["active"].toString(), QString("数据"));
    const auto cell = [&book](const char* address) { return book["cells"]["统计"][address].toObject(); };
    QCOMPARE(cell("A1")["v"].toString(), QString("项目"));
    QCOMPARE(cell("A2")["v"].toString(), QString("结果1 进"));
    QCOMPARE(cell("C2")["t"].toString(), QString("n"));  // n
    QCOMPARE(cell("C2")["v"].toString(), QString("5"));
    QCOMPARE(cell("D2")["t"].toString(), QString("n"));  // the mean
    COMPARE_NEAR(cell("D2")["v"].toString().toDouble(), 10.0, 1e-12, 0);
    COMPARE_NEAR(cell("K2")["v"].toString().toDouble(), 0.843274, 0, 5e-7);  // Cp
    QCOMPARE(cell("M2")["v"].toString(), QString("5"));                      // all within
    // The height has no limits: no Cp there, an empty cell rather than a 0.
    QCOMPARE(cell("A4")["v"].toString(), QString("弹簧高度"));  // after the stiffness
    QVERIFY(cell("K4")["v"].toString().isEmpty());
}

void TestBatchStatistics::storedDecimals_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("decimals");
    QTest::newRow("integer") << "7" << 0;
    QTest::newRow("trailing zero counts") << "12.30" << 2;
    QTest::newRow("blank around") << " 1.5 " << 1;
    QTest::newRow("exponent") << "1.25e3" << 2;
    QTest::newRow("empty") << "" << 0;
}

void TestBatchStatistics::storedDecimals() {
    QFETCH(QString, text);
    QFETCH(int, decimals);
    QCOMPARE(springtest::storedDecimals(text), decimals);
}

// The quick reading of stored numbers takes what the general conversion takes, and nothing else.
void TestBatchStatistics::storedNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::newRow("as stored") << "12.30" << true << 12.3 << 2;
    QTest::newRow("negative") << "-0.50" << true << -0.5 << 2;
    QTest::newRow("plus sign") << "+3" << true << 3.0 << 0;
    QTest::newRow("blanks around") << " 7.5 " << true << 7.5 << 1;
    QTest::newRow("no leading digit") << ".25" << true << 0.25 << 2;
    QTest::newRow("exponent") << "1.5e3" << true << 1500.0 << 1;
    QTest::newRow("empty") << "" << false << 0.0 << 0;
    QTest::newRow("blank") << "  " << false << 0.0 << 0;
    QTest::newRow("a word") << "abc" << false << 0.0 << 0;
    QTest::newRow("a number and a word") << "12 N" << false << 0.0 << 0;
    QTest::newRow("infinity") << "inf" << false << 0.0 << 0;
    QTest::newRow("negative infinity") << "-inf" << false << 0.0 << 0;
    QTest::newRow("not a number") << "nan" << false << 0.0 << 0;
    QTest::newRow("beyond a double") << "1e400" << false << 0.0 << 0;
    QTest::newRow("hexadecimal") << "0x10" << false << 0.0 << 0;
    QTest::newRow("decimal comma") << "1,5" << false << 0.0 << 0;
    QTest::newRow("full-width digits") << "１２" << false << 0.0 << 0;
    QTest::newRow("two signs") << "+-1" << false << 0.0 << 0;
}

void TestBatchStatistics::storedNumbers() {
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    QFETCH(int, decimals);
    const auto number = parseStoredNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    // The conversion every reader of a stored number uses agrees.
    bool ok = false;
    const double general = text.trimmed().toDouble(&ok);
    QCOMPARE(ok && std::isfinite(general), isNumber);
    if (!number) return;
    QCOMPARE(number->value, value);
    QCOMPARE(number->value, general);
    QCOMPARE(number->decimals, decimals);
}

QTEST_GUILESS_MAIN(TestBatchStatistics)
#include "tst_batch_statistics.moc"
