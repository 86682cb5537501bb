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

#include "platform/Prompts.h"
#include "results/ReportExport.h"
#include "results/ReportFiles.h"
#include "results/ReportNames.h"
#include "results/Ttest_result.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"
#include "support/BatchMaker.h"
#include "support/PngPicture.h"
#include "support/TempAppDir.h"
#include "support/WorkbookFiles.h"
#include "support/WorkbookReader.h"
#include "workbook/CellAddress.h"

using namespace springtest;
using springtest::testing::TempAppDir;
using namespace springtest::testing;

namespace {

const QString kFailed = QStringLiteral("确定Excel安装正确!!");

// --- the batch ---

// How the batch's test_result table orders its columns: as this program makes it, or as an older file may
// (the date right after the serial), which tells the grid's order from the table's.
enum class Columns { AsMade, DateSecond };

QString resultDate(int serial) {
    return QStringLiteral("2024-05-06 10:11:%1.000").arg(serial, 2, 10, QLatin1Char('0'));
}

// The date as the workbook shows it: a date, to the second.
QString shownDate(int serial) {
    return resultDate(serial).chopped(4);
}

bool reorderResultTable(Database& db) {
    QStringList columns{QStringLiteral("xuhao INTEGER"), QStringLiteral("date TEXT"),
                        QStringLiteral("jinhuicheng TEXT")};
    for (const char* name : {"result", "gangdu"})
        for (int k = 1; k <= 10; ++k) columns << QStringLiteral("%1%2 TEXT").arg(QLatin1String(name)).arg(k);
    columns << QStringLiteral("height TEXT") << QStringLiteral("yb_height TEXT");
    return db.exec(QStringLiteral("drop table test_result")) &&
           db.exec(QStringLiteral("create table test_result (%1)").arg(columns.join(QStringLiteral(", "))));
}

// A batch "R" of tests 1 to `tests`. Every value that could pass for a number is stored as the operator's
// text ("10.30", "201.50") and must reach the workbook as that text. Test 2's five samples are stored out of
// their point order; tests 1 and 3 have samples of their own that test 2's export must not pick up.
QString makeBatch(const TempAppDir& app, int tests = 3, Columns columns = Columns::AsMade) {
    StandardScheme s;
    s.scheme_name = QStringLiteral("压簧A-01");
    s.scheme_style = QStringLiteral("0");
    s.scheme_jh = 1;
    s.scheme_height = QStringLiteral("65.0");
    s.scheme_load = QStringLiteral("0.50");
    s.scheme_sum = QStringLiteral("2");
    s.points[0] = {QStringLiteral("40.0"), QStringLiteral("41.0"), QStringLiteral("39.0")};
    s.points[1] = {QStringLiteral("35.0"), QStringLiteral("36.0"), QStringLiteral("34.0")};
    s.scheme_gangdu_max = QStringLiteral("12.5");
    s.scheme_gangdu_min = QStringLiteral("8.5");
    const QString batch = testing::makeBatch(app.path(), s, QStringLiteral("R"));
    if (batch.isEmpty()) return {};
    if (columns == Columns::DateSecond) {
        Database db(batch);
        if (!reorderResultTable(db)) return {};
    }
    QList<StoredTest> stored;
    for (int x = 1; x <= tests; ++x) {
        StoredTest test{x,
                        {{QStringLiteral("result1"), QStringLiteral("%1.30").arg(x * 10)},
                         {QStringLiteral("gangdu1"), QStringLiteral("5.50")},
                         {QStringLiteral("height"), QStringLiteral("60.00")},
                         {QStringLiteral("date"), resultDate(x)}},
                        {}};
        for (int i = 5; i >= 1; --i)
            test.curve << QVariantMap{{QStringLiteral("number"), i},
                                      {QStringLiteral("load"), QStringLiteral("%1.50").arg(x * 100 + i)},
                                      {QStringLiteral("weiyi"), QStringLiteral("%1.0").arg(50 - i)},
                                      {QStringLiteral("bianxing"), QStringLiteral("%1.0").arg(i)},
                                      {QStringLiteral("jinhuicheng"), QStringLiteral("1")}};
        stored << test;
    }
    if (!storeTests(batch, stored)) return {};
    // Test 2 was run by a named operator; the others were stored before operators were recorded.
    Database db(batch);
    return tests >= 2 && !storeTestOperator(db, 2, QStringLiteral("张工")) ? QString() : batch;
}

// --- small templates ---

// A template of the given worksheets (name, sheetData content) without styles, as small as a spreadsheet
// program opens.
QByteArray tinyTemplate(const QList<std::pair<QString, QByteArray>>& sheets) {
    QList<std::pair<QString, QByteArray>> parts;
    for (const auto& [name, rows] : sheets) parts.append({name, sheetXml(rows)});
    WorkbookOptions options = WorkbookOptions::asTemplate();
    options.withStyles = false;
    return workbookFile(parts, options);
}

// --- reading the workbook back, with openpyxl ---

QByteArray shippedTemplate() {
    return fileBytes(QStringLiteral(SPRINGTEST_REPORT_TEMPLATE));
}

QJsonObject readBack(const QString& file) {
    return readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER), file);
}

