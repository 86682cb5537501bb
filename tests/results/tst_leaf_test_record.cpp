#include "platform/ProfileFile.h"
#include "results/LeafReportSettings.h"
#include "results/LeafTestRecord.h"
#include "results/ReportFiles.h"
#include "storage/Database.h"
#include "support/LeafBatch.h"
#include "support/PngPicture.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

const QString kRecordSheet = QStringLiteral("性能试验记录");

LeafSpringScheme leafScheme(const QStringList& loads) {
    LeafSpringScheme s;
    s.scheme_name = "L";
    s.scheme_sum = QString::number(loads.size());
    for (int k = 0; k < loads.size(); ++k) s.points[static_cast<size_t>(k)].value = loads[k];
    s.scheme_th_height = "40";
    s.scheme_xc_height = "100";
    return s;
}

// Settings with a band for every judged quantity.
LeafReportSettings bands(int stiffnessMethod = 0) {
    LeafReportSettings s;
    s[ReportField::SampleName] = "前簧总成";
    s[ReportField::SampleNumber] = "S-07";
    s[ReportField::DrawingNumber] = "2912010-K";
    s[ReportField::BatchNumber] = "24-031";
    s[ReportField::SampleSerial] = "3";
    s[ReportField::ProofLoad_kN] = "25";
    s[ReportField::UBoltSpan_mm] = "120";
    s[ReportField::InspectionStandard] = "QC/T 29035";
    s[ReportField::FreeArcNominal] = "100";
    s[ReportField::FreeArcTolerance] = "5";
    s[ReportField::StaticArcNominal] = "50";
    s[ReportField::StaticArcTolerance] = "2";
    s[ReportField::StiffnessNominal] = "200";
    s[ReportField::StiffnessTolerance] = "10";
    s[ReportField::SetNominal] = "0.5";
    s[ReportField::SetTolerance] = "1";
    s.stiffnessMethod = stiffnessMethod;
    return s;
}

// A batch holding the scheme and one test with `result`, read back as the record reads them.
struct RecordRows {
    TempAppDir app;
    DbRow scheme;
    DbRow result;
    QString batch;
    RecordRows(const QStringList& loads, const QVariantMap& values) {
        batch = makeLeafBatch(app.path(), leafScheme(loads));
        if (batch.isEmpty() || !storeLeafTests(batch, {{1, values, {}}})) qFatal("no batch");
        Database db(batch);
        scheme = db.select("select * from GBTH_information")->first();
        result = db.select("select * from gbth_result")->first();
    }
};

QString cellAt(const LeafTestRecord& record, int row, int column) {
    QString text;
    bool found = false;
    for (const RecordCell& c : record.cells) {
        if (c.row == row && c.column == column) {
            text = c.text;
            found = true;
        }
    }
    return found ? text : QStringLiteral("<untouched>");
}

}  // namespace

class TestLeafTestRecord : public QObject {
    Q_OBJECT
private slots:
    void verdict_data();
    void verdict();
    void judgements_data();
    void judgements();
    void descriptionAndPoints();
    void tenPointsKeepTheJudgementLine();
    void zeroDeflectionStopsTheRecord();
    void settingsMissingReadEmpty();
    void settingsKeptVerbatim();
    void exportReadBackIndependently();
    void exportRefusals_data();
    void exportRefusals();
};

void TestLeafTestRecord::verdict_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("nominal");
    QTest::addColumn<float>("tolerance");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("inside") << 101.f << 100.f << 5.f << "合格";
    QTest::newRow("on the upper bound") << 105.f << 100.f << 5.f << "不合格";
    QTest::newRow("on the lower bound") << 95.f << 100.f << 5.f << "不合格";
    QTest::newRow("below") << 94.9f << 100.f << 5.f << "不合格";
    QTest::newRow("no tolerance") << 100.f << 100.f << 0.f << "不合格";
    // 0.1 + 0.2 is not 0.3 in double, but the record judges in single precision.
    QTest::newRow("bound in single precision") << 0.3f << 0.1f << 0.2f << "不合格";
}

void TestLeafTestRecord::verdict() {
    QFETCH(float, value);
    QFETCH(float, nominal);
    QFETCH(float, tolerance);
    QFETCH(QString, verdict);
    QCOMPARE(leafVerdict(value, nominal, tolerance), verdict);
}

