// The result browser "数据处理" as the operator drives it: opening batches, the grids, replaying and
// traversing a curve, the axis buttons, deleting results and batch files, saving the picture and the
// exports started from its menus. The cores underneath have their own tests; these cover the window's paths.

#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPrinterInfo>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "platform/Prompts.h"
#include "results/ReportExport.h"
#include "results/ReportFiles.h"
#include "results/ReportNames.h"
#include "results/Ttest_result.h"
#include "session/ApplicationFolder.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"
#include "support/BatchMaker.h"
#include "support/PdfText.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"
#include "windows/browser/BatchStatisticsWindow.h"
#include "windows/browser/ResultChartView.h"
#include "windows/browser/TF_dp.h"
#include "windows/common/FindByName.h"

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

// An application folder as `springtest init` lays it out, one browser over it, and the operator's answers.
struct BrowserRig {
    TempAppDir dir;
    ScriptedPrompts prompts;
    NoSpreadsheetOpener opener;
    std::unique_ptr<TF_dp> window;

    BrowserRig() {
        initialiseApplicationFolder(dir.path(), 0);
        setPrompts(&prompts);
        window = std::make_unique<TF_dp>(dir.path(), "N", "mm", opener);
        window->show();
    }
    ~BrowserRig() {
        window.reset();
        setPrompts(nullptr);
    }

    // A batch of scheme style `style` with the tests `serials`; each test's curve has five samples whose
    // load tells the serial (serial × 100 + i) and whose displacement falls 49 … 45 (serialCurve), so the
    // curve runs against the order of its X values.
    QString makeBatch(const QString& batch, const QString& style, const QList<int>& serials) {
        StandardScheme s;
        s.scheme_name = "S" + batch;
        s.scheme_style = style;
        s.scheme_sum = "2";
        s.points[0] = {"47", "0", "0"};
        s.points[1] = {"45", "0", "0"};
        const QString path = testing::makeBatch(dir.path(), s, batch);
        QList<testing::StoredTest> tests;
        for (int x : serials)
            tests << testing::StoredTest{x,
                                         {{"result1", QString::number(x * 100 + 3)},
                                          {"result2", "150.5"},
                                          {"date", "2024-05-06 10:11:12"}},
                                         testing::serialCurve(x, 5)};
        return !path.isEmpty() && testing::storeTests(path, tests) ? path : QString();
    }

    bool open(const QString& path) {
        prompts.files = {path};
        trigger("N1");
        return window->result() != nullptr;
    }

    QAction* action(const char* name) { return findByName<QAction>(window.get(), QString::fromLatin1(name)); }
    void trigger(const char* name) {
        QAction* a = action(name);
        QVERIFY2(a, name);
        a->trigger();
    }
    QToolButton* button(const char* name) {
        return findByName<QToolButton>(window.get(), QString::fromLatin1(name));
    }
    QTableWidget* grid(const char* name) {
        return findByName<QTableWidget>(window.get(), QString::fromLatin1(name));
    }
    ResultChartView* chart() { return window->chartView(); }