// A cell as a spreadsheet shows it: a number with the decimals of its format ("0.00"), a date as the reader
// writes one ("2024-05-06 10:11:01"), a text as it stands.
QString valueAt(const QJsonObject& book, const QString& sheet, int row, int column) {
    const QJsonValue cell = book[QStringLiteral("cells")][sheet][cellReference(row, column)];
    const QString value = cell[QStringLiteral("v")].toString();
    const QRegularExpressionMatch fixed = QRegularExpression(QStringLiteral("^0(?:\\.(0+))?$"))
                                              .match(cell[QStringLiteral("format")].toString());
    if (cell[QStringLiteral("t")].toString() == QLatin1String("n") && fixed.hasMatch())
        return QString::number(value.toDouble(), 'f', static_cast<int>(fixed.captured(1).size()));
    return value;
}

QStringList rowOf(const QJsonObject& book, const QString& sheet, int row, int columns) {
    QStringList texts;
    for (int k = 1; k <= columns; ++k) texts << valueAt(book, sheet, row, k);
    return texts;
}

// The last row of a sheet that holds a value; 0 for an empty sheet.
int lastFilledRow(const QJsonObject& book, const QString& sheet) {
    int last = 0;
    const QJsonObject cells = book[QStringLiteral("cells")][sheet].toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        if (it.value()[QStringLiteral("v")].isNull()) continue;
        if (const auto at = parseCellReference(it.key())) last = std::max(last, at->row);
    }
    return last;
}

// Every number reaches the sheet as a number shown with the decimals it was stored with, every date as a
// date; only words are texts.
bool valuesAsTheyAre(const QJsonObject& book, const QString& sheet) {
    const QJsonObject cells = book[QStringLiteral("cells")][sheet].toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const QString type = it.value()[QStringLiteral("t")].toString();
        const QString format = it.value()[QStringLiteral("format")].toString();
        if (it.value()[QStringLiteral("v")].isNull()) continue;
        bool isNumber = false;
        it.value()[QStringLiteral("v")].toString().toDouble(&isNumber);
        if (type == QLatin1String("s") && isNumber) return false;
        if (type == QLatin1String("n") && format == QLatin1String("General")) return false;
    }
    return true;
}

#define REQUIRE_READER() \
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is not installed")

// --- the rig ---

// Counts the progress window's openings and closings, which the scripted service does not record.
class RecordingPrompts : public ScriptedPrompts {
public:
    RecordingPrompts() { setPrompts(this); }
    ~RecordingPrompts() override { setPrompts(nullptr); }
    void progressStart(const QString& caption, const QString& text, int maximum) override {
        ++starts;
        ScriptedPrompts::progressStart(caption, text, maximum);
    }
    void progressEnd() override { ++ends; }
    int starts = 0, ends = 0;
};

class RecordingOpener : public SpreadsheetOpener {
public:
    QString open(const QString& path) override {
        opened << path;
        return failure;
    }
    QStringList opened;
    QString failure;
};

enum class Export { All, Selected, Report, Points };

// An application folder with the shipped template and a batch opened in the browser.
struct Rig {
    TempAppDir app;
    QString batch;
    std::unique_ptr<Ttest_result> browser;
    RecordingPrompts prompts;