void TestLeafTestRecord::judgements_data() {
    QTest::addColumn<QStringList>("loads");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<int>("method");
    // value and verdict of: free arc height, static-load arc height, stiffness, permanent set
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("stiffnessBand");  // cell (43, 4)

    const QStringList three{"1", "2", "3"};
    // Single point 2: 2 kN × 1000 / 21 mm = 95.24 N/mm, outside 200 ± 10.
    QTest::newRow("three points, single-point stiffness")
        << three << threePointLeafResult() << 0
        << QStringList{"100.40", "合格", "50.00", "合格", "95.24", "不合格", "0.30", "合格"} << "200±10";
    // Points 1 and 3: (3 − 1) kN × 1000 / (31 − 11) mm = 100 N/mm.
    QTest::newRow("three points, two-point stiffness")
        << three << threePointLeafResult() << 1
        << QStringList{"100.40", "合格", "50.00", "合格", "100.00", "不合格", "0.30", "合格"} << "200±10";
    QTest::newRow("three points, no stiffness")
        << three << threePointLeafResult() << 2
        << QStringList{"100.40", "合格", "50.00", "合格", "/", "/", "0.30", "合格"} << "/";
    QTest::newRow("unknown stiffness method leaves its row")
        << three << threePointLeafResult() << 7
        << QStringList{"100.40", "合格", "50.00", "合格", "", "", "0.30", "合格"} << "<untouched>";

    // Five points: static load and single-point stiffness at point 3, two-point between 1 and 5.
    QVariantMap five{{"result1-1", "1"},          {"result2-1", "1"},          {"result1-3", "9.5"},
                     {"result2-3", "10.5"},       {"result1-5", "21"},         {"result2-5", "21"},
                     {"jingzai_height1-3", "52"}, {"jingzai_height2-3", "52"}, {"ziyou_height", "96"},
                     {"yahou_height", "97.5"}};
    QTest::newRow("five points, single-point stiffness")
        << QStringList{"0.5", "1", "2", "3", "4"} << five << 0
        << QStringList{"96", "合格", "52.00", "不合格", "200.00", "合格", "-1.50", "不合格"} << "200±10";
    QTest::newRow("five points, two-point stiffness")
        << QStringList{"0.5", "1", "2", "3", "4.5"} << five << 1
        << QStringList{"96", "合格", "52.00", "不合格", "200.00", "合格", "-1.50", "不合格"} << "200±10";

    // Four points have no static-load point: nothing there is judged as 0, and row 43 stays as it is.
    QTest::newRow("four points") << QStringList{"1", "2", "3", "4"} << threePointLeafResult() << 0
                                 << QStringList{"100.40", "合格", "/", "/", "", "", "0.30", "合格"}
                                 << "<untouched>";
    // A test in displacements or loads stores no static-load arc heights; a test without a pressing no arc
    // height after it; a return stroke not measured leaves the stroke mean unknown.
    QVariantMap unmeasured = threePointLeafResult();
    unmeasured.remove("jingzai_height2-2");
    unmeasured.remove("yahou_height");
    unmeasured.remove("result2-2");
    QTest::newRow("values not measured")
        << three << unmeasured << 0 << QStringList{"100.40", "合格", "/", "/", "/", "/", "/", "/"}
        << "200±10";
    QVariantMap noFreeArc = threePointLeafResult();
    noFreeArc.remove("ziyou_height");
    QTest::newRow("no free arc height")
        << three << noFreeArc << 2 << QStringList{"/", "/", "50.00", "合格", "/", "/", "/", "/"} << "/";
}