    void doubleClickRow(int row) {
        QTableWidget* results = grid("bsSkinDBGrid1");
        const QTableWidgetItem* cell = results->item(row, 0);
        const QPoint at = cell ? results->visualItemRect(cell).center() : QPoint(5, 5);
        QTest::mouseClick(results->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(results->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    void moveMouseTo(double x, double y) {
        chart()->replot();
        const QPointF at(chart()->xAxis->coordToPixel(x), chart()->yAxis->coordToPixel(y));
        QMouseEvent move(QEvent::MouseMove, at, chart()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(chart(), &move);
    }
    QStringList reports() const { return QDir(dir.file("report")).entryList({"*.xlsx"}, QDir::Files); }
    // The first column of the data sheet's row `row` in the only workbook exported so far.
    QString exportedSerial(int row) const {
        const QStringList written = reports();
        if (written.size() != 1) return QStringLiteral("%1 workbooks").arg(written.size());
        const QJsonObject book = testing::readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER),
                                                       QDir(dir.file("report")).filePath(written.first()));
        return book["cells"]["数据"]["A" + QString::number(row)]["v"].toString();
    }
    void clickRow(int row) {
        QTableWidget* results = grid("bsSkinDBGrid1");
        QTest::mouseClick(results->viewport(), Qt::LeftButton, Qt::NoModifier,
                          results->visualItemRect(results->item(row, 0)).center());
    }
    // Drags a rectangle over the middle of the plot: to the right it zooms, to the left it undoes.
    void dragOverThePlot(bool toTheRight) {
        chart()->replot();
        const QRect plot = chart()->axisRect()->rect();
        const QPoint left = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4);
        const QPoint right = plot.topLeft() + QPoint(3 * plot.width() / 4, 3 * plot.height() / 4);
        const QPoint from = toTheRight ? left : right;
        const QPoint to = toTheRight ? right : left;
        QTest::mousePress(chart(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(chart(), (from + to) / 2);
        QTest::mouseMove(chart(), to);
        QTest::mouseRelease(chart(), Qt::LeftButton, Qt::NoModifier, to);
    }
};

#define REQUIRE_READER() \
    if (testing::pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is not installed")

}  // namespace

class TestResultBrowser : public QObject {
    Q_OBJECT
private slots:
    void openingRefusedLeavesEveryBatchActionSilent_data();
    void openingRefusedLeavesEveryBatchActionSilent();
    void openedBatchFillsTheGrids();
    void doubleClickReplaysTheCurve();
    void axisButtonsMoveByTheStoredSteps_data();
    void axisButtonsMoveByTheStoredSteps();
    void traversalTogglesTheHintAndTheChartMenu();
    void deleteOneRowRefreshesTheGrid();
    void deleteAllAsksFirst_data();
    void deleteAllAsksFirst();
    void deleteBatchFile_data();
    void deleteBatchFile();
    void savePictureOverwriteAnsweredNo();
    void exportsFromTheMenus();
    void statisticsAndCsvFromTheMenus();
    void namedReportDescribesTheReplayedTest_data();
    void namedReportDescribesTheReplayedTest();
    void selectPrintTakesOnlyTheOperatorsSelection_data();
    void selectPrintTakesOnlyTheOperatorsSelection();
    void undoReturnsToTheRangesBeforeTheFirstZoom_data();
    void undoReturnsToTheRangesBeforeTheFirstZoom();
    void pictureRenderedWithoutAWindow();
    void pdfReportsFromTheMenus_data();
    void pdfReportsFromTheMenus();
    void screenshot();
};

void TestResultBrowser::openingRefusedLeavesEveryBatchActionSilent_data() {
    QTest::addColumn<QString>("file");  // "<empty>" for a batch without results
    QTest::addColumn<QString>("message");
    QTest::newRow("no results") << "<empty>"
                                << "该方案无测试记录!!";
    QTest::newRow("missing file") << "database/none.mdb"
                                  << "文件不存在!!";
    QTest::newRow("not a database") << "database/junk.mdb"
                                    << "文件读取错误!! file is not a database";
}

void TestResultBrowser::openingRefusedLeavesEveryBatchActionSilent() {
    QFETCH(QString, file);
    QFETCH(QString, message);
    BrowserRig rig;
    QVERIFY(QDir().mkpath(rig.dir.file("database")));
    rig.dir.write("database/junk.mdb", "no database at all");
    const QString path = file == "<empty>" ? rig.makeBatch("E", "0", {}) : rig.dir.file(file);
    QVERIFY(!path.isEmpty());

    QVERIFY(!rig.open(path));
    QCOMPARE(rig.prompts.shown.first().kind, QString("open"));
    QCOMPARE(rig.prompts.shown.first().caption, QString("打开数据库"));
    QCOMPARE(rig.prompts.lastFolder, rig.dir.file("database"));
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QCOMPARE(rig.grid("bsSkinDBGrid1")->rowCount(), 0);

    // Nothing that needs a batch says or does anything now.
    rig.prompts.shown.clear();
    for (const char* name : {"N6", "N7", "N9", "N10", "N15", "N4", "N5", "N8", "N13", "N19",
                             "NCertificatePdf", "NSummaryPdf", "N10Pdf"})
        rig.trigger(name);
    rig.button("bsSkinSpeedButton5")->click();
    rig.doubleClickRow(0);
    QVERIFY(rig.prompts.shown.isEmpty());
    QCOMPARE(rig.button("bsSkinSpeedButton5")->toolTip(), QString("曲线编历"));
    QVERIFY(rig.reports().isEmpty());
    QVERIFY(!rig.chart()->popupMenu());
}

void TestResultBrowser::openedBatchFillsTheGrids() {
    BrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2, 3})));
    QVERIFY(rig.prompts.messages().isEmpty());

    auto* tabs = findByName<QTabWidget>(rig.window.get(), "bsSkinPageControl1");
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QString("试验结果"));
    QCOMPARE(tabs->tabText(1), QString("试验信息"));

    QTableWidget* results = rig.grid("bsSkinDBGrid1");
    QCOMPARE(results->rowCount(), 3);
    QCOMPARE(results->columnCount(), 26);
    QCOMPARE(results->horizontalHeaderItem(0)->text(), QString("序号"));
    QCOMPARE(results->horizontalHeaderItem(12)->text(), QString("刚度1"));
    QCOMPARE(results->horizontalHeaderItem(24)->text(), QString("      测试日期      "));
    // Who ran each test, after the stored fields; a batch from before operators were recorded names none.
    QCOMPARE(results->horizontalHeaderItem(25)->text(), QString("操作员"));
    QCOMPARE(results->item(0, 25)->text(), QString());
    QCOMPARE(results->item(1, 0)->text(), QString("2"));
    QCOMPARE(results->item(2, 2)->text(), QString("303"));
    QCOMPARE(results->item(0, 3)->text(), QString("150.5"));
    QCOMPARE(results->selectionMode(), QAbstractItemView::ExtendedSelection);
    // Every column shows its widest text whole, with 20 px to spare.
    const QFontMetrics cells(results->font());
    const QFontMetrics titles(results->horizontalHeader()->font());
    QCOMPARE(results->columnWidth(24), 20 + std::max(titles.horizontalAdvance("      测试日期      "),
                                                     cells.horizontalAdvance("2024-05-06 10:11:12")));

    QTableWidget* scheme = rig.grid("bsSkinDBGrid2");
    QCOMPARE(scheme->rowCount(), 1);
    QCOMPARE(scheme->columnCount(), 36);
    QCOMPARE(scheme->horizontalHeaderItem(1)->text(), QString("试验类型"));
    QCOMPARE(scheme->horizontalHeaderItem(35)->text(), QString("测试点10下限"));
    QCOMPARE(scheme->item(0, 0)->text(), QString("SB1"));
    QCOMPARE(scheme->item(0, 6)->text(), QString("47"));

    // Opening another batch replaces the first.
    QVERIFY(rig.open(rig.makeBatch("B2", "1", {7})));
    QCOMPARE(results->rowCount(), 1);
    QCOMPARE(results->item(0, 0)->text(), QString("7"));
    QCOMPARE(scheme->item(0, 0)->text(), QString("SB2"));
}