    explicit Rig(int tests = 3, Columns columns = Columns::AsMade,
                 const QByteArray& templ = shippedTemplate()) {
        app.write(QStringLiteral("report.xltx"), templ);
        batch = makeBatch(app, tests, columns);
        browser = Ttest_result::open(batch).result;
    }
    ExportRequest request(SpreadsheetOpener* opener = nullptr) const {
        return {app.path(), QStringLiteral("report.xltx"), opener};
    }
    void addReport(const QString& name, const QString& range, bool flag) const {
        QVERIFY(saveReportName(schemeDatabasePath(app.path()), {name, range, flag}, [](const QString&) {
                    return true;
                }).changed);
    }
    ExportOutcome run(Export e, const QList<int>& rows = {0},
                      const QString& argument = QStringLiteral("示例报表"),
                      SpreadsheetOpener* opener = nullptr) const {
        const QByteArray before = app.read(QStringLiteral("report.xltx"));
        ExportOutcome outcome;
        switch (e) {
            case Export::All:
                outcome = browser->ExportAll(request(opener));
                break;
            case Export::Selected:
                outcome = browser->ExportSelected(request(opener), rows);
                break;
            case Export::Report:
                outcome = browser->ExportReport(request(opener), argument, pngPicture(64, 48), rows.value(0));
                break;
            case Export::Points:
                outcome = browser->ExportPoints(request(opener), argument);
                break;
        }
        // The template is only ever read, whatever the export did with it.
        if (app.read(QStringLiteral("report.xltx")) != before)
            QTest::qFail("the export changed the template", __FILE__, __LINE__);
        return outcome;
    }
    QStringList savedFiles() const {
        return QDir(app.file(QStringLiteral("report"))).entryList(QDir::Files | QDir::Hidden);
    }
};

}  // namespace

Q_DECLARE_METATYPE(Export)
Q_DECLARE_METATYPE(Columns)

class TestReportExport : public QObject {
    Q_OBJECT
private slots:
    void rowsOfEachExport_data();
    void rowsOfEachExport();
    void reportPicture_data();
    void reportPicture();
    void namedReportIsOnePrintedPage();
    void curveSamples();
    void testWithoutSamples();
    void failures_data();
    void failures();
    void operatorMessages_data();
    void operatorMessages();
    void openerGetsTheSavedWorkbook();
    void fileStems_data();
    void fileStems();
    void olderBatchGetsTheCurveIndex_data();
    void olderBatchGetsTheCurveIndex();
    void batchOnReadOnlyMediaIsBrowsedAndExported();
};

void TestReportExport::rowsOfEachExport_data() {
    QTest::addColumn<Export>("exported");
    QTest::addColumn<Columns>("columns");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QStringList>("cells");  // "C4=10.30" from row 3 on; "C4=" an empty cell
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<QString>("activeSheet");

    const QString titles = QStringLiteral("A3=序号");
    QTest::newRow("all")
        << Export::All << Columns::AsMade << QList<int>{}
        << QStringList{titles,     "Y3=      测试日期      ", "A4=1",      "B4=进", "C4=10.30", "M4=5.50",
                       "W4=60.00", "Y4=" + shownDate(1),      "Z3=操作员", "Z4=",   "Z5=张工",  "A6=3",
                       "C6=30.30"}
        << 6 << "数据";
    // The grid's order whatever the table's.
    QTest::newRow("all, date second in the table")
        << Export::All << Columns::DateSecond << QList<int>{}
        << QStringList{"A4=1", "B4=进", "C4=10.30", "Y4=" + shownDate(1)} << 6 << "数据";
    QTest::newRow("one selected row")
        << Export::Selected << Columns::AsMade << QList<int>{1}
        << QStringList{"A3=2", "B3=进", "C3=20.30", "Y3=" + shownDate(2), "Z3=张工"} << 3 << "数据";
    QTest::newRow("selected out of order, twice")
        << Export::Selected << Columns::AsMade << QList<int>{2, 0, 2}
        << QStringList{"A3=1", "C3=10.30", "A4=3", "C4=30.30"} << 4 << "数据";
    // The record's fields in the table's order, the date second.
    QTest::newRow("selected, date second in the table")
        << Export::Selected << Columns::DateSecond << QList<int>{0}
        << QStringList{"A3=1", "B3=" + shownDate(1), "C3=进", "D3=10.30", "Y3=", "X3=60.00", "Z3="} << 3
        << "数据";
    QTest::newRow("report") << Export::Report << Columns::AsMade << QList<int>{}
                            << QStringList{titles,        "A4=1", "C4=10.30", "Y4=" + shownDate(1),
                                           "A6=负荷单位", "B6=N", "D6=mm",    "F6=N/mm"}
                            << 6 << "示例报表";
    // The test whose curve the picture shows, and only that one.
    QTest::newRow("report of test 3")
        << Export::Report << Columns::AsMade << QList<int>{2}
        << QStringList{titles, "A4=3", "C4=30.30", "Y4=" + shownDate(3), "Z3=操作员", "Z4="} << 6
        << "示例报表";
    QTest::newRow("report names its operator") << Export::Report << Columns::AsMade << QList<int>{1}
                                               << QStringList{"A4=2", "Z4=张工"} << 6 << "示例报表";
    QTest::newRow("report of a row that is gone") << Export::Report << Columns::AsMade << QList<int>{7}
                                                  << QStringList{"A4=1", "C4=10.30"} << 6 << "示例报表";
}

