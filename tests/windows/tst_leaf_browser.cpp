// The leaf-spring result browser "数据处理" as the operator drives it: opening leaf-spring batches, the
// grids, replaying and traversing a curve, deleting results, the curve-sample export and the test record
// with its messages.

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "platform/Prompts.h"
#include "results/LeafReportSettings.h"
#include "results/ReportFiles.h"
#include "results/Ttest_result_gbth.h"
#include "session/ApplicationFolder.h"
#include "storage/Database.h"
#include "support/LeafBatch.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"
#include "windows/browser/ResultChartView.h"
#include "windows/browser/TF_dp_gbth.h"
#include "windows/common/FindByName.h"

using namespace springtest;
using namespace springtest::testing;

namespace {

// A curve of the measuring cycle: load rising by 0.5 kN per sample while the deformation grows by 5 mm.
QList<QVariantMap> leafCurve(int samples) {
    QList<QVariantMap> curve;
    for (int i = 1; i <= samples; ++i)
        curve << QVariantMap{{"number", i},
                             {"load", QString::number(0.5 * i)},
                             {"weiyi", QString::number(200 - 5 * i)},
                             {"bianxing", QString::number(5 * i)},
                             {"jinhuicheng", "1"}};
    return curve;
}

// The three-point test with a stiffness that tells the tests apart.
QVariantMap leafResult(int serial) {
    QVariantMap result = threePointLeafResult();
    result.insert("gangdu1", QString::number(90 + serial));
    return result;
}

struct LeafBrowserRig {
    TempAppDir dir;
    ScriptedPrompts prompts;
    NoSpreadsheetOpener opener;
    std::unique_ptr<TF_dp_gbth> window;

    LeafBrowserRig() {
        initialiseApplicationFolder(dir.path(), 3);
        setPrompts(&prompts);
        window = std::make_unique<TF_dp_gbth>(dir.path(), "kN", opener);
        window->show();
    }
    ~LeafBrowserRig() {
        window.reset();
        setPrompts(nullptr);
    }

    QString makeBatch(const QString& number, const QList<int>& serials) {
        LeafSpringScheme s;
        s.scheme_name = "L" + number;
        s.scheme_sum = "3";
        s.points[0].value = "1";
        s.points[1].value = "2";
        s.points[2].value = "3";
        const QString path = makeLeafBatch(dir.path(), s, number);
        QList<LeafStoredTest> tests;
        for (int x : serials) tests << LeafStoredTest{x, leafResult(x), leafCurve(8)};
        return !path.isEmpty() && storeLeafTests(path, tests) ? path : QString();
    }
    bool open(const QString& path) {
        prompts.files = {path};
        trigger("N1");
        return window->result() != nullptr;
    }
    void trigger(const char* name) {
        QAction* a = findByName<QAction>(window.get(), QString::fromLatin1(name));
        QVERIFY2(a, name);
        a->trigger();
    }
    QTableWidget* grid(const char* name) {
        return findByName<QTableWidget>(window.get(), QString::fromLatin1(name));
    }
    void setCurrentRow(int row) { grid("bsSkinDBGrid1")->setCurrentCell(row, 0); }
    void moveMouseTo(double x, double y) {
        ResultChartView* chart = window->chartView();
        chart->replot();
        const QPointF at(chart->xAxis->coordToPixel(x), chart->yAxis->coordToPixel(y));
        QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &move);
    }
    QStringList reports() const { return QDir(dir.file("report")).entryList({"*.xlsx"}, QDir::Files); }
    QStringList serials() {
        QStringList shown;
        for (int r = 0; r < grid("bsSkinDBGrid1")->rowCount(); ++r)
            shown << grid("bsSkinDBGrid1")->item(r, 0)->text();
        return shown;
    }
};

}  // namespace

class TestLeafBrowser : public QObject {
    Q_OBJECT
private slots:
    void opensALeafBatchWithItsGrids();
    void openRefusals_data();
    void openRefusals();
    void replayAndTraversal();
    void deletingKeepsTheOtherNumbers();
    void recordMessages_data();
    void recordMessages();
    void recordOfTheCurrentTest();
    void sampleExportHasTitles();
    void screenshot();
};

