#include "results/CsvText.h"

#include <QtTest>

using namespace springtest;

class TestCsvText : public QObject {
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void fileStartsWithAByteOrderMark();
    void separators_data();
    void separators();
};

void TestCsvText::fields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comma");      // the field in a comma-separated file
    QTest::addColumn<QString>("semicolon");  // and in a semicolon-separated one
    QTest::newRow("plain") << "结果1 进 (N)"
                           << "结果1 进 (N)"
                           << "结果1 进 (N)";
    QTest::newRow("the separator") << "1,5"
                                   << "\"1,5\""
                                   << "1,5";
    QTest::newRow("the other separator") << "a;b"
                                         << "a;b"
                                         << "\"a;b\"";
    QTest::newRow("a quote") << "12\" spring"
                             << "\"12\"\" spring\""
                             << "\"12\"\" spring\"";
    QTest::newRow("a line break") << "a\nb"
                                  << "\"a\nb\""
                                  << "\"a\nb\"";
    QTest::newRow("blanks at the ends") << " x "
                                        << "\" x \""
                                        << "\" x \"";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    // A text a spreadsheet would run as a formula stays a text; numbers stay numbers.
    QTest::newRow("a formula") << "=HYPERLINK(\"x\")"
                               << "\"'=HYPERLINK(\"\"x\"\")\""
                               << "\"'=HYPERLINK(\"\"x\"\")\"";
    QTest::newRow("an at sign") << "@SUM(A1)"
                                << "'@SUM(A1)"
                                << "'@SUM(A1)";
    QTest::newRow("a plus") << "+1+1"
                            << "'+1+1"
                            << "'+1+1";
    QTest::newRow("a negative number") << "-12.5"
                                       << "-12.5"
                                       << "-12.5";
    QTest::newRow("a signed exponent") << "+1e-3"
                                       << "+1e-3"
                                       << "+1e-3";
}

void TestCsvText::fields() {
    QFETCH(QString, text);
    QFETCH(QString, comma);
    QFETCH(QString, semicolon);
    QCOMPARE(csvText({{text, "z"}}, QLatin1Char(',')), comma + ",z\r\n");
    QCOMPARE(csvText({{text, "z"}}, QLatin1Char(';')), semicolon + ";z\r\n");
}

void TestCsvText::fileStartsWithAByteOrderMark() {
    const QByteArray bytes = csvFileBytes({{"序号", "负荷"}, {"1", "10.5"}}, QLatin1Char(','));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes.mid(3)), QString("序号,负荷\r\n1,10.5\r\n"));
}

void TestCsvText::separators_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("separator");  // empty: refused
    QTest::newRow("comma") << "comma"
                           << ",";
    QTest::newRow(",") << ","
                       << ",";
    QTest::newRow("semicolon") << "semicolon"
                               << ";";
    QTest::newRow(";") << ";"
                       << ";";
    QTest::newRow("tab") << "tab"
                         << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestCsvText::separators() {
    QFETCH(QString, name);
    QFETCH(QString, separator);
    QString error;
    const auto found = csvSeparator(name, error);
    QCOMPARE(found.has_value(), !separator.isEmpty());
    if (found)
        QCOMPARE(QString(*found), separator);
    else
        QVERIFY(error.contains("comma or semicolon"));
    QCOMPARE(csvSeparatorFor(QLocale(QLocale::German)), QLatin1Char(';'));
    QCOMPARE(csvSeparatorFor(QLocale(QLocale::Chinese, QLocale::China)), QLatin1Char(','));
}

QTEST_GUILESS_MAIN(TestCsvText)
#include "tst_csv_text.moc"