void TestLeafTestRecord::judgements() {
    QFETCH(QStringList, loads);
    QFETCH(QVariantMap, values);
    QFETCH(int, method);
    QFETCH(QStringList, expected);
    QFETCH(QString, stiffnessBand);
    RecordRows rows(loads, values);
    QString error;
    const auto record = makeLeafTestRecord(bands(method), rows.scheme, rows.result, &error);
    QVERIFY2(record, qPrintable(error));
    const RecordJudgement* judged[] = {&record->freeArcHeight, &record->staticArcHeight, &record->stiffness,
                                       &record->permanentSet};
    for (int q = 0; q < 4; ++q) {
        QCOMPARE(judged[q]->value, expected[2 * q]);
        QCOMPARE(judged[q]->verdict, expected[2 * q + 1]);
        // What is judged is what the sheet shows; row 43 only where a stiffness was asked for.
        const int row = 41 + q;
        if (row == 43 && expected[4].isEmpty()) {
            QCOMPARE(cellAt(*record, 43, 6), QString("<untouched>"));
            QCOMPARE(cellAt(*record, 43, 9), QString("<untouched>"));
            continue;
        }
        QCOMPARE(cellAt(*record, row, 9), expected[2 * q + 1]);
    }
    QCOMPARE(cellAt(*record, 43, 4), stiffnessBand);
    if (loads.size() == 4) QCOMPARE(cellAt(*record, 42, 6), QString("/"));
}

void TestLeafTestRecord::descriptionAndPoints() {
    RecordRows rows({"1", "2", "3"}, threePointLeafResult());
    const auto record = makeLeafTestRecord(bands(), rows.scheme, rows.result);
    QVERIFY(record);
    const QList<std::tuple<int, int, QString>> cells{
        {2, 3, "前簧总成"}, {2, 8, "S-07"},       {3, 3, "2912010-K"},
        {3, 8, "25"},       {4, 3, "24-031"},     {4, 8, "120"},
        {5, 3, "3"},        {5, 8, "QC/T 29035"}, {32, 2, "1"},
        {33, 2, "2"},       {33, 4, "20"},        {33, 5, "22"},
        {33, 8, "49"},      {33, 9, "51"},        {32, 8, ""},
        {41, 4, "100±5"},   {42, 4, "50±2"},      {44, 4, "0.5±1"},
        {41, 6, "100.40"},  {42, 6, "50.00"},     {48, 9, "2024-05-06 10:11:12.000"}};
    for (const auto& [row, column, text] : cells) QCOMPARE(cellAt(*record, row, column), text);
    QCOMPARE(cellAt(*record, 35, 2), QString("<untouched>"));  // no fourth point
}

void TestLeafTestRecord::tenPointsKeepTheJudgementLine() {
    QStringList loads;
    QVariantMap values = threePointLeafResult();
    for (int k = 1; k <= 10; ++k) loads << QString::number(k);
    values.insert("result1-10", "95");
    values.insert("jingzai_height2-10", "61");
    RecordRows rows(loads, values);
    const auto record = makeLeafTestRecord(bands(), rows.scheme, rows.result);
    QVERIFY(record);
    QCOMPARE(cellAt(*record, 41, 2), QString("10"));
    QCOMPARE(cellAt(*record, 41, 4), QString("100±5"));
    QCOMPARE(cellAt(*record, 41, 6), QString("100.40"));
    QCOMPARE(cellAt(*record, 41, 9), QString("合格"));
}

void TestLeafTestRecord::zeroDeflectionStopsTheRecord() {
    QVariantMap values = threePointLeafResult();
    values["result1-2"] = "0";
    values["result2-2"] = "0";
    RecordRows rows({"1", "2", "3"}, values);
    QString error;
    QVERIFY(!makeLeafTestRecord(bands(0), rows.scheme, rows.result, &error));
    QVERIFY(!error.isEmpty());
    // The same test is recorded when no stiffness is asked for.
    QVERIFY(makeLeafTestRecord(bands(2), rows.scheme, rows.result));
}

void TestLeafTestRecord::settingsMissingReadEmpty() {
    TempAppDir app;
    QCOMPARE(readLeafReportSettings(app.path()), LeafReportSettings{});
    app.write("Report.ini", "[其他]\n样品名称=X\n");
    QCOMPARE(readLeafReportSettings(app.path()), LeafReportSettings{});
}

void TestLeafTestRecord::settingsKeptVerbatim() {
    TempAppDir app;
    app.write("Report.ini", "[备注]\n保留=1\n");
    LeafReportSettings s = bands(1);
    s[ReportField::FreeArcTolerance] = "5mm";
    QVERIFY(writeLeafReportSettings(app.path(), s));
    QCOMPARE(readLeafReportSettings(app.path()), s);
    const ProfileFile ini(reportSettingsPath(app.path()));
    QCOMPARE(ini.readString("报表设置", "自由孤高误差值", ""), QString("5mm"));
    QCOMPARE(ini.readInt("报表设置", "刚度计算方式", -1), 1);
    QCOMPARE(ini.readString("备注", "保留", ""), QString("1"));
    // A tolerance that is no number judges as 0: nothing is inside a band of width 0.
    RecordRows rows({"1", "2", "3"}, threePointLeafResult());
    QCOMPARE(makeLeafTestRecord(s, rows.scheme, rows.result)->freeArcHeight.verdict, QString("不合格"));
}