void TestReportExport::rowsOfEachExport() {
    REQUIRE_READER();
    QFETCH(Export, exported);
    QFETCH(Columns, columns);
    QFETCH(QList<int>, selected);
    QFETCH(QStringList, cells);
    QFETCH(int, lastRow);
    QFETCH(QString, activeSheet);
    Rig rig(3, columns);
    QVERIFY(rig.browser);
    const ExportOutcome out = rig.run(exported, selected);
    QCOMPARE(out.message, QString());
    QVERIFY(QFileInfo(out.savedPath).isFile());

    const QJsonObject read = readBack(out.savedPath);
    QVERIFY(!read.isEmpty());
    const QString data = QStringLiteral("数据");
    QCOMPARE(read["active"].toString(), activeSheet);
    QCOMPARE(rowOf(read, data, 1, 36), Ttest_result::schemeTitles());
    QCOMPARE(valueAt(read, data, 1, 37), QString());
    // Row 2: the scheme record field by field in its table's order, the fields beyond the grid's included; a
    // batch keeps no return height, and its empty field keeps its column.
    QCOMPARE(rowOf(read, data, 2, 10),
             (QStringList{"压簧A-01", "0", "1", "", "0.50", "2", "40.0", "41.0", "39.0", "35.0"}));
    QCOMPARE(rowOf(read, data, 2, 40).mid(36), (QStringList{"12.5", "8.5", "1", "0"}));
    if (exported != Export::Selected) QCOMPARE(rowOf(read, data, 3, 25), Ttest_result::resultTitles());
    for (const QString& c : cells) {
        const auto at = parseCellReference(c.section('=', 0, 0));
        QVERIFY(at);
        QCOMPARE(valueAt(read, data, at->row, at->column), c.section('=', 1));
    }
    QCOMPARE(valueAt(read, data, 3, 27), QString());  // never more columns than the results grid has
    QCOMPARE(lastFilledRow(read, data), lastRow);
    QVERIFY(valuesAsTheyAre(read, data));
    QCOMPARE(lastFilledRow(read, QStringLiteral("采集数据")), 0);
    QCOMPARE(rig.prompts.starts, 0);
}

void TestReportExport::reportPicture_data() {
    QTest::addColumn<bool>("withRecord");
    QTest::addColumn<bool>("chartFlag");
    QTest::addColumn<bool>("pictured");
    QTest::newRow("chart asked for") << true << true << true;
    QTest::newRow("chart not asked for") << true << false << false;
    QTest::newRow("record deleted meanwhile") << false << false << false;
}