void TestLeafBrowser::opensALeafBatchWithItsGrids() {
    LeafBrowserRig rig;
    QCOMPARE(rig.window->windowTitle(), QString("数据处理"));
    const QString batch = rig.makeBatch("G1", {1, 2});
    QVERIFY(rig.open(batch));
    QVERIFY(rig.prompts.lastFolder.endsWith("databaseGBTH"));
    QCOMPARE(rig.prompts.messages(), QStringList{});

    QTableWidget* results = rig.grid("bsSkinDBGrid1");
    QCOMPARE(results->columnCount(), 57);
    QCOMPARE(results->rowCount(), 2);
    const QList<std::pair<int, QString>> titles{
        {0, "序号"},      {2, "进程测试值1"}, {12, "回程测试值1"},
        {42, "刚度"},     {43, "刚度2"},      {52, "自由弧高"},
        {53, "压后弧高"}, {54, "设定孤高"},   {56, "      测试日期      "}};
    for (const auto& [column, title] : titles) QCOMPARE(results->horizontalHeaderItem(column)->text(), title);
    for (int column : {1, 22, 31, 32, 41}) QVERIFY(results->isColumnHidden(column));
    for (int column : {0, 2, 21, 42, 56}) QVERIFY(!results->isColumnHidden(column));
    QCOMPARE(results->item(1, 42)->text(), QString("92"));
    QCOMPARE(results->item(0, 52)->text(), QString("100.40"));

    QTableWidget* scheme = rig.grid("bsSkinDBGrid2");
    QCOMPARE(scheme->columnCount(), 42);
    QVERIFY(scheme->isColumnHidden(2));
    QCOMPARE(scheme->horizontalHeaderItem(36)->text(), QString("设定负荷"));
    QCOMPARE(scheme->horizontalHeaderItem(41)->text(), QString("验证负荷"));
    QCOMPARE(scheme->item(0, 0)->text(), QString("LG1"));
    QCOMPARE(rig.window->chart().leftTitle, QString("负荷(kN)"));
}

void TestLeafBrowser::openRefusals_data() {
    QTest::addColumn<bool>("withTests");
    QTest::addColumn<QString>("file");  // empty: the batch made
    QTest::addColumn<QString>("message");
    QTest::newRow("no tests") << false << ""
                              << "该方案无测试记录!!";
    QTest::newRow("no such file") << true << "nothing.mdb"
                                  << "文件不存在!!";
}

void TestLeafBrowser::openRefusals() {
    QFETCH(bool, withTests);
    QFETCH(QString, file);
    QFETCH(QString, message);
    LeafBrowserRig rig;
    const QString batch = rig.makeBatch("G1", withTests ? QList<int>{1} : QList<int>{});
    QVERIFY(!rig.open(file.isEmpty() ? batch : rig.dir.file(file)));
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QCOMPARE(rig.grid("bsSkinDBGrid1")->rowCount(), 0);
}