void TestLeafTestRecord::exportReadBackIndependently() {
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is needed to read the record back");
    RecordRows rows({"1", "2", "3"}, threePointLeafResult());
    QVERIFY(QFile::copy(SPRINGTEST_RECORD_TEMPLATE, rows.app.file(kRecordTemplate)));
    QVERIFY(writeLeafReportSettings(rows.app.path(), bands(0)));
    NoSpreadsheetOpener opener;
    const ExportOutcome outcome = exportLeafTestRecord({rows.app.path(), kRecordTemplate, &opener},
                                                       rows.batch, 1, pngPicture(300, 200));
    QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.detail));
    QVERIFY(outcome.savedPath.contains("/report/"));

    const QJsonObject book = readWorkbook(SPRINGTEST_WORKBOOK_READER, outcome.savedPath);
    QVERIFY(!book.isEmpty());
    QCOMPARE(book["template"].toBool(), false);
    const QJsonObject cells = book["cells"].toObject()[kRecordSheet].toObject();
    const auto text = [&](const char* address) { return cells[address].toObject()["v"].toString(); };
    const auto type = [&](const char* address) { return cells[address].toObject()["t"].toString(); };
    QCOMPARE(text("C2"), QString("前簧总成"));
    QCOMPARE(text("H5"), QString("QC/T 29035"));
    QCOMPARE(text("D33"), QString("20"));
    QCOMPARE(type("D33"), QString("s"));  // written as text
    QCOMPARE(text("F41"), QString("100.40"));
    QCOMPARE(text("I41"), QString("合格"));
    QCOMPARE(text("F42"), QString("50.00"));
    QCOMPARE(text("F43"), QString("95.24"));
    QCOMPARE(text("I43"), QString("不合格"));
    QCOMPARE(text("F44"), QString("0.30"));
    QCOMPARE(text("I48"), QString("2024-05-06 10:11:12.000"));
    QCOMPARE(text("A31"), QString("测试点"));  // the template's own labels stay
    const QJsonArray images = book["images"].toObject()[kRecordSheet].toArray();
    QCOMPARE(images.size(), 1);
    QCOMPARE(images[0].toObject()["col"].toInt(), 0);
    QCOMPARE(images[0].toObject()["row"].toInt(), 8);
}

void TestLeafTestRecord::exportRefusals_data() {
    QTest::addColumn<bool>("withTemplate");
    QTest::addColumn<bool>("withResults");
    QTest::addColumn<int>("serial");
    QTest::addColumn<QString>("message");
    QTest::newRow("no results") << true << false << 1 << "当前无测试记录，请先打开测试文件!!";
    QTest::newRow("template missing") << false << true << 1 << "确定Excel安装正确!!";
    QTest::newRow("test not in the batch") << true << true << 9 << "确定Excel安装正确!!";
}

void TestLeafTestRecord::exportRefusals() {
    QFETCH(bool, withTemplate);
    QFETCH(bool, withResults);
    QFETCH(int, serial);
    QFETCH(QString, message);
    TempAppDir app;
    const QString batch = makeLeafBatch(app.path(), leafScheme({"1", "2", "3"}));
    QVERIFY(!batch.isEmpty());
    if (withResults) QVERIFY(storeLeafTests(batch, {{1, threePointLeafResult(), {}}}));
    if (withTemplate) QVERIFY(QFile::copy(SPRINGTEST_RECORD_TEMPLATE, app.file(kRecordTemplate)));
    const ExportOutcome outcome =
        exportLeafTestRecord({app.path(), kRecordTemplate, nullptr}, batch, serial, {});
    QCOMPARE(outcome.message, message);
    QVERIFY(outcome.savedPath.isEmpty());
    QVERIFY(!QFileInfo::exists(app.file("report")) || QDir(app.file("report")).isEmpty());
}

QTEST_MAIN(TestLeafTestRecord)
#include "tst_leaf_test_record.moc"
