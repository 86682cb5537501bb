#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "results/ReportFiles.h"
#include "support/NearCompare.h"
#include "support/PngPicture.h"
#include "support/TempAppDir.h"
#include "support/WorkbookFiles.h"
#include "support/WorkbookReader.h"
#include "workbook/CellAddress.h"
#include "workbook/Workbook.h"

using namespace springtest;
using springtest::testing::TempAppDir;
using namespace springtest::testing;

namespace {

QByteArray shippedTemplate() {
    return fileBytes(QStringLiteral(SPRINGTEST_REPORT_TEMPLATE));
}

QJsonObject readBack(const QString& file) {
    return readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER), file);
}

QJsonObject cellOf(const QJsonObject& book, const QString& sheet, const QString& ref) {
    return book[QStringLiteral("cells")][sheet][ref].toObject();
}

QString valueOf(const QJsonObject& book, const QString& sheet, const QString& ref) {
    return cellOf(book, sheet, ref)[QStringLiteral("v")].toString();
}

#define REQUIRE_READER() \
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is not installed")

}  // namespace

class TestWorkbook : public QObject {
    Q_OBJECT
private slots:
    void fillShippedTemplate();
    void activation_data();
    void activation();
    void overwrittenCellsKeepTheirFormat();
    void numbersDatesAndTheirFormats_data();
    void numbersDatesAndTheirFormats();
    void foreignLayouts_data();
    void foreignLayouts();
    void unreadableFiles_data();
    void unreadableFiles();
    void reportFiles();
    void shiftFormula_data();
    void shiftFormula();
};

