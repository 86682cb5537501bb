#include "platform/NumberFormat.h"

#include <QtTest>

using namespace springtest;

class TestNumberFormat : public QObject {
    Q_OBJECT
private slots:
    void formatByDecimals_data();
    void formatByDecimals();
    void coefficient();
};

void TestNumberFormat::formatByDecimals_data() {
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << 0 << 12.6 << "13";
    QTest::newRow("2") << 2 << 12.3456 << "12.35";
    QTest::newRow("3 pads") << 3 << 1.5 << "1.500";
    QTest::newRow("6") << 6 << 0.1234567 << "0.123457";
    QTest::newRow("leading zero") << 2 << 0.5 << "0.50";
    QTest::newRow("negative") << 1 << -3.25 << "-3.3";
    QTest::newRow("tie rounds away from zero") << 2 << 12.345 << "12.35";
    QTest::newRow("carry into integer") << 2 << 9.999 << "10.00";
    QTest::newRow("large") << 1 << 123456.78 << "123456.8";
    QTest::newRow("tiny") << 3 << 0.0004 << "0.000";
    QTest::newRow("negative zero") << 2 << -0.001 << "0.00";
    QTest::newRow("7 treated as 0") << 7 << 2.4 << "2";
    QTest::newRow("-1 treated as 0") << -1 << 2.4 << "2";
}

void TestNumberFormat::formatByDecimals() {
    QFETCH(int, decimals);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatByDecimals(decimals, value), expected);
}

void TestNumberFormat::coefficient() {
    QCOMPARE(FormatCoefficient(0.25), QString("0.2500000"));
    QCOMPARE(FormatCoefficient(static_cast<float>(1.0 / 3.0)), QString("0.3333333"));
}

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