void TestReportExport::reportPicture() {
    REQUIRE_READER();
    QFETCH(bool, withRecord);
    QFETCH(bool, chartFlag);
    QFETCH(bool, pictured);
    Rig rig;
    if (withRecord) rig.addReport(QStringLiteral("示例报表"), QStringLiteral("A12"), chartFlag);
    rig.addReport(QStringLiteral("说明"), QStringLiteral("C3"), true);  // another report's picture stays off
    const ExportOutcome out = rig.run(Export::Report);
    QCOMPARE(out.message, QString());
    const QJsonObject read = readBack(out.savedPath);
    QVERIFY(!read.isEmpty());
    QCOMPARE(read["active"].toString(), QStringLiteral("示例报表"));
    const QJsonArray pictures = read["images"]["示例报表"].toArray();
    QCOMPARE(pictures.size(), qsizetype(pictured ? 1 : 0));
    if (pictured) {
        QCOMPARE(pictures[0]["row"].toInt(), 11);
        QCOMPARE(pictures[0]["col"].toInt(), 0);
        QVERIFY(pictures[0]["png"].toBool());
    }
    for (const QString& other : {QStringLiteral("数据"), QStringLiteral("说明"), QStringLiteral("采集数据")})
        QVERIFY2(read["images"][other].toArray().isEmpty(), qPrintable(other));
}

// The named report is what prints: one A4 page with its figures in their decimals, units beside them, the
// stiffness limits and verdicts; the sheets it reads from are kept, hidden.
void TestReportExport::namedReportIsOnePrintedPage() {
    REQUIRE_READER();
    Rig rig;
    rig.addReport(QStringLiteral("示例报表"), QStringLiteral("A12"), true);
    const ExportOutcome out = rig.run(Export::Report, {1});
    QCOMPARE(out.message, QString());
    const QJsonObject read = readBack(out.savedPath);
    QVERIFY(!read.isEmpty());
    const QString report = QStringLiteral("示例报表");
    QCOMPARE(read["active"].toString(), report);
    QCOMPARE(read["sheetStates"][report].toString(), QStringLiteral("visible"));
    for (const QString& other : {QStringLiteral("数据"), QStringLiteral("说明"), QStringLiteral("采集数据")})
        QCOMPARE(read["sheetStates"][other].toString(), QStringLiteral("hidden"));
    QVERIFY(read["pageSetup"][report]["fitToPage"].toBool());
    QCOMPARE(read["pageSetup"][report]["fitToWidth"].toInt(), 1);
    QCOMPARE(read["pageSetup"][report]["fitToHeight"].toInt(), 1);
    QCOMPARE(read["pageSetup"][report]["paperSize"].toInt(), 9);  // A4
    QVERIFY(read["printArea"][report].toString().contains(QStringLiteral("$A$1:$H$34")));

    // Each figure shows the cell it reads with that cell's format: the data's decimals, the date as a date.
    const auto formatAt = [&](const QString& at) { return read["cells"][report][at]["format"].toString(); };
    QCOMPARE(formatAt("E7"), QStringLiteral("0.00"));  // result 1, stored "20.30"
    QCOMPARE(formatAt("G7"), QStringLiteral("0.00"));  // stiffness 1, "5.50"
    QCOMPARE(formatAt("B7"), QStringLiteral("0.0"));   // point 1, "40.0"
    QCOMPARE(formatAt("F5"), QStringLiteral("0.0"));   // stiffness upper limit, "12.5"
    QCOMPARE(formatAt("B4"), QStringLiteral("0"));     // the serial
    QCOMPARE(formatAt("F3"), QStringLiteral("yyyy-mm-dd hh:mm:ss"));
    QCOMPARE(formatAt("F7"), QStringLiteral("General"));  // a verdict reads no single value
    // Units, stiffness limits and verdicts are the report's own formulas over the data sheet.
    const auto formulaAt = [&](const QString& at) { return read["cells"][report][at]["v"].toString(); };
    QVERIFY(formulaAt("E6").contains(QStringLiteral("'数据'!B6")));
    QVERIFY(formulaAt("G6").contains(QStringLiteral("'数据'!F6")));
    QVERIFY(formulaAt("F5").contains(QStringLiteral("'数据'!AK2")));
    QVERIFY(formulaAt("H7").contains(QStringLiteral("不合格")));
    QVERIFY(formulaAt("F4").contains(QStringLiteral("'数据'!Z4")));
}