// What an export does with the shipped template, read back by an independent reader.
void TestWorkbook::fillShippedTemplate() {
    REQUIRE_READER();
    TempAppDir app;
    app.write(QStringLiteral("report.xltx"), shippedTemplate());
    const QByteArray templateBytes = app.read(QStringLiteral("report.xltx"));
    QVERIFY(!templateBytes.isEmpty());

    Workbook book;
    QCOMPARE(book.open(app.file(QStringLiteral("report.xltx"))), QString());
    QCOMPARE(book.sheetNames(), (QStringList{"数据", "说明", "采集数据", "示例报表"}));

    QCOMPARE(book.activateSheet(1), QString());
    const QList<std::tuple<int, int, QString>> texts{
        {1, 1, "方案名"},
        {2, 1, "压簧A-01"},
        {2, 7, "120.0"},
        {2, 8, "125.5"},
        {2, 9, "114.5"},
        {3, 3, "结果1"},
        {4, 1, "1"},
        {4, 3, "12.30"},
        {3, 25, "      测试日期      "},
        {4, 25, "2024-05-06 10:11:12"},
        {4, 2, "进程"},
        {5, 1, "a<b & c>\"d'"},
        {5, 2, "_x0041_"},
        {5, 3, "=A1"},
    };
    for (const auto& [row, column, text] : texts) QCOMPARE(book.setCellText(row, column, text), QString());
    QCOMPARE(book.setCellFontColor(4, 3, 255), QString());

    QCOMPARE(book.activateSheet(3), QString());
    const int samples = 300;
    for (int i = 1; i <= samples; ++i) {
        for (int column = 1; column <= 5; ++column)
            QCOMPARE(book.setCellText(i, column, QString::number(i * 10 + column)), QString());
    }

    QCOMPARE(book.activateSheet(QStringLiteral("示例报表")), QString());
    QCOMPARE(book.placePicture(QStringLiteral("A12"), pngPicture(400, 300)), QString());

    QString error;
    const QString folder = reportFolder(app.path(), &error);
    QCOMPARE(error, QString());
    const QString saved =
        newReportPath(folder, QStringLiteral("报表"), QDateTime(QDate(2024, 5, 6), QTime(10, 11, 12)));
    QCOMPARE(book.saveAs(saved), QString());
    QCOMPARE(QFileInfo(saved).fileName(), QStringLiteral("报表_20240506_101112.xlsx"));
    QCOMPARE(app.read(QStringLiteral("report.xltx")), templateBytes);

    const QJsonObject read = readBack(saved);
    QVERIFY(!read.isEmpty());
    QCOMPARE(read["template"].toBool(), false);
    QCOMPARE(read["fullCalcOnLoad"].toBool(), true);
    QCOMPARE(read["active"].toString(), QStringLiteral("示例报表"));
    QCOMPARE(read["selectedTabs"].toVariant().toStringList(),
             QStringList{"示例报表"});  // not grouped with sheet 1
    QCOMPARE(read["sheets"].toVariant().toStringList(), book.sheetNames());
    for (const auto& [row, column, text] : texts) {
        const QJsonObject cell = cellOf(read, "数据", cellReference(row, column));
        QCOMPARE(cell["v"].toString(), text);
        QCOMPARE(cell["t"].toString(), QStringLiteral("s"));  // text, never a number or a formula
    }
    QCOMPARE(cellOf(read, "数据", "C4")["color"].toString(), QStringLiteral("FFFF0000"));
    QVERIFY(cellOf(read, "数据", "A4")["color"].isNull());

    QCOMPARE(int(read["cells"]["采集数据"].toObject().size()), samples * 5);
    QCOMPARE(valueOf(read, "采集数据", "A1"), QStringLiteral("11"));
    QCOMPARE(valueOf(read, "采集数据", "E300"), QStringLiteral("3005"));

    // The report sheet is as it was: its formulas, formats and print area, and now the picture at A12.
    QCOMPARE(valueOf(read, "示例报表", "B4"), QStringLiteral("=IF('数据'!A4=\"\",\"\",'数据'!A4)"));
    QVERIFY(cellOf(read, "示例报表", "A3")["bold"].toBool());
    QCOMPARE(cellOf(read, "示例报表", "B4")["border"].toString(), QStringLiteral("thin"));
    QVERIFY(read["printArea"]["示例报表"].toString().endsWith("$A$1:$H$34"));
    QCOMPARE(read["pngContentType"].toString(), QStringLiteral("image/png"));
    const QJsonArray pictures = read["images"]["示例报表"].toArray();
    QCOMPARE(pictures.size(), qsizetype(1));
    const QJsonObject picture = pictures[0].toObject();
    QCOMPARE(picture["anchor"].toString(), QStringLiteral("oneCellAnchor"));
    QCOMPARE(picture["col"].toInt(), 0);
    QCOMPARE(picture["row"].toInt(), 11);
    QVERIFY(picture["png"].toBool());
    // Its own size: 400 × 300 pixels at about 96 dots per inch, 9525 EMU each.
    COMPARE_NEAR(picture["cx"].toDouble(), 400 * 9525.0, 0.01, 0.0);
    COMPARE_NEAR(picture["cy"].toDouble() / picture["cx"].toDouble(), 0.75, 0.0, 0.001);
    QVERIFY(read["images"]["数据"].toArray().isEmpty());

    // The saved workbook is itself a workbook to fill: a second picture joins the sheet's drawing.
    Workbook again;
    QCOMPARE(again.open(saved), QString());
    QCOMPARE(again.activeSheetName(), QStringLiteral("示例报表"));
    QCOMPARE(again.cellText(3, 1), QStringLiteral("方案名称"));
    QCOMPARE(again.placePicture(QStringLiteral("$D$3:$H$20"), pngPicture(50, 40)), QString());
    QCOMPARE(again.activateSheet(1), QString());
    QCOMPARE(again.cellText(4, 3), QStringLiteral("12.30"));
    QCOMPARE(again.setCellText(4, 3, QStringLiteral("12.31")), QString());
    const QString second =
        newReportPath(folder, QStringLiteral("报表"), QDateTime(QDate(2024, 5, 6), QTime(10, 11, 12)));
    QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("报表_20240506_101112_2.xlsx"));
    QCOMPARE(again.saveAs(second), QString());
    const QJsonObject reread = readBack(second);
    QCOMPARE(reread["active"].toString(), QStringLiteral("数据"));
    QCOMPARE(valueOf(reread, "数据", "C4"), QStringLiteral("12.31"));
    QCOMPARE(cellOf(reread, "数据", "C4")["color"].toString(), QStringLiteral("FFFF0000"));
    const QJsonArray both = reread["images"]["示例报表"].toArray();
    QCOMPARE(both.size(), qsizetype(2));
    QCOMPARE(both[1].toObject()["col"].toInt(), 3);
    QCOMPARE(both[1].toObject()["row"].toInt(), 2);
}