void TestResultBrowser::doubleClickReplaysTheCurve() {
    BrowserRig rig;
    const QString path = rig.makeBatch("B1", "0", {1, 2, 3});
    {
        Database db(path);
        QVERIFY(db.exec("delete from test_point where xuhao = 3"));
    }
    QVERIFY(rig.open(path));
    QCOMPARE(rig.chart()->yAxis->label(), QString("负荷(N)"));
    for (int i = 0; i < 4; ++i) QVERIFY(!rig.chart()->series(i)->visible());

    rig.doubleClickRow(1);
    QVERIFY(rig.prompts.messages().isEmpty());
    QCOMPARE(rig.chart()->title(), QString("当前曲线显示序号：2"));
    QCPCurve* curve = rig.chart()->series(0);
    QVERIFY(curve->visible());
    QCOMPARE(curve->dataCount(), 5);
    // Drawn in the order stored, not sorted by X.
    QCOMPARE(curve->data()->at(0)->key, 49.0);
    QCOMPARE(curve->data()->at(0)->value, 201.0);
    QCOMPARE(curve->data()->at(4)->key, 45.0);
    QCOMPARE(rig.chart()->yAxis->range().upper, double(1.1f * 205.0f));
    QCOMPARE(rig.chart()->xAxis->range().lower, double(0.9f * 45.0f));

    // A test without samples says so and leaves the curve on the chart.
    rig.doubleClickRow(2);
    QCOMPARE(rig.prompts.messages(), QStringList{"当前序号无曲线数据!!"});
    QCOMPARE(rig.chart()->title(), QString("当前曲线显示序号：2"));
    QCOMPARE(rig.chart()->series(0)->dataCount(), 5);
}

void TestResultBrowser::axisButtonsMoveByTheStoredSteps_data() {
    QTest::addColumn<QByteArray>("initIni");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("leftAxis");
    QTest::addColumn<double>("change");
    const QByteArray steps = "[坐标范围]\nX轴按钮调节量=0.5\nY轴按钮调节量=30\n";
    QTest::newRow("Y轴增大") << steps << "bsSkinSpeedButton6" << true << 30.0;
    QTest::newRow("Y轴减小") << steps << "bsSkinSpeedButton7" << true << -30.0;
    QTest::newRow("X轴减小") << steps << "bsSkinSpeedButton8" << false << -0.5;
    QTest::newRow("X轴增大") << steps << "bsSkinSpeedButton9" << false << 0.5;
    QTest::newRow("no steps stored: 2") << QByteArray() << "bsSkinSpeedButton9" << false << 2.0;
    QTest::newRow("Y轴减小 never reaches the minimum")
        << QByteArray("[坐标范围]\nY轴按钮调节量=500\n") << "bsSkinSpeedButton7" << true << 0.0;
}