void TestReportExport::curveSamples() {
    REQUIRE_READER();
    Rig rig;
    const ExportOutcome out = rig.run(Export::Points, {}, QStringLiteral("2"));
    QCOMPARE(out.message, QString());
    QVERIFY(QFileInfo(out.savedPath).fileName().startsWith(QStringLiteral("R_采集数据_2_")));
    const QJsonObject read = readBack(out.savedPath);
    QVERIFY(!read.isEmpty());
    const QString sheet = QStringLiteral("采集数据");
    QCOMPARE(read["active"].toString(), sheet);
    // In point order although stored the other way round; test 2's samples only; no title row.
    QCOMPARE(rowOf(read, sheet, 1, 5), (QStringList{"1", "201.50", "49.0", "1.0", "1"}));
    QCOMPARE(rowOf(read, sheet, 5, 5), (QStringList{"5", "205.50", "45.0", "5.0", "1"}));
    QCOMPARE(valueAt(read, sheet, 3, 2), QStringLiteral("203.50"));
    QCOMPARE(valueAt(read, sheet, 1, 6), QString());
    QCOMPARE(lastFilledRow(read, sheet), 5);
    QVERIFY(valuesAsTheyAre(read, sheet));
    QCOMPARE(lastFilledRow(read, QStringLiteral("数据")), 0);

    QCOMPARE(rig.prompts.shown.size(), qsizetype(1));
    QCOMPARE(rig.prompts.shown[0].kind, QStringLiteral("progress"));
    QCOMPARE(rig.prompts.shown[0].caption, QStringLiteral("数据导出"));
    QCOMPARE(rig.prompts.shown[0].text, QStringLiteral("正在导出数据......"));
    QCOMPARE(rig.prompts.progressMaximum, 5);
    QCOMPARE(rig.prompts.progressLast, 5);
    QCOMPARE(rig.prompts.ends, 1);
}

void TestReportExport::testWithoutSamples() {
    REQUIRE_READER();
    Rig rig;
    const ExportOutcome out = rig.run(Export::Points, {}, QStringLiteral("9"));
    QCOMPARE(out.message, QString());
    const QJsonObject read = readBack(out.savedPath);
    QVERIFY(!read.isEmpty());
    QCOMPARE(read["active"].toString(), QStringLiteral("采集数据"));
    QCOMPARE(lastFilledRow(read, QStringLiteral("采集数据")), 0);
    QCOMPARE(rig.prompts.progressMaximum, 0);
    QCOMPARE(rig.prompts.starts, 1);
    QCOMPARE(rig.prompts.ends, 1);
}

// Every failure on the way: the operator's one message, the reason for the log, no workbook left behind, and
// a progress window that was opened is closed.
void TestReportExport::failures_data() {
    QTest::addColumn<Export>("exported");
    QTest::addColumn<QByteArray>("templ");  // empty: no template file
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("reportRange");  // a report_name record for the argument, when not empty
    QTest::addColumn<bool>("withoutSchemeDatabase");
    QTest::addColumn<int>("progressWindows");

    const QByteArray shipped = shippedTemplate();
    const QByteArray twoSheets = tinyTemplate({{"数据", ""}, {"说明", ""}});
    // The third sheet's A2:A3 hold one formula, so that the second sample cannot be written.
    const QByteArray blockedSamples = tinyTemplate(
        {{"数据", ""},
         {"说明", ""},
         {"采集数据", "<row r=\"2\"><c r=\"A2\"><f t=\"array\" ref=\"A2:A3\">1</f><v>1</v></c></row>"}});
    QTest::newRow("no template") << Export::All << QByteArray() << ""
                                 << "" << false << 0;
    QTest::newRow("template is no workbook") << Export::Selected << QByteArray("PK but not a zip") << ""
                                             << "" << false << 0;
    QTest::newRow("no third sheet") << Export::Points << twoSheets << "2"
                                    << "" << false << 0;
    QTest::newRow("samples cannot be written") << Export::Points << blockedSamples << "2"
                                               << "" << false << 1;
    QTest::newRow("no sheet for the report") << Export::Report << shipped << "出厂报告"
                                             << "A12" << false << 0;
    QTest::newRow("report name with a trailing blank") << Export::Report << shipped << "示例报表 "
                                                       << "" << false << 0;
    QTest::newRow("range is no address") << Export::Report << shipped << "示例报表"
                                         << "第12行" << false << 0;
    QTest::newRow("no scheme database") << Export::Report << shipped << "示例报表"
                                        << "" << true << 0;
}