void TestWorkbook::activation_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QVariant>("sheet");       // a number or a name
    QTest::addColumn<QString>("activeAfter");  // empty: activation fails

    const QByteArray shipped = shippedTemplate();
    QTest::newRow("first by number") << shipped << QVariant(1) << "数据";
    QTest::newRow("third by number") << shipped << QVariant(3) << "采集数据";
    QTest::newRow("last by number") << shipped << QVariant(4) << "示例报表";
    QTest::newRow("past the last") << shipped << QVariant(5) << "";
    QTest::newRow("zero") << shipped << QVariant(0) << "";
    QTest::newRow("by name") << shipped << QVariant("示例报表") << "示例报表";
    QTest::newRow("unknown name") << shipped << QVariant("出厂报告") << "";
    QTest::newRow("name with a blank") << shipped << QVariant("数据 ") << "";
    const QByteArray twoSheets =
        workbookFile({{"数据", sheetXml("")}, {"Sheet2", sheetXml("")}}, WorkbookOptions::asTemplate());
    QTest::newRow("two-sheet template, third") << twoSheets << QVariant(3) << "";
    QTest::newRow("two-sheet template, second") << twoSheets << QVariant(2) << "Sheet2";
}

void TestWorkbook::activation() {
    QFETCH(QByteArray, file);
    QFETCH(QVariant, sheet);
    QFETCH(QString, activeAfter);
    TempAppDir dir;
    dir.write(QStringLiteral("t.xltx"), file);
    Workbook book;
    QCOMPARE(book.open(dir.file(QStringLiteral("t.xltx"))), QString());
    const QString before = book.activeSheetName();
    const QString error = sheet.typeId() == QMetaType::Int ? book.activateSheet(sheet.toInt())
                                                           : book.activateSheet(sheet.toString());
    if (activeAfter.isEmpty()) {
        QVERIFY(!error.isEmpty());
        QCOMPARE(book.activeSheetName(), before);
    } else {
        QCOMPARE(error, QString());
        QCOMPARE(book.activeSheetName(), activeAfter);
    }
}