void TestResultBrowser::axisButtonsMoveByTheStoredSteps() {
    QFETCH(QByteArray, initIni);
    QFETCH(QString, button);
    QFETCH(bool, leftAxis);
    QFETCH(double, change);
    BrowserRig rig;
    rig.window->hide();
    if (!initIni.isEmpty()) rig.dir.write("init.ini", initIni);
    rig.window->show();  // the steps are read on showing
    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2})));
    rig.doubleClickRow(1);

    const AxisRange before = leftAxis ? rig.window->chart().left : rig.window->chart().bottom;
    rig.button(qPrintable(button))->click();
    const AxisRange after = leftAxis ? rig.window->chart().left : rig.window->chart().bottom;
    QCOMPARE(after.min, before.min);
    QCOMPARE(after.max, before.max + change);
    QCOMPARE(after.step, (after.max - after.min) / 10);
    const QCPAxis* shown = leftAxis ? rig.chart()->yAxis : rig.chart()->xAxis;
    QCOMPARE(shown->range().upper, after.max);
}

void TestResultBrowser::traversalTogglesTheHintAndTheChartMenu() {
    BrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2})));
    QToolButton* traverse = rig.button("bsSkinSpeedButton5");
    auto* chartMenu = findByName<QMenu>(rig.window.get(), "bsSkinPopupMenu2");
    QVERIFY(chartMenu);

    // Without a replayed curve the hint still toggles, but there is nothing to traverse.
    traverse->click();
    QCOMPARE(traverse->toolTip(), QString("编历结束"));
    QVERIFY(!rig.chart()->popupMenu());
    traverse->click();
    QCOMPARE(traverse->toolTip(), QString("曲线编历"));

    rig.doubleClickRow(1);
    traverse->click();
    QCOMPARE(traverse->toolTip(), QString("编历结束"));
    QCOMPARE(rig.chart()->popupMenu(), chartMenu);
    QVERIFY(rig.chart()->series(ResultChart::Traversal)->visible());

    // Above the curve at X 47.2 the marker snaps to the first sample at or left of it: (47, 203).
    rig.moveMouseTo(47.2, 220);
    QCOMPARE(rig.chart()->labelTexts(ResultChart::Traversal), QStringList{" X: 47 ;Y: 203"});
    QVERIFY(findByName<QLabel>(rig.window.get(), "bsSkinLabel2")->text().startsWith("曲线坐标:X:47.2"));
    rig.trigger("N8");
    QCOMPARE(rig.chart()->labelTexts(ResultChart::Picked), QStringList{"高度:47;负荷:203"});
    rig.trigger("N19");
    QCOMPARE(rig.chart()->labelTexts(ResultChart::Picked),
             (QStringList{"高度:47mm;负荷:203N", "高度:45mm;负荷:150.5N"}));

    traverse->click();
    QCOMPARE(traverse->toolTip(), QString("曲线编历"));
    QVERIFY(!rig.chart()->popupMenu());
    QVERIFY(!rig.chart()->series(ResultChart::Traversal)->visible());
    QVERIFY(rig.chart()->series(ResultChart::Picked)->visible());  // picked values stay
    QVERIFY(rig.prompts.messages().isEmpty());
}

void TestResultBrowser::deleteOneRowRefreshesTheGrid() {
    BrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2, 3})));
    QTableWidget* results = rig.grid("bsSkinDBGrid1");
    results->setCurrentCell(1, 0);
    rig.trigger("N6");
    QVERIFY(rig.prompts.messages().isEmpty());  // at once, without a question
    QCOMPARE(results->rowCount(), 2);
    QCOMPARE(results->item(0, 0)->text(), QString("1"));
    QCOMPARE(results->item(1, 0)->text(), QString("2"));
    QCOMPARE(results->item(1, 2)->text(), QString("303"));  // the former test 3
    QCOMPARE(results->currentRow(), 1);
}

void TestResultBrowser::deleteAllAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No keeps everything") << false;
    QTest::newRow("Yes empties the batch and drops it") << true;
}

