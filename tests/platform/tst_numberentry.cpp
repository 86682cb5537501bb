#include "platform/NumberEntry.h"

#include <QtTest>

using namespace springtest;

class TestNumberEntry : public QObject {
    Q_OBJECT
private slots:
    void typedFloat_data();
    void typedFloat();
};

void TestNumberEntry::typedFloat_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12.5" << true << 12.5;
    QTest::newRow("blanks around") << " 12 " << true << 12.0;
    QTest::newRow("largest single") << "3.4e38" << true << 3.4e38;
    QTest::newRow("trailing letters") << "12abc" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("NaN") << "NaN" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("-inf") << "-inf" << false << 0.0;
    // A speed or a limit is kept in single precision: beyond its range it would become infinite.
    QTest::newRow("1e39") << "1e39" << false << 0.0;
    QTest::newRow("-1e39") << "-1e39" << false << 0.0;
    QTest::newRow("1e308") << "1e308" << false << 0.0;
}

void TestNumberEntry::typedFloat() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, value);
    QString error;
    const std::optional<double> read = readFloat(text, &error);
    QCOMPARE(read.has_value(), accepted);
    if (accepted) {
        QCOMPARE(*read, value);
        QVERIFY(error.isEmpty());
    } else {
        QCOMPARE(error, "'" + text + "' is not a valid floating point value");
    }
}

QTEST_GUILESS_MAIN(TestNumberEntry)
#include "tst_numberentry.moc"