// Writing over a formula or a formatted cell: the format stays, the formula goes, and cells that shared the
// formula keep theirs, to be computed afresh.
void TestWorkbook::overwrittenCellsKeepTheirFormat() {
    REQUIRE_READER();
    const QByteArray rows =
        "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>5</v></c><c r=\"B1\" s=\"1\"><f>A1*2</f><v>10</v></c>"
        "<c r=\"C1\"><f t=\"shared\" ref=\"C1:C3\" si=\"0\">A1+$A$1</f><v>10</v></c>"
        "<c r=\"D1\"><f t=\"array\" ref=\"D1:D2\">A1:A2*2</f><v>10</v></c></row>"
        "<row r=\"2\"><c r=\"A2\"><v>6</v></c><c r=\"C2\"><f t=\"shared\" si=\"0\"/><v>11</v></c><c "
        "r=\"D2\"><v>12</v></c></row>"
        "<row r=\"3\"><c r=\"A3\"><v>7</v></c><c r=\"C3\"><f t=\"shared\" si=\"0\"/><v>12</v></c></row>";
    TempAppDir dir;
    dir.write(QStringLiteral("in.xlsx"), workbookFile({{"表", sheetXml(rows)}}));
    Workbook book;
    QCOMPARE(book.open(dir.file(QStringLiteral("in.xlsx"))), QString());
    QCOMPARE(book.setCellText(1, 1, QStringLiteral("甲")), QString());
    QCOMPARE(book.setCellFontColor(1, 1, 255), QString());
    QCOMPARE(book.setCellText(1, 2, QStringLiteral("乙")), QString());
    QCOMPARE(book.setCellText(1, 3, QStringLiteral("丙")), QString());
    QVERIFY(!book.setCellText(2, 4, QStringLiteral("丁")).isEmpty());  // inside a formula over D1:D2
    QCOMPARE(book.setCellFontColor(2, 1, 0xFF0000), QString());        // blue on an unformatted cell
    QCOMPARE(book.saveAs(dir.file(QStringLiteral("out.xlsx"))), QString());

    const QJsonObject read = readBack(dir.file(QStringLiteral("out.xlsx")));
    QVERIFY(!read.isEmpty());
    const QJsonObject a1 = cellOf(read, "表", "A1");
    QCOMPARE(a1["v"].toString(), QStringLiteral("甲"));
    QVERIFY(a1["bold"].toBool());
    QCOMPARE(a1["border"].toString(), QStringLiteral("thin"));
    QCOMPARE(a1["color"].toString(), QStringLiteral("FFFF0000"));
    const QJsonObject b1 = cellOf(read, "表", "B1");
    QCOMPARE(b1["v"].toString(), QStringLiteral("乙"));
    QCOMPARE(b1["t"].toString(), QStringLiteral("s"));
    QVERIFY(b1["bold"].toBool());
    QVERIFY(b1["color"].isNull());
    QCOMPARE(valueOf(read, "表", "C1"), QStringLiteral("丙"));
    QCOMPARE(valueOf(read, "表", "C2"), QStringLiteral("=A2+$A$1"));
    QCOMPARE(valueOf(read, "表", "C3"), QStringLiteral("=A3+$A$1"));
    QCOMPARE(valueOf(read, "表", "D1"), QStringLiteral("=A1:A2*2"));
    // Stored results of formulas may read the old values: none is left for a program to show unchecked.
    for (const char* ref : {"C2", "C3", "D1"}) QVERIFY2(cellOf(read, "表", ref)["stored"].isNull(), ref);
    QCOMPARE(valueOf(read, "表", "A2"), QStringLiteral("6"));
    QCOMPARE(cellOf(read, "表", "A2")["color"].toString(), QStringLiteral("FF0000FF"));
}

void TestWorkbook::numbersDatesAndTheirFormats_data() {
    QTest::addColumn<bool>("withStyles");
    QTest::newRow("a workbook with styles") << true;
    QTest::newRow("a workbook without a styles part") << false;
}