void TestLeafBrowser::replayAndTraversal() {
    LeafBrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("G1", {1})));
    auto* traversal = findByName<QToolButton>(rig.window.get(), "bsSkinSpeedButton5");
    const ResultChart& chart = rig.window->chart();

    // Traversal before any replay shows both point series, and nothing follows the mouse.
    traversal->click();
    QVERIFY(chart.series[ResultChart::Traversal].visible);
    QVERIFY(chart.series[ResultChart::Picked].visible);
    QVERIFY(!rig.window->result()->traversing());
    rig.moveMouseTo(1, 1);
    QVERIFY(chart.series[ResultChart::Traversal].points.isEmpty());
    traversal->click();
    QVERIFY(!chart.series[ResultChart::Traversal].visible);
    QVERIFY(!chart.series[ResultChart::Picked].visible);
    QCOMPARE(traversal->toolTip(), QString("曲线编历"));

    rig.setCurrentRow(0);
    rig.window->replayCurrent();
    QCOMPARE(chart.series[ResultChart::Curve].points.size(), 8);
    QCOMPARE(chart.series[ResultChart::Curve].points.last(), QPointF(40, 4));
    QCOMPARE(chart.bottom.min, 0.0);
    QCOMPARE(chart.bottom.max, 44.0);
    QVERIFY(qAbs(chart.left.max - 4.4) < 1e-6);

    traversal->click();
    QVERIFY(rig.window->result()->traversing());
    QCOMPARE(rig.window->chartView()->popupMenu()->objectName(), QString("bsSkinPopupMenu2"));
    // Above the curve at a deformation of 14: the first sample at 15 mm, 1.5 kN, a secant of 100 N/mm.
    rig.moveMouseTo(14, 3.9);
    QCOMPARE(chart.series[ResultChart::Traversal].labels, QStringList{" X: 15 ;Y: 1.5   ;S:  100"});
    rig.trigger("N8");
    QCOMPARE(chart.series[ResultChart::Picked].labels, QStringList{" X: 15 ;Y: 1.5   ;S:  100"});
    rig.trigger("N13");
    QVERIFY(chart.series[ResultChart::Picked].points.isEmpty());
}

void TestLeafBrowser::deletingKeepsTheOtherNumbers() {
    LeafBrowserRig rig;
    const QString batch = rig.makeBatch("G1", {1, 2, 3});
    QVERIFY(rig.open(batch));
    rig.setCurrentRow(1);
    rig.trigger("N6");
    QCOMPARE(rig.serials(), (QStringList{"1", "3"}));
    Database db(batch);
    // The deleted test's curve went with it; the others keep theirs under their own numbers.
    QCOMPARE(db.select("select * from test_point where xuhao = 2")->size(), 0);
    QCOMPARE(db.select("select * from test_point where xuhao = 3")->size(), 8);

    rig.prompts.answers = {true};
    rig.trigger("N7");
    QCOMPARE(rig.prompts.messages(), (QStringList{"确定要全部删除？", "记录删除成功!"}));
    QVERIFY(!rig.window->result());
    QCOMPARE(db.select("select * from test_point")->size(), 0);
}

void TestLeafBrowser::recordMessages_data() {
    QTest::addColumn<bool>("withTemplate");
    QTest::addColumn<bool>("emptied");  // every result deleted one by one, the batch still open
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no results left") << true << true << QStringList{"当前无测试记录，请先打开测试文件!!"};
    QTest::newRow("template missing") << false << false << QStringList{"确定Excel安装正确!!"};
    QTest::newRow("recorded") << true << false << QStringList{};
}

void TestLeafBrowser::recordMessages() {
    QFETCH(bool, withTemplate);
    QFETCH(bool, emptied);
    QFETCH(QStringList, messages);
    LeafBrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("G1", {1})));
    if (!withTemplate) QVERIFY(QFile::remove(rig.dir.file("性能试验记录.xltx")));
    if (emptied) rig.trigger("N6");
    rig.prompts.shown.clear();
    rig.trigger("N14");
    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(rig.reports().size(), messages.isEmpty() ? 1 : 0);
}

void TestLeafBrowser::recordOfTheCurrentTest() {
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is needed to read the record back");
    LeafBrowserRig rig;
    const QString batch = rig.makeBatch("G1", {1, 2});
    Database(batch).exec("update gbth_result set ziyou_height = '120.5' where xuhao = 2");
    QVERIFY(rig.open(batch));
    rig.setCurrentRow(1);
    rig.window->replayCurrent();
    rig.trigger("N10");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCOMPARE(rig.reports().size(), 1);
    const QJsonObject book = readWorkbook(SPRINGTEST_WORKBOOK_READER,
                                          QDir(rig.dir.file("report")).filePath(rig.reports().first()));
    const QJsonObject sheet = book["cells"].toObject()["性能试验记录"].toObject();
    QCOMPARE(sheet["F41"].toObject()["v"].toString(), QString("120.5"));
    QCOMPARE(book["images"].toObject()["性能试验记录"].toArray().size(), 1);
}

