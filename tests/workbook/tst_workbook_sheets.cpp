#include <QJsonObject>
#include <QtTest>

#include "support/TempAppDir.h"
#include "support/WorkbookFiles.h"
#include "support/WorkbookReader.h"
#include "workbook/Workbook.h"

#include <limits>

using namespace springtest;
using namespace springtest::testing;

namespace {

QJsonObject readBack(const QString& file) {
    return readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER), file);
}

QJsonObject cellOf(const QJsonObject& book, const QString& sheet, const QString& ref) {
    return book[QStringLiteral("cells")][sheet][ref].toObject();
}

}  // namespace

// A sheet added to a workbook, and numbers written as numbers, read back by an independent reader.
class TestWorkbookSheets : public QObject {
    Q_OBJECT
private slots:
    void addedSheetHoldsNumbers_data();
    void addedSheetHoldsNumbers();
    void sheetNamesRefused_data();
    void sheetNamesRefused();
    void numbersRefused_data();
    void numbersRefused();
};

void TestWorkbookSheets::addedSheetHoldsNumbers_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("shipped template") << fileBytes(QStringLiteral(SPRINGTEST_REPORT_TEMPLATE)) << ".xltx";
    QTest::newRow("prefixed spreadsheet namespace")
        << workbookFile({{"甲", sheetXml("<x:row r=\"1\"><x:c r=\"A1\"><x:v>7</x:v></x:c></x:row>", "x")}},
                        WorkbookOptions::prefixed("x"))
        << ".xlsx";
    QTest::newRow("no styles") << workbookFile({{"甲", sheetXml("")}}, WorkbookOptions::withoutStyles())
                               << ".xlsx";
}

void TestWorkbookSheets::addedSheetHoldsNumbers() {
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is not installed");
    QFETCH(QByteArray, file);
    QFETCH(QString, suffix);
    TempAppDir dir;
    dir.write("in" + suffix, file);
    Workbook book;
    QCOMPARE(book.open(dir.file("in" + suffix)), QString());
    const QStringList before = book.sheetNames();
    QCOMPARE(book.addSheet("统计"), QString());
    QCOMPARE(book.sheetNames(), QStringList(before) << "统计");
    QCOMPARE(book.activeSheetName(), QString("统计"));
    QCOMPARE(book.setCellText(1, 1, "平均值"), QString());
    QCOMPARE(book.setCellNumber(2, 1, 10.25), QString());
    QCOMPARE(book.setCellNumber(2, 2, -0.1), QString());
    QCOMPARE(book.setCellNumber(2, 3, 1e-20), QString());
    QCOMPARE(book.setCellText(2, 4, "12.30"), QString());  // a text stays a text
    // A cell written as a number and then as a text holds the text alone.
    QCOMPARE(book.setCellNumber(3, 1, 5), QString());
    QCOMPARE(book.setCellText(3, 1, "五"), QString());
    QCOMPARE(book.activateSheet(1), QString());
    QCOMPARE(book.saveAs(dir.file("out.xlsx")), QString());

    const QJsonObject read = readBack(dir.file("out.xlsx"));
    QVERIFY(!read.isEmpty());
    QCOMPARE(read["sheets"].toVariant().toStringList(), QStringList(before) << "统计");
    QCOMPARE(read["active"].toString(), before.first());
    QCOMPARE(cellOf(read, "统计", "A1")["v"].toString(), QString("平均值"));
    QCOMPARE(cellOf(read, "统计", "A2")["t"].toString(), QString("n"));
    QCOMPARE(cellOf(read, "统计", "A2")["v"].toString(), QString("10.25"));
    QCOMPARE(cellOf(read, "统计", "B2")["v"].toString(), QString("-0.1"));
    QCOMPARE(cellOf(read, "统计", "C2")["v"].toString(), QString("1e-20"));
    QCOMPARE(cellOf(read, "统计", "D2")["t"].toString(), QString("s"));
    QCOMPARE(cellOf(read, "统计", "A3")["v"].toString(), QString("五"));
    QCOMPARE(cellOf(read, "统计", "A3")["t"].toString(), QString("s"));

    // Saved and opened again, the added sheet is like any other: a second one can follow it.
    Workbook again;
    QCOMPARE(again.open(dir.file("out.xlsx")), QString());
    QCOMPARE(again.addSheet("统计2"), QString());
    QCOMPARE(again.saveAs(dir.file("again.xlsx")), QString());
    QCOMPARE(readBack(dir.file("again.xlsx"))["sheets"].toVariant().toStringList(), QStringList(before)
                                                                                        << "统计"
                                                                                        << "统计2");
}

void TestWorkbookSheets::sheetNamesRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("taken, other case") << "DATA";
    QTest::newRow("too long") << QString(32, QChar('x'));
    QTest::newRow("a slash") << "a/b";
    QTest::newRow("a bracket") << "[1]";
    QTest::newRow("a colon") << "a:b";
}

void TestWorkbookSheets::sheetNamesRefused() {
    QFETCH(QString, name);
    TempAppDir dir;
    dir.write("in.xlsx", workbookFile({{"data", sheetXml("")}}));
    Workbook book;
    QCOMPARE(book.open(dir.file("in.xlsx")), QString());
    QVERIFY(!book.addSheet(name).isEmpty());
    QCOMPARE(book.sheetNames(), QStringList{"data"});
    QCOMPARE(book.activeSheetName(), QString("data"));
}

void TestWorkbookSheets::numbersRefused_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("row");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 1;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 1;
    QTest::newRow("no such row") << 1.0 << 0;
}

void TestWorkbookSheets::numbersRefused() {
    QFETCH(double, value);
    QFETCH(int, row);
    TempAppDir dir;
    dir.write("in.xlsx", workbookFile({{"data", sheetXml("")}}));
    Workbook book;
    QCOMPARE(book.open(dir.file("in.xlsx")), QString());
    QVERIFY(!book.setCellNumber(row, 1, value).isEmpty());
    QCOMPARE(book.cellText(1, 1), QString());
}

QTEST_GUILESS_MAIN(TestWorkbookSheets)
#include "tst_workbook_sheets.moc"
