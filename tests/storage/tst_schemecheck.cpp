#include "storage/SchemeCheck.h"

#include <QtTest>

using namespace springtest;

class TestSchemeCheck : public QObject {
    Q_OBJECT
private slots:
    void pointsThatAreNoFiniteNumberAreRefused_data();
    void pointsThatAreNoFiniteNumberAreRefused();
};

void TestSchemeCheck::pointsThatAreNoFiniteNumberAreRefused_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    for (const char* field : {"value", "upper", "lower"}) {
        const QString f = QString::fromLatin1(field);
        QTest::addRow("%s nan", field) << f << "nan" << false;
        QTest::addRow("%s NaN", field) << f << "NaN" << false;
        QTest::addRow("%s inf", field) << f << "inf" << false;
        QTest::addRow("%s -inf", field) << f << "-inf" << false;
        QTest::addRow("%s 12abc", field) << f << "12abc" << false;
        QTest::addRow("%s blanks around", field) << f << " 12 " << true;
    }
    // Limits are kept in double precision: large, but a number.
    QTest::addRow("upper 1e39") << "upper"
                                << "1e39" << true;
}

void TestSchemeCheck::pointsThatAreNoFiniteNumberAreRefused() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    // The first row of a load-displacement scheme (increasing points), then a good second row: a first
    // point of "nan" compares false with everything and would be blamed on the row after it.
    SchemePointText first{"10", "15", "5"};
    if (field == "value") first.value = text;
    if (field == "upper") first.upper = text;
    if (field == "lower") first.lower = text;
    const SchemeCheckResult r = checkSchemePoints("2", "2", false, {first, {"20", "30", "12"}});
    QCOMPARE(r.ok, accepted);
    if (!accepted) {
        QCOMPARE(r.failedRow, 1);
        QCOMPARE(r.message, QString("第1点输入信息错误，请检查后重新输入!!"));
    }
}

QTEST_GUILESS_MAIN(TestSchemeCheck)
#include "tst_schemecheck.moc"