void TestResultBrowser::deleteAllAsksFirst() {
    QFETCH(bool, yes);
    BrowserRig rig;
    const QString path = rig.makeBatch("B1", "0", {1, 2, 3});
    QVERIFY(rig.open(path));
    rig.doubleClickRow(0);
    rig.prompts.answers = {yes};
    rig.trigger("N7");

    QCOMPARE(rig.prompts.shown.last().kind, yes ? QString("message") : QString("question"));
    const QStringList asked{"确定要全部删除？"};
    QCOMPARE(rig.prompts.messages(), yes ? asked + QStringList{"记录删除成功!"} : asked);
    QCOMPARE(rig.window->result() != nullptr, !yes);
    QCOMPARE(rig.grid("bsSkinDBGrid1")->rowCount(), yes ? 0 : 3);
    QCOMPARE(rig.chart()->series(ResultChart::Curve)->visible(), !yes);
    if (yes) {
        // The batch is released and empty; nothing that needs it answers any more.
        QVERIFY(!IsFileInUse(path));
        QCOMPARE(Database(path).select("select * from test_result")->size(), 0);
        rig.prompts.shown.clear();
        rig.trigger("N7");
        QVERIFY(rig.prompts.shown.isEmpty());
    }
}

void TestResultBrowser::deleteBatchFile_data() {
    QTest::addColumn<bool>("heldByTheBrowser");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("deleted");
    const QString ask = "是否删除文件夹";
    QTest::newRow("held open by the browser")
        << true << QList<bool>{} << QStringList{"文件正在使用,无法删除!!"} << false;
    QTest::newRow("answered No") << false << QList<bool>{false} << QStringList{ask} << false;
    QTest::newRow("answered Yes") << false << QList<bool>{true} << QStringList{ask, "文件删除成功!!"} << true;
}

void TestResultBrowser::deleteBatchFile() {
    QFETCH(bool, heldByTheBrowser);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, messages);
    QFETCH(bool, deleted);
    BrowserRig rig;
    const QString path = rig.makeBatch("B1", "0", {1});
    if (heldByTheBrowser) QVERIFY(rig.open(path));
    rig.prompts.shown.clear();
    rig.prompts.answers = answers;
    rig.prompts.files = {path};
    rig.trigger("N2");

    QCOMPARE(rig.prompts.shown.first().caption, QString("删除数据库"));
    QStringList shown = rig.prompts.messages();
    if (!shown.isEmpty() && shown.first().startsWith("是否删除文件夹")) {
        QCOMPARE(shown.first(), "是否删除文件夹" + QDir::toNativeSeparators(path));
        shown.first() = "是否删除文件夹";
    }
    QCOMPARE(shown, messages);
    QCOMPARE(QFileInfo::exists(path), !deleted);
}

void TestResultBrowser::savePictureOverwriteAnsweredNo() {
    BrowserRig rig;
    const QString folder = rig.dir.file("picture");
    QVERIFY(QDir().mkpath(folder));
    rig.dir.write("picture/c1.bmp", "old picture");
    rig.prompts.files = {folder + "/c1.bmp"};
    rig.prompts.answers = {false};
    rig.button("bsSkinSpeedButton13")->click();

    QCOMPARE(rig.prompts.shown.first().caption, QString("保存图片"));
    QCOMPARE(rig.prompts.lastFolder, folder);
    QCOMPARE(rig.prompts.messages(), QStringList{"该文件名已经存在，是否覆盖?"});
    QCOMPARE(rig.dir.read("picture/c1.bmp"), QByteArray("old picture"));
}

void TestResultBrowser::exportsFromTheMenus() {
    BrowserRig rig;
    // A report laid out on the shipped template's sample sheet.
    QVERIFY(
        saveReportName(schemeDatabasePath(rig.dir.path()), {"示例报表", "A20:H40", true}, [](const QString&) {
            return false;
        }).messages.isEmpty());
    rig.window->hide();
    rig.window->show();  // the named reports are offered from the next showing on
    auto* named = findByName<QAction>(rig.window.get(), "N14");
    QVERIFY(named && named->menu());
    QCOMPARE(named->menu()->actions().size(), 1);
    QCOMPARE(named->menu()->actions()[0]->text(), QString("示例报表"));

    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2})));
    rig.doubleClickRow(0);
    QApplication::clipboard()->clear();
    named->menu()->actions()[0]->trigger();
    QVERIFY(!QApplication::clipboard()->image().isNull());  // the picture that went into the report
    rig.trigger("N4");
    rig.trigger("N15");
    rig.trigger("N10");  // "单个打印" has no report of its own
    QVERIFY2(rig.prompts.messages().isEmpty(), qPrintable(rig.prompts.messages().join(" | ")));
    QCOMPARE(rig.reports().size(), 3);

    rig.grid("bsSkinDBGrid1")->clearSelection();
    rig.trigger("N5");
    QCOMPARE(rig.prompts.messages(), QStringList{kNothingSelected.toString()});
}