// Numbers as numbers shown with their decimals, dates as dates; a report sheet's cell that shows one data
// cell takes its format; the data sheet hidden behind the report.
void TestWorkbook::numbersDatesAndTheirFormats() {
    REQUIRE_READER();
    QFETCH(bool, withStyles);
    // E1 is bold (format 1 of the styles part) where the workbook has one.
    const QByteArray report = QByteArray(
                                  "<row r=\"1\"><c r=\"A1\"><f>IF('数'!A1=\"\",\"\",'数'!A1)</f></c>"
                                  "<c r=\"B1\"><f>'数'!A1+'数'!B1</f></c><c r=\"C1\"><f>数!$C$1</f></c>"
                                  "<c r=\"D1\"><f>'别'!A1</f></c><c r=\"E1\"") +
                              (withStyles ? " s=\"1\"" : "") + "><f>'数'!B1</f></c></row>";
    TempAppDir dir;
    WorkbookOptions options;
    options.withStyles = withStyles;
    dir.write("in.xlsx", workbookFile({{"数", sheetXml("<row r=\"1\"><c r=\"B1\" s=\"1\"/></row>")},
                                       {"报", sheetXml(report)},
                                       {"别", sheetXml("")}},
                                      options));
    Workbook book;
    QCOMPARE(book.open(dir.file("in.xlsx")), QString());
    QCOMPARE(book.setCellNumber(1, 1, 10.3), QString());
    QCOMPARE(book.setCellNumberFormat(1, 1, "0.00"), QString());
    QCOMPARE(book.setCellNumber(1, 2, 7), QString());
    QCOMPARE(book.setCellNumberFormat(1, 2, "0.000"), QString());
    QCOMPARE(book.setCellDateTime(1, 3, QDateTime(QDate(2024, 5, 6), QTime(10, 11, 12))), QString());
    QVERIFY(!book.setCellDateTime(1, 4, QDateTime()).isEmpty());
    QCOMPARE(book.activateSheet("报"), QString());
    QCOMPARE(book.carryNumberFormats("数"), QString());
    QVERIFY(!book.carryNumberFormats("无此表").isEmpty());
    QCOMPARE(book.setSheetHidden(1, true), QString());
    QVERIFY(!book.setSheetHidden(2, true).isEmpty());  // the active sheet stays shown
    QCOMPARE(book.saveAs(dir.file("out.xlsx")), QString());

    const QJsonObject read = readBack(dir.file("out.xlsx"));
    QVERIFY(!read.isEmpty());
    const QJsonObject a1 = cellOf(read, "数", "A1");
    QCOMPARE(a1["t"].toString(), QStringLiteral("n"));
    QCOMPARE(a1["v"].toString(), QStringLiteral("10.3"));
    QCOMPARE(a1["format"].toString(), QStringLiteral("0.00"));
    const QJsonObject b1 = cellOf(read, "数", "B1");
    QCOMPARE(b1["format"].toString(), QStringLiteral("0.000"));
    QCOMPARE(b1["bold"].toBool(), withStyles);  // the rest of its format kept
    const QJsonObject c1 = cellOf(read, "数", "C1");
    QCOMPARE(c1["t"].toString(), QStringLiteral("d"));
    QCOMPARE(c1["v"].toString(), QStringLiteral("2024-05-06 10:11:12"));
    QCOMPARE(c1["format"].toString(), QStringLiteral("yyyy-mm-dd hh:mm:ss"));

    QCOMPARE(cellOf(read, "报", "A1")["format"].toString(), QStringLiteral("0.00"));
    QCOMPARE(cellOf(read, "报", "B1")["format"].toString(), QStringLiteral("General"));  // two cells
    QCOMPARE(cellOf(read, "报", "C1")["format"].toString(), QStringLiteral("yyyy-mm-dd hh:mm:ss"));
    QCOMPARE(cellOf(read, "报", "D1")["format"].toString(), QStringLiteral("General"));  // another sheet
    QCOMPARE(cellOf(read, "报", "E1")["format"].toString(), QStringLiteral("0.000"));
    QCOMPARE(cellOf(read, "报", "E1")["bold"].toBool(), withStyles);
    QCOMPARE(read["sheetStates"]["数"].toString(), QStringLiteral("hidden"));
    QCOMPARE(read["sheetStates"]["报"].toString(), QStringLiteral("visible"));
    QCOMPARE(read["active"].toString(), QStringLiteral("报"));
}

// Files other programs write differently from the shipped template, filled and read back.
void TestWorkbook::foreignLayouts_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("kept");  // "A1=value" that must survive
    QTest::newRow("prefixed spreadsheet namespace")
        << workbookFile({{"甲", sheetXml("<x:row r=\"1\"><x:c r=\"A1\"><x:v>7</x:v></x:c></x:row>", "x")}},
                        WorkbookOptions::prefixed("x"))
        << QStringList{"A1=7"};
    QTest::newRow("rows and cells without positions")
        << workbookFile({{"甲", sheetXml("<row><c><v>1</v></c><c><v>2</v></c></row>"
                                         "<row><c t=\"inlineStr\"><is><t>行二</t></is></c></row>")}})
        << QStringList{"A1=1", "B1=2", "A2=行二"};
    QTest::newRow("no styles, no shared strings, no sheet data")
        << workbookFile(
               {{"甲", kXmlDeclaration + "<worksheet xmlns=\"" + kSpreadsheetMl +
                           "\"><pageMargins left=\"0.7\" right=\"0.7\" "
                           "top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/></worksheet>"}},
               WorkbookOptions::withoutStyles())
        << QStringList{};
    QTest::newRow("rows after the written one")
        << workbookFile({{"甲", sheetXml("<row r=\"5\" spans=\"1:1\"><c r=\"A5\"><v>5</v></c></row>"
                                         "<row r=\"1\"><c r=\"D1\"><v>4</v></c></row>")}})
        << QStringList{"A5=5", "D1=4"};
}