void TestReportExport::failures() {
    QFETCH(Export, exported);
    QFETCH(QByteArray, templ);
    QFETCH(QString, argument);
    QFETCH(QString, reportRange);
    QFETCH(bool, withoutSchemeDatabase);
    QFETCH(int, progressWindows);
    Rig rig(3, Columns::AsMade, templ);
    QVERIFY(rig.browser);
    if (templ.isEmpty()) QVERIFY(QFile::remove(rig.app.file(QStringLiteral("report.xltx"))));
    if (!reportRange.isEmpty()) rig.addReport(argument, reportRange, true);
    if (withoutSchemeDatabase) QVERIFY(QFile::remove(schemeDatabasePath(rig.app.path())));

    const ExportOutcome out = rig.run(exported, {0}, argument);
    QCOMPARE(out.message, kFailed);
    QVERIFY(!out.detail.isEmpty());
    QCOMPARE(out.savedPath, QString());
    QCOMPARE(rig.savedFiles(), QStringList());
    QCOMPARE(rig.prompts.starts, progressWindows);
    QCOMPARE(rig.prompts.ends, progressWindows);
    QCOMPARE(rig.prompts.messages(), QStringList());  // the window shows the message, not the export
}

void TestReportExport::operatorMessages_data() {
    QTest::addColumn<Export>("exported");
    QTest::addColumn<bool>("emptied");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QString>("message");
    const QString noResults = QStringLiteral("当前无测试记录，请先打开测试文件!!");
    const QString noSelection = QStringLiteral("无选择项，请先选择要打印的测试结果!!");
    QTest::newRow("all, no results") << Export::All << true << QList<int>{0} << noResults;
    QTest::newRow("selected, no results") << Export::Selected << true << QList<int>{0} << noResults;
    QTest::newRow("report, no results") << Export::Report << true << QList<int>{0} << noResults;
    QTest::newRow("points, no results") << Export::Points << true << QList<int>{0} << noResults;
    QTest::newRow("nothing selected") << Export::Selected << false << QList<int>{} << noSelection;
    QTest::newRow("only rows that are gone") << Export::Selected << false << QList<int>{3, -1} << noSelection;
}

void TestReportExport::operatorMessages() {
    QFETCH(Export, exported);
    QFETCH(bool, emptied);
    QFETCH(QList<int>, selected);
    QFETCH(QString, message);
    Rig rig;
    QVERIFY(rig.browser);
    if (emptied) QCOMPARE(rig.browser->DeleteAll(), QString());
    // Nothing is started: not even a template that is not there is noticed.
    QVERIFY(QFile::remove(rig.app.file(QStringLiteral("report.xltx"))));
    RecordingOpener opener;
    const ExportOutcome out = rig.run(exported, selected, QStringLiteral("1"), &opener);
    QCOMPARE(out.message, message);
    QCOMPARE(out.savedPath, QString());
    QCOMPARE(opener.opened, QStringList());
    QCOMPARE(rig.prompts.starts, 0);
    QVERIFY(!QFileInfo::exists(rig.app.file(QStringLiteral("report"))));
}

void TestReportExport::openerGetsTheSavedWorkbook() {
    Rig rig;
    RecordingOpener opener;
    const ExportOutcome shown = rig.run(Export::All, {}, {}, &opener);
    QCOMPARE(shown.message, QString());
    QCOMPARE(opener.opened, QStringList{shown.savedPath});
    QCOMPARE(QFileInfo(shown.savedPath).absolutePath(),
             QFileInfo(rig.app.file(QStringLiteral("report"))).absoluteFilePath());
    QVERIFY(QFileInfo(shown.savedPath).fileName().startsWith(QStringLiteral("R_全部_")));

    // No spreadsheet program: the operator hears so, the workbook stays for later.
    opener.failure = QStringLiteral("no application for .xlsx files");
    const ExportOutcome unshown = rig.run(Export::Selected, {0}, {}, &opener);
    QCOMPARE(unshown.message, kFailed);
    QCOMPARE(unshown.detail, opener.failure);
    QVERIFY(QFileInfo(unshown.savedPath).isFile());
    QCOMPARE(opener.opened.size(), qsizetype(2));
    QCOMPARE(rig.savedFiles().size(), qsizetype(2));
}