// The statistics page over the opened batch, and the CSV files of its results and of the current test's
// curve, each with the byte order mark spreadsheet programs need for the Chinese titles.
void TestResultBrowser::statisticsAndCsvFromTheMenus() {
    BrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2, 3})));

    int quantities = -1;
    QString firstMean;
    QTimer::singleShot(0, [&] {
        auto* page = qobject_cast<BatchStatisticsWindow*>(QApplication::activeModalWidget());
        if (!page) return;
        quantities = page->table()->rowCount();
        firstMean = page->table()->item(0, 3)->text();
        page->reject();
    });
    rig.trigger("NStatistics");
    QCOMPARE(quantities, 5);                // 结果1, 结果2, 刚度1, 刚度2, 弹簧高度
    QCOMPARE(firstMean, QString("203.0"));  // results 103, 203, 303

    const auto csvFiles = [&rig] { return QDir(rig.dir.file("report")).entryList({"*.csv"}, QDir::Files); };
    const auto lines = [&rig](const QString& name) {
        QFile f(QDir(rig.dir.file("report")).filePath(name));
        if (!f.open(QIODevice::ReadOnly)) return QStringList{};
        const QByteArray bytes = f.readAll();
        if (!bytes.startsWith("\xEF\xBB\xBF")) return QStringList{"no byte order mark"};
        return QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
    };
    rig.trigger("NResultsCsv");
    QCOMPARE(csvFiles().size(), 1);
    const QStringList results = lines(csvFiles().first());
    QCOMPARE(results.size(), 4);
    QVERIFY2(results[0].startsWith("序号,结果1 进 (N),"), qPrintable(results[0]));
    QVERIFY2(results[2].startsWith("2,203,150.5,"), qPrintable(results[2]));

    rig.clickRow(1);
    rig.trigger("N15Csv");
    QCOMPARE(csvFiles().size(), 2);
    const QString curveFile = csvFiles().filter("采集数据_2").value(0);
    QVERIFY(!curveFile.isEmpty());
    const QStringList curve = lines(curveFile);
    QCOMPARE(curve.size(), 6);                              // the titles and five samples
    QCOMPARE(curve[1].section(',', 1, 1), QString("201"));  // test 2's first load
    QVERIFY2(rig.prompts.messages().isEmpty(), qPrintable(rig.prompts.messages().join(" | ")));
}

void TestResultBrowser::namedReportDescribesTheReplayedTest_data() {
    QTest::addColumn<QList<int>>("replayed");  // rows double-clicked, in order
    QTest::addColumn<QString>("serial");       // of the test on the report's data sheet
    QTest::newRow("nothing replayed: the first test") << QList<int>{} << "1";
    QTest::newRow("test 3 replayed") << QList<int>{2} << "3";
    // Test 2 has no samples: test 3's curve stays on the chart, and so on the report.
    QTest::newRow("a replay without samples keeps the curve shown") << QList<int>{2, 1} << "3";
}

void TestResultBrowser::namedReportDescribesTheReplayedTest() {
    REQUIRE_READER();
    QFETCH(QList<int>, replayed);
    QFETCH(QString, serial);
    BrowserRig rig;
    const QString path = rig.makeBatch("B1", "0", {1, 2, 3});
    QVERIFY(Database(path).exec("delete from test_point where xuhao = 2"));
    QVERIFY(rig.open(path));
    for (int row : replayed) rig.doubleClickRow(row);
    rig.prompts.shown.clear();

    auto* named = findByName<QAction>(rig.window.get(), "N14");
    QVERIFY(named && named->menu() && !named->menu()->actions().isEmpty());
    named->menu()->actions()[0]->trigger();
    QVERIFY2(rig.prompts.messages().isEmpty(), qPrintable(rig.prompts.messages().join(" | ")));
    QCOMPARE(rig.exportedSerial(4), serial);
    QCOMPARE(rig.exportedSerial(5), QString());
}