void TestLeafBrowser::sampleExportHasTitles() {
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is needed to read the export back");
    LeafBrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("G1", {1})));
    rig.trigger("N15");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCOMPARE(rig.reports().size(), 1);
    const QJsonObject book = readWorkbook(SPRINGTEST_WORKBOOK_READER,
                                          QDir(rig.dir.file("report")).filePath(rig.reports().first()));
    const QJsonObject sheet = book["cells"].toObject()["采集数据"].toObject();
    const auto v = [&](const char* address) { return sheet[address].toObject()["v"].toString(); };
    QCOMPARE(v("A1"), QString("序号"));
    QCOMPARE(v("B1"), QString("负荷"));
    QCOMPARE(v("C1"), QString("变形"));
    QCOMPARE(v("A9"), QString("8"));
    QCOMPARE(v("B9"), QString("4"));
    QCOMPARE(v("C9"), QString("40"));
    QVERIFY(!sheet.contains("D2"));
}

// The README's picture of the browser, taken when SPRINGTEST_SCREENSHOTS names a folder.
void TestLeafBrowser::screenshot() {
    const QString folder = qEnvironmentVariable("SPRINGTEST_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SPRINGTEST_SCREENSHOTS names no folder");
    LeafBrowserRig rig;
    const QString batch = rig.makeBatch("G1", {1, 2, 3});
    // A measuring cycle as a leaf spring gives it: stiffening as the leaves close, unloading below the
    // loading line by the friction between them, back to a small set.
    Database db(batch);
    QVERIFY(db.exec("delete from test_point where xuhao = 2"));
    int number = 0;
    const auto sample = [&](double deformation_mm, double load_kN, const char* stroke) {
        return db.insertRow("test_point", {{"xuhao", 2},
                                           {"number", ++number},
                                           {"load", QString::number(load_kN, 'f', 3)},
                                           {"weiyi", QString::number(200 - deformation_mm, 'f', 2)},
                                           {"bianxing", QString::number(deformation_mm, 'f', 2)},
                                           {"jinhuicheng", stroke}});
    };
    const auto loading = [](double d) { return 0.05 * d + 0.0012 * d * d; };
    for (double d = 0; d <= 40; d += 1) QVERIFY(sample(d, loading(d), "1"));
    for (double d = 40; d >= 1.5; d -= 1) QVERIFY(sample(d, std::max(0.0, loading(d) * 0.88 - 0.05), "2"));
    QVERIFY(rig.open(batch));
    rig.setCurrentRow(1);
    rig.window->replayCurrent();
    findByName<QToolButton>(rig.window.get(), "bsSkinSpeedButton5")->click();
    rig.moveMouseTo(20, 3.9);
    rig.trigger("N8");
    rig.moveMouseTo(32, 3.9);
    QCoreApplication::processEvents();
    rig.window->chartView()->replot();
    QVERIFY(rig.window->grab().save(QDir(folder).filePath("leaf-result-browser.png")));

    // Its record, as a workbook to be pictured in a spreadsheet program.
    LeafReportSettings settings;
    const QStringList texts{"前簧总成", "S-07", "2912010-K", "24-031", "2",  "25", "120", "QC/T 29035",
                            "100",      "5",    "50",        "3",      "75", "10", "0.5", "1"};
    for (int k = 0; k < kReportFieldCount; ++k) settings.texts[static_cast<size_t>(k)] = texts[k];
    QVERIFY(writeLeafReportSettings(rig.dir.path(), settings));
    rig.trigger("N10");
    QCOMPARE(rig.reports().size(), 1);
    const QString record = QDir(folder).filePath("leaf-test-record.xlsx");
    QFile::remove(record);
    QVERIFY(QFile::copy(QDir(rig.dir.file("report")).filePath(rig.reports().first()), record));
}

QTEST_MAIN(TestLeafBrowser)
#include "tst_leaf_browser.moc"
