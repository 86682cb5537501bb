#include "sequencer/PointReadout.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace springtest;

namespace {

constexpr float kEmpty = std::numeric_limits<float>::quiet_NaN();

}  // namespace

// One readout for the control panel, the command line and the stored rows: what each shows of a captured
// point, and the verdicts, must be the same.
class TestPointReadout : public QObject {
    Q_OBJECT
private slots:
    void readsPoint_data();
    void readsPoint();
    void judge_data();
    void judge();
    void pointBeyondTheResultsReadsEmpty();
};

void TestPointReadout::readsPoint_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("kN");
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("stiffness");
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("stiffnessMax");
    QTest::addColumn<double>("stiffnessMin");
    QTest::addColumn<QString>("valueText");
    QTest::addColumn<QString>("stiffnessText");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("stiffnessVerdict");
    // Load decimals 2, displacement decimals 3.
    QTest::newRow("within") << 0 << false << 145.0f << 11.0f << 150.0 << 140.0 << 12.5 << 10.0 << "145.00"
                            << "11.00"
                            << "合格"
                            << "合格";
    QTest::newRow("above") << 0 << false << 150.5f << 13.0f << 150.0 << 140.0 << 12.5 << 10.0 << "150.50"
                           << "13.00"
                           << "强"
                           << "强";
    QTest::newRow("below") << 0 << false << 139.0f << 9.0f << 150.0 << 140.0 << 12.5 << 10.0 << "139.00"
                           << "9.00"
                           << "弱"
                           << "弱";
    // Judged as shown: what reads as the limit passes, what reads beyond it does not.
    QTest::newRow("shown at the upper limit")
        << 0 << false << 150.004f << 12.504f << 150.0 << 140.0 << 12.5 << 10.0 << "150.00"
        << "12.50"
        << "合格"
        << "合格";
    QTest::newRow("shown above the upper limit")
        << 0 << false << 150.006f << 12.506f << 150.0 << 140.0 << 12.5 << 10.0 << "150.01"
        << "12.51"
        << "强"
        << "强";
    QTest::newRow("kN: stiffness in N/mm")
        << 0 << true << 0.145f << 0.0112f << 0.15 << 0.14 << 12.5 << 10.0 << "0.14"
        << "11.20"
        << "合格"
        << "合格";
    QTest::newRow("displacement measured")
        << 2 << false << 41.2346f << 1.5f << 42.0 << 41.0 << 2.0 << 1.0 << "41.235"
        << "1.50"
        << "合格"
        << "合格";
    QTest::newRow("deformation measured") << 3 << false << 8.0f << 1.5f << 7.0 << 6.0 << 2.0 << 1.0 << "8.000"
                                          << "1.50"
                                          << "强"
                                          << "合格";
    QTest::newRow("not reached") << 0 << false << kEmpty << kEmpty << 150.0 << 140.0 << 12.5 << 10.0 << ""
                                 << ""
                                 << ""
                                 << "";
    QTest::newRow("no stiffness") << 0 << false << 145.0f << kEmpty << 150.0 << 140.0 << 12.5 << 10.0
                                  << "145.00"
                                  << ""
                                  << "合格"
                                  << "";
    // A limit left empty is stored as 0: both empty means none was set.
    QTest::newRow("limits never set") << 0 << false << 145.0f << 11.0f << 0.0 << 0.0 << 0.0 << 0.0 << "145.00"
                                      << "11.00"
                                      << ""
                                      << "";
    QTest::newRow("only the lower limit empty")
        << 0 << false << 145.0f << 11.0f << 150.0 << 0.0 << 12.5 << 0.0 << "145.00"
        << "11.00"
        << "合格"
        << "合格";
    QTest::newRow("only the lower limit empty, above")
        << 0 << false << 151.0f << 13.0f << 150.0 << 0.0 << 12.5 << 0.0 << "151.00"
        << "13.00"
        << "强"
        << "强";
}

void TestPointReadout::readsPoint() {
    QFETCH(int, style);
    QFETCH(bool, kN);
    QFETCH(float, value);
    QFETCH(float, stiffness);
    QFETCH(double, upper);
    QFETCH(double, lower);
    QFETCH(double, stiffnessMax);
    QFETCH(double, stiffnessMin);
    QFETCH(QString, valueText);
    QFETCH(QString, stiffnessText);
    QFETCH(QString, verdict);
    QFETCH(QString, stiffnessVerdict);
    ttest_info scheme;
    scheme.scheme_style = static_cast<SchemeStyle>(style);
    scheme.scheme_sum = 2;
    scheme.points = {30, 20};
    scheme.upper = {999, upper};
    scheme.lower = {998, lower};
    scheme.scheme_gangdu_max = stiffnessMax;
    scheme.scheme_gangdu_min = stiffnessMin;
    ResultArray results;
    results[ResultArray::valueIndex(1, 2)] = value;
    results[ResultArray::stiffnessIndex(1, 2)] = stiffness;
    const ReadoutFormat format{2, 3, kN};

    const PointReadout point = readPoint(results, scheme, 1, 2, format);
    QCOMPARE(point.value, valueText);
    QCOMPARE(point.stiffness, stiffnessText);
    QCOMPARE(verdictText(point.valueVerdict), verdict);
    QCOMPARE(verdictText(point.stiffnessVerdict), stiffnessVerdict);

    // The return stroke's point is read by the same rule.
    ResultArray returned;
    returned[ResultArray::valueIndex(2, 2)] = value;
    returned[ResultArray::stiffnessIndex(2, 2)] = stiffness;
    const PointReadout back = readPoint(returned, scheme, 2, 2, format);
    QCOMPARE(back.value, valueText);
    QCOMPARE(back.valueVerdict, point.valueVerdict);
}

void TestPointReadout::judge_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("lower");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("at the upper limit") << 10.0 << 10.0 << 5.0 << "合格";
    QTest::newRow("at the lower limit") << 5.0 << 10.0 << 5.0 << "合格";
    QTest::newRow("above") << 10.01 << 10.0 << 5.0 << "强";
    QTest::newRow("below") << 4.99 << 10.0 << 5.0 << "弱";
    QTest::newRow("limits never set, value 0") << 0.0 << 0.0 << 0.0 << "";
    QTest::newRow("limits never set, negative value") << -3.0 << 0.0 << 0.0 << "";
    QTest::newRow("no value") << std::nan("") << 10.0 << 5.0 << "";
}

void TestPointReadout::judge() {
    QFETCH(double, value);
    QFETCH(double, upper);
    QFETCH(double, lower);
    QFETCH(QString, verdict);
    QCOMPARE(verdictText(springtest::judge(value, upper, lower)), verdict);
}

void TestPointReadout::pointBeyondTheResultsReadsEmpty() {
    ttest_info scheme;
    scheme.upper = {10};
    scheme.lower = {5};
    const ResultArray results;
    for (const auto& [stroke, k] : {std::pair{1, 0}, std::pair{1, kMaxPoints + 1}, std::pair{3, 1}}) {
        const PointReadout point = readPoint(results, scheme, stroke, k, ReadoutFormat{});
        QVERIFY(point.value.isEmpty());
        QCOMPARE(point.valueVerdict, Verdict::None);
    }
}

QTEST_GUILESS_MAIN(TestPointReadout)
#include "tst_point_readout.moc"