void TestResultBrowser::selectPrintTakesOnlyTheOperatorsSelection_data() {
    QTest::addColumn<QList<int>>("clicked");  // rows the operator clicks, in order
    QTest::addColumn<bool>("deleteCurrent");  // "删除数据" afterwards
    QTest::addColumn<QString>("serial");      // of the one test exported; empty: nothing is
    QTest::newRow("just opened") << QList<int>{} << false << "";
    QTest::newRow("row 2 clicked") << QList<int>{1} << false << "2";
    QTest::newRow("the first row clicked") << QList<int>{0} << false << "1";
    // The grid shows other tests in the rows now; the row that follows is current, not selected.
    QTest::newRow("the selected test deleted") << QList<int>{1} << true << "";
}

void TestResultBrowser::selectPrintTakesOnlyTheOperatorsSelection() {
    QFETCH(QList<int>, clicked);
    QFETCH(bool, deleteCurrent);
    QFETCH(QString, serial);
    BrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2, 3})));
    for (int row : clicked) rig.clickRow(row);
    if (deleteCurrent) rig.trigger("N6");
    rig.trigger("N5");
    if (serial.isEmpty()) {
        QCOMPARE(rig.prompts.messages(), QStringList{"无选择项，请先选择要打印的测试结果!!"});
        QVERIFY(rig.reports().isEmpty());
        return;
    }
    QVERIFY2(rig.prompts.messages().isEmpty(), qPrintable(rig.prompts.messages().join(" | ")));
    if (testing::pythonWithOpenpyxl().isEmpty()) return;
    QCOMPARE(rig.exportedSerial(3), serial);
    QCOMPARE(rig.exportedSerial(4), QString());
}

void TestResultBrowser::undoReturnsToTheRangesBeforeTheFirstZoom_data() {
    // "in", "out": the toolbar's 曲线放大 and 曲线缩小; "rectangle": a rectangle drawn to the right;
    // "replay without samples": a double-click on a test that has no curve.
    QTest::addColumn<QStringList>("zooms");
    QTest::newRow("toolbar zoom in") << QStringList{"in"};
    QTest::newRow("toolbar zoom out twice") << QStringList{"out", "out"};
    QTest::newRow("toolbar, then rectangle") << QStringList{"in", "rectangle"};
    QTest::newRow("rectangle, then toolbar") << QStringList{"rectangle", "out"};
    QTest::newRow("two rectangles") << QStringList{"rectangle", "rectangle"};
    QTest::newRow("a replay without samples keeps the zoom")
        << QStringList{"rectangle", "replay without samples", "in"};
}

void TestResultBrowser::undoReturnsToTheRangesBeforeTheFirstZoom() {
    QFETCH(QStringList, zooms);
    BrowserRig rig;
    const QString path = rig.makeBatch("B1", "0", {1, 2});
    QVERIFY(Database(path).exec("delete from test_point where xuhao = 2"));
    QVERIFY(rig.open(path));
    rig.doubleClickRow(0);
    const AxisRange bottom = rig.window->chart().bottom;
    const AxisRange left = rig.window->chart().left;

    for (const QString& zoom : zooms) {
        if (zoom == "in") rig.button("bsSkinSpeedButton1")->click();
        if (zoom == "out") rig.button("bsSkinSpeedButton2")->click();
        if (zoom == "rectangle") rig.dragOverThePlot(true);
        if (zoom == "replay without samples") rig.doubleClickRow(1);
    }
    QVERIFY(rig.window->chart().bottom.max != bottom.max);

    rig.dragOverThePlot(false);
    const auto ranges = [&rig] {
        const ResultChart& c = rig.window->chart();
        return QList<double>{c.bottom.min, c.bottom.max, c.left.min, c.left.max};
    };
    const QList<double> before{bottom.min, bottom.max, left.min, left.max};
    QCOMPARE(ranges(), before);
    QCOMPARE(rig.chart()->xAxis->range().upper, bottom.max);
    // Nothing is left to undo.
    rig.dragOverThePlot(false);
    QCOMPARE(ranges(), before);
}

void TestResultBrowser::pictureRenderedWithoutAWindow() {
    ResultChart chart;
    chart.series[ResultChart::Curve].visible = true;
    for (int i = 0; i <= 10; ++i) chart.series[ResultChart::Curve].add(QPointF(i, 10 * i));
    chart.bottom = {0, 10, 1};
    chart.left = {0, 100, 10};
    chart.title = "当前曲线显示序号：1";
    const QImage picture = QImage::fromData(ResultChartView::renderPng(chart, QSize(640, 400)), "PNG");
    QCOMPARE(picture.size(), QSize(640, 400));
    // The curve is drawn across the plot: red pixels on the diagonal's middle row.
    int red = 0;
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 150; y < 250; ++y)
            if (const QColor c = picture.pixelColor(x, y); c.red() > 200 && c.green() < 80 && c.blue() < 80)
                ++red;
    QVERIFY2(red > 20, qPrintable(QString::number(red)));
}