void TestWorkbook::foreignLayouts() {
    REQUIRE_READER();
    QFETCH(QByteArray, file);
    QFETCH(QStringList, kept);
    TempAppDir dir;
    dir.write(QStringLiteral("in.xlsx"), file);
    Workbook book;
    QCOMPARE(book.open(dir.file(QStringLiteral("in.xlsx"))), QString());
    QCOMPARE(book.setCellText(1, 3, QStringLiteral("新 文本")), QString());
    QCOMPARE(book.setCellText(2, 2, QStringLiteral("2.50")), QString());
    QCOMPARE(book.setCellFontColor(2, 2, 255), QString());
    QCOMPARE(book.placePicture(QStringLiteral("B4"), pngPicture(20, 10)), QString());
    QCOMPARE(book.saveAs(dir.file(QStringLiteral("out.xlsx"))), QString());

    const QJsonObject read = readBack(dir.file(QStringLiteral("out.xlsx")));
    QVERIFY(!read.isEmpty());
    QCOMPARE(valueOf(read, "甲", "C1"), QStringLiteral("新 文本"));
    QCOMPARE(valueOf(read, "甲", "B2"), QStringLiteral("2.50"));
    QCOMPARE(cellOf(read, "甲", "B2")["color"].toString(), QStringLiteral("FFFF0000"));
    for (const QString& k : kept) QCOMPARE(valueOf(read, "甲", k.section('=', 0, 0)), k.section('=', 1));
    const QJsonArray pictures = read["images"]["甲"].toArray();
    QCOMPARE(pictures.size(), qsizetype(1));
    QCOMPARE(pictures[0].toObject()["row"].toInt(), 3);
    QCOMPARE(pictures[0].toObject()["col"].toInt(), 1);
}

void TestWorkbook::unreadableFiles_data() {
    QTest::addColumn<QByteArray>("file");  // empty: no file at all
    QTest::addColumn<bool>("opens");       // damage found only when a sheet is written

    const QByteArray shipped = shippedTemplate();
    const QByteArray wordTypes =
        kXmlDeclaration +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Override "
        "PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></"
        "Types>";
    const QByteArray wordRels = kXmlDeclaration +
                                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                                kRelationshipTypes +
                                "/officeDocument\" Target=\"word/document.xml\"/></Relationships>";

    QTest::newRow("missing file") << QByteArray() << false;
    QTest::newRow("text file") << QByteArray("这不是压缩文件\n") << false;
    QTest::newRow("truncated template") << shipped.left(shipped.size() / 2) << false;
    QTest::newRow("zip without content types") << zipOf({{"a.txt", "x"}}) << false;
    QTest::newRow("word document") << zipOf({{"[Content_Types].xml", wordTypes},
                                             {"_rels/.rels", wordRels},
                                             {"word/document.xml", "<w/>"}})
                                   << false;
    QTest::newRow("sheet names a missing part")
        << workbookFile({{"甲", sheetXml("")}}, WorkbookOptions::withoutSheets()) << false;
    QTest::newRow("worksheet is no XML") << workbookFile({{"甲", "<worksheet><sheetData><row"}}) << true;
    QTest::newRow("worksheet is something else")
        << workbookFile({{"甲", kXmlDeclaration + "<chartsheet/>"}}) << true;
}

void TestWorkbook::unreadableFiles() {
    QFETCH(QByteArray, file);
    QFETCH(bool, opens);
    TempAppDir dir;
    if (!file.isEmpty()) dir.write(QStringLiteral("bad.xltx"), file);
    Workbook book;
    const QString error = book.open(dir.file(QStringLiteral("bad.xltx")));
    QCOMPARE(error.isEmpty(), opens);
    QCOMPARE(book.isOpen(), opens);
    if (!opens) {
        QCOMPARE(book.sheetCount(), 0);
        QVERIFY(!book.activateSheet(1).isEmpty());
    }
    QVERIFY(!book.setCellText(1, 1, QStringLiteral("x")).isEmpty());
    QVERIFY(!book.setCellFontColor(1, 1, 255).isEmpty());
    QVERIFY(!book.placePicture(QStringLiteral("A1"), pngPicture(4, 4)).isEmpty());
    if (!opens) QVERIFY(!book.saveAs(dir.file(QStringLiteral("out.xlsx"))).isEmpty());
}