void TestReportExport::fileStems_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stem");
    QTest::newRow("name as it is") << "R-7_出厂报告"
                                   << "R-7_出厂报告";
    QTest::newRow("separators and dots") << "../a/b\\c.d"
                                         << "___a_b_c_d";
    QTest::newRow("blanks and shell characters") << "报表 1:*?\"<>|"
                                                 << "报表_1_______";
    QTest::newRow("beyond the basic plane") << "𠀀表😀"
                                            << "𠀀表_";
    QTest::newRow("long") << QString(100, QLatin1Char('x')) << QString(80, QLatin1Char('x'));
}

void TestReportExport::fileStems() {
    QFETCH(QString, text);
    QFETCH(QString, stem);
    QCOMPARE(reportFileStem(text), stem);
}

// Curves are read by test in point order; a batch from an older database template may lack the index for
// that, or have one of its own.
void TestReportExport::olderBatchGetsTheCurveIndex_data() {
    QTest::addColumn<QString>("ownIndex");  // made in place of the template's, when not empty
    QTest::addColumn<QString>("indexUsed");
    QTest::newRow("none") << ""
                          << "test_point_by_test";
    QTest::newRow("one of its own on the serial") << "create index by_serial on test_point (xuhao)"
                                                  << "by_serial";
}

void TestReportExport::olderBatchGetsTheCurveIndex() {
    QFETCH(QString, ownIndex);
    QFETCH(QString, indexUsed);
    TempAppDir app;
    const QString path = makeBatch(app);
    const QString indexes =
        QStringLiteral("select name from sqlite_master where type = 'index' and tbl_name = 'test_point'");
    {
        Database db(path);
        QVERIFY(db.exec(QStringLiteral("drop index test_point_by_test")));
        if (!ownIndex.isEmpty()) QVERIFY(db.exec(ownIndex));
    }
    QVERIFY(Ttest_result::open(path).result);
    Database db(path);
    const auto names = db.select(indexes);
    QVERIFY(names);
    QCOMPARE(names->size(), qsizetype(1));
    QCOMPARE(names->first().text("name"), indexUsed);
    const auto plan = db.select(
        QStringLiteral("explain query plan select * from test_point where xuhao = 2 order by number"));
    QVERIFY(plan && !plan->isEmpty());
    QVERIFY2(plan->first().text("detail").contains(indexUsed), qPrintable(plan->first().text("detail")));
}

void TestReportExport::batchOnReadOnlyMediaIsBrowsedAndExported() {
    Rig rig;
    rig.browser.reset();
    // The batch on a write-protected medium: a read-only file in a folder nobody may write.
    TempAppDir media;
    const QString batch = media.file(QStringLiteral("R.mdb"));
    QVERIFY(QFile::copy(rig.batch, batch));
    const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(batch, readable));
    QVERIFY(
        QFile::setPermissions(media.path(), readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    const auto writable = qScopeGuard(
        [&] { QFile::setPermissions(media.path(), readable | QFile::WriteOwner | QFile::ExeOwner); });
    if (QFile(media.file(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
        QSKIP("the permissions stop no writes for this user (root): no read-only medium to test on");

    Ttest_result::OpenOutcome opened = Ttest_result::open(batch);
    QVERIFY2(opened.result, qPrintable(opened.message));
    rig.browser = std::move(opened.result);
    QCOMPARE(rig.browser->results().size(), 3);
    QCOMPARE(rig.browser->ShowCurve(1), QString());
    for (const ExportOutcome& out :
         {rig.run(Export::All), rig.run(Export::Points, {}, QStringLiteral("2"))}) {
        QVERIFY2(out.message.isEmpty(), qPrintable(out.message + QLatin1Char(' ') + out.detail));
        QVERIFY(QFile::exists(out.savedPath));
    }
    rig.browser.reset();
    QCOMPARE(QDir(media.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("R.mdb")});
}

QTEST_GUILESS_MAIN(TestReportExport)
#include "tst_report_export.moc"