void TestResultBrowser::screenshot() {
    BrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch("B1", "0", {1, 2, 3})));
    {
        // A curve with some body: a spring loaded from 49 mm down to 30 mm.
        Database db(rig.window->result()->path());
        QVERIFY(db.exec("delete from test_point where xuhao = 2"));
        for (int i = 0; i <= 190; ++i)
            QVERIFY(db.insertRow("test_point", {{"xuhao", 2},
                                                {"number", i},
                                                {"load", QString::number(12.5 * i / 10.0)},
                                                {"weiyi", QString::number(49 - i / 10.0)},
                                                {"bianxing", QString::number(i / 10.0)},
                                                {"jinhuicheng", "1"}}));
    }
    rig.window->resize(1100, 780);
    rig.doubleClickRow(1);
    rig.button("bsSkinSpeedButton5")->click();
    rig.moveMouseTo(40, 200);
    rig.trigger("N8");
    rig.moveMouseTo(34.5, 240);
    const QString folder = qEnvironmentVariable("SPRINGTEST_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SPRINGTEST_SCREENSHOTS names no folder");
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    QVERIFY(rig.window->grab().save(QDir(folder).filePath("result-browser.png")));
}

void TestResultBrowser::pdfReportsFromTheMenus_data() {
    QTest::addColumn<QString>("command");  // an action's name, or the print button
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("file");  // the PDF written under report/, without its time stamp; "" none
    QTest::addColumn<QString>("text");  // a line the PDF holds

    QTest::newRow("certificate from the report menu") << "NCertificatePdf" << QList<bool>{} << "B1_2_证书"
                                                      << "序号 Serial 2 操作员 Operator 张工";
    QTest::newRow("certificate from the results menu") << "N10Pdf" << QList<bool>{} << "B1_2_证书"
                                                       << "测试点1 进 47 — — 203 — — —";
    QTest::newRow("batch summary") << "NSummaryPdf" << QList<bool>{} << "B1_汇总"
                                   << "试验数 Tests 3";
    QTest::newRow("no printer: the PDF instead") << "bsSkinSpeedButton10" << QList<bool>{true} << "B1_2_证书"
                                                 << "序号 Serial 2";
    QTest::newRow("no printer, no PDF wanted") << "bsSkinSpeedButton10" << QList<bool>{false} << ""
                                               << "";
}

void TestResultBrowser::pdfReportsFromTheMenus() {
    QFETCH(QString, command);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, file);
    QFETCH(QString, text);
    const bool printButton = command.startsWith("bsSkin");
    if (printButton && !QPrinterInfo::availablePrinterNames().isEmpty()) QSKIP("this machine has a printer");
    BrowserRig rig;
    const QString batch = rig.makeBatch("B1", "0", {1, 2, 3});
    {
        Database db(batch);
        QVERIFY(storeTestOperator(db, 2, "张工"));
    }
    QVERIFY(rig.open(batch));
    rig.grid("bsSkinDBGrid1")->setCurrentCell(1, 0);
    rig.prompts.shown.clear();
    rig.prompts.answers = answers;
    if (printButton)
        rig.button(qPrintable(command))->click();
    else
        rig.trigger(qPrintable(command));

    if (printButton)
        QCOMPARE(rig.prompts.messages(),
                 QStringList{"没有安装打印机,无法进行打印!!\n是否生成当前试验的PDF证书?"});
    else
        QCOMPARE(rig.prompts.messages(), QStringList{});
    const QStringList pdfs = QDir(rig.dir.file("report")).entryList({"*.pdf"}, QDir::Files);
    if (file.isEmpty()) {
        QVERIFY(pdfs.isEmpty());
        return;
    }
    QCOMPARE(pdfs.size(), 1);
    QVERIFY2(pdfs.first().startsWith(file + "_"), qPrintable(pdfs.first()));
    const QString path = QDir(rig.dir.file("report")).filePath(pdfs.first());
    if (!testing::havePdfReader())
        QSKIP("pdftotext (poppler-utils) is not installed: scripts/install-deps.sh");
    QCOMPARE(testing::pdfPageCount(path), 1);
    QVERIFY2(testing::pdfText(path).contains(text), qPrintable(testing::pdfText(path)));
}

QTEST_MAIN(TestResultBrowser)
#include "tst_result_browser.moc"