void TestWorkbook::reportFiles() {
    TempAppDir app;
    QString error;
    const QString folder = reportFolder(app.path(), &error);
    QCOMPARE(error, QString());
    QCOMPARE(folder, app.file(QStringLiteral("report")) + QLatin1Char('/'));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(reportFolder(app.path()), folder);  // there already

    const QDateTime when(QDate(2024, 1, 2), QTime(3, 4, 5));
    const QString first = newReportPath(folder, QStringLiteral("采集数据"), when);
    QCOMPARE(first, folder + QStringLiteral("采集数据_20240102_030405.xlsx"));
    app.write(QStringLiteral("report/采集数据_20240102_030405.xlsx"), "earlier export");
    QCOMPARE(newReportPath(folder, QStringLiteral("采集数据"), when),
             folder + QStringLiteral("采集数据_20240102_030405_2.xlsx"));

    // Saving never replaces a file, the template it came from least of all.
    app.write(QStringLiteral("report.xltx"), shippedTemplate());
    Workbook book;
    QCOMPARE(book.open(app.file(QStringLiteral("report.xltx"))), QString());
    QCOMPARE(book.setCellText(1, 1, QStringLiteral("x")), QString());
    QVERIFY(!book.saveAs(first).isEmpty());
    QCOMPARE(app.read(QStringLiteral("report/采集数据_20240102_030405.xlsx")), QByteArray("earlier export"));
    QVERIFY(!book.saveAs(app.file(QStringLiteral("report.xltx"))).isEmpty());
    QCOMPARE(app.read(QStringLiteral("report.xltx")), shippedTemplate());
    QVERIFY(!book.saveAs(app.file(QStringLiteral("no such folder/out.xlsx"))).isEmpty());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList{"采集数据_20240102_030405.xlsx"});
}

// Formulas a shared group handed to each of its cells when one of them is overwritten.
void TestWorkbook::shiftFormula_data() {
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("shifted");
    QTest::newRow("relative and absolute") << "A1+$A$1+A$1+$A1" << 2 << 1 << "B3+$A$1+B$1+$A3";
    QTest::newRow("ranges") << "SUM(A1:B2)*SUM(C:C)+SUM(3:4)" << 1 << 1 << "SUM(B2:C3)*SUM(D:D)+SUM(4:5)";
    QTest::newRow("other sheets") << "'数据'!C4+Sheet2!A1" << 1 << 0 << "'数据'!C5+Sheet2!A2";
    QTest::newRow("strings and names stay")
        << "IF(A1=\"B2\",LOG10(A1),Tax_B2)" << 1 << 0 << "IF(A2=\"B2\",LOG10(A2),Tax_B2)";
    QTest::newRow("functions with digits") << "ATAN2(A1,B1)" << 0 << 1 << "ATAN2(B1,C1)";
    QTest::newRow("numbers stay") << "A1*1.5E+3+2" << 1 << 0 << "A2*1.5E+3+2";
    QTest::newRow("quoted sheet with a quote") << "'O''Neil A1'!A1" << 1 << 0 << "'O''Neil A1'!A2";
    QTest::newRow("structured reference") << "SUM(T1[A1])+A1" << 1 << 0 << "SUM(T1[A1])+A2";
    QTest::newRow("off the sheet") << "A2-A1" << -1 << 0 << "A1-#REF!";
    QTest::newRow("last column") << "XFD1" << 0 << 1 << "#REF!";
}

void TestWorkbook::shiftFormula() {
    QFETCH(QString, formula);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QString, shifted);
    QCOMPARE(springtest::shiftFormula(formula, rows, columns), shifted);
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
