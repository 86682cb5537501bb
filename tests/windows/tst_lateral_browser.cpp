// The lateral-stiffness result browser "数据处理" as the operator drives it: a lateral batch on two charts
// (the load curve with its return, the X–Y path of the spring's top), each tab's tools on its own chart,
// deleting a test, the lateral report.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <memory>

#include "measurement/ChannelConfig.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "results/ReportFiles.h"
#include "results/Ttest_result_HXGD.h"
#include "session/ApplicationFolder.h"
#include "storage/Database.h"
#include "support/LateralBatch.h"
#include "support/TempAppDir.h"
#include "windows/browser/ResultChartView.h"
#include "windows/browser/TF_dp_HXGD.h"
#include "windows/common/FindByName.h"
#include "workbook/Workbook.h"

using namespace springtest;
using namespace springtest::testing;

namespace {

QVariantMap resultRow(const QString& stroke, const QString& value) {
    return {{"jinhuicheng", stroke}, {"result1", value},
            {"gangdu1", "10.00"},    {"x_value1", "0.10"},
            {"y_value1", "-0.20"},   {"pianyi_value1", "0.22"},
            {"height", "50.00"},     {"date", "2024-05-06 10:11:12.000"}};
}

// An axial test pressed 10 mm: its top walks out to X 0.5, Y −1 as the load rises to 50 N; the return runs
// back down below the loading line.
QList<LateralSample> walkingCurve() {
    QList<LateralSample> curve;
    for (int i = 0; i <= 10; ++i)
        curve << LateralSample{5.0 * i, 1.0 * i, 1, QString::number(0.05 * i, 'f', 2),
                               QString::number(-0.1 * i, 'f', 2)};
    for (int i = 10; i >= 0; --i) curve << LateralSample{4.5 * i, 1.0 * i, 2, {}, {}};
    return curve;
}

struct LateralBrowserRig {
    TempAppDir dir;
    ScriptedPrompts prompts;
    NoSpreadsheetOpener opener;
    std::unique_ptr<TF_dp_HXGD> window;

    LateralBrowserRig() {
        initialiseApplicationFolder(dir.path(), 5);
        // The sensors' own names, so that each axis shows where its title comes from.
        ProfileFile(channelConfigFile(dir.path(), 1)).writeString("Displacement", "Name", "横向位移");
        ProfileFile(channelConfigFile(dir.path(), 3)).writeString("Displacement", "Name", "X传感器");
        ProfileFile(channelConfigFile(dir.path(), 3)).writeString("Displacement", "Units", "cm");
        setPrompts(&prompts);
        window = std::make_unique<TF_dp_HXGD>(dir.path(), "N", opener);
        window->show();
    }
    ~LateralBrowserRig() {
        window.reset();
        setPrompts(nullptr);
    }

    QString makeBatch(bool axial, int strokes) {
        const QString path = makeLateralBatch(dir.path(), lateralScheme(axial, strokes, 1));
        QList<LateralStoredTest> tests;
        for (int serial = 1; serial <= 3; ++serial)
            tests << LateralStoredTest{serial,
                                       {resultRow("进", QStringLiteral("1%1.00").arg(serial)),
                                        resultRow("回", QStringLiteral("9.%100").arg(serial))},
                                       walkingCurve()};
        return !path.isEmpty() && storeLateralTests(path, tests) ? path : QString();
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
    void click(const QString& name) {
        QToolButton* b = findByName<QToolButton>(window.get(), name);
        QVERIFY2(b, qPrintable(name));
        b->click();
    }
    QTableWidget* grid(const char* name) {
        return findByName<QTableWidget>(window.get(), QString::fromLatin1(name));
    }
    void replay(int row) {
        grid("bsSkinDBGrid1")->setCurrentCell(row, 0);
        window->replayCurrent();
    }
    int drawn(ResultChartView* view, int series) { return view->series(series)->data()->size(); }
    QStringList reports() const { return QDir(dir.file("report")).entryList({"*.xlsx"}, QDir::Files); }
};

QCPRange range(QCPAxis* axis) {
    return axis->range();
}

}  // namespace

class TestLateralBrowser : public QObject {
    Q_OBJECT
private slots:
    void opensALateralBatchOnTwoCharts();
    void replayDrawsBothCharts_data();
    void replayDrawsBothCharts();
    void eachToolBarActsOnItsOwnChart_data();
    void eachToolBarActsOnItsOwnChart();
    void deletingATestKeepsTheOtherNumbers();
    void reportOfTheCurrentTest_data();
    void reportOfTheCurrentTest();
    void screenshot();
};

void TestLateralBrowser::opensALateralBatchOnTwoCharts() {
    LateralBrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch(true, 2)));
    QCOMPARE(rig.grid("bsSkinDBGrid1")->rowCount(), 6);
    QCOMPARE(rig.grid("bsSkinDBGrid1")->columnCount(), 56);
    QCOMPARE(rig.grid("bsSkinDBGrid2")->columnCount(), 34);
    QCOMPARE(rig.grid("bsSkinDBGrid1")->horizontalHeaderItem(4)->text(), QStringLiteral("X值1"));

    QTabWidget* pages = rig.window->curvePages();
    QCOMPARE(pages->tabText(0), QStringLiteral("性能测试曲线"));
    QCOMPARE(pages->tabText(1), QStringLiteral("X轴-Y轴曲线"));
    // The X–Y chart's axes name the sensors: Y the lateral drive's (card 1), X card 3's.
    QCOMPARE(rig.window->pathView()->yAxis->label(), QStringLiteral("Y  横向位移  (mm)"));
    QCOMPARE(rig.window->pathView()->xAxis->label(), QStringLiteral("X  X传感器  (cm)"));
    QCOMPARE(rig.window->chartView()->yAxis->label(), QStringLiteral("负荷(N)"));
    // Each tab has its readout; the curve area window and "显示测试点" are not offered.
    QVERIFY(findByName<QLabel>(rig.window.get(), "chart_show1"));
    QVERIFY(findByName<QLabel>(rig.window.get(), "chart_show2"));
    QVERIFY(!findByName<QToolButton>(rig.window.get(), "bsSkinSpeedButton4")->isVisibleTo(rig.window.get()));
    QVERIFY(!findByName<QAction>(rig.window.get(), "N19"));
    QVERIFY(!findByName<QAction>(rig.window.get(), "N21"));
}

void TestLateralBrowser::replayDrawsBothCharts_data() {
    QTest::addColumn<bool>("axial");
    QTest::addColumn<int>("strokes");
    QTest::addColumn<int>("returnPoints");
    QTest::addColumn<int>("pathPoints");
    QTest::newRow("axial, two strokes") << true << 2 << 11 << 11;
    QTest::newRow("axial, one stroke: no return curve") << true << 1 << 0 << 11;
    QTest::newRow("lateral: the X–Y chart stays empty") << false << 2 << 11 << 0;
}

void TestLateralBrowser::replayDrawsBothCharts() {
    QFETCH(bool, axial);
    QFETCH(int, strokes);
    QFETCH(int, returnPoints);
    QFETCH(int, pathPoints);
    LateralBrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch(axial, strokes)));
    rig.replay(0);
    QCOMPARE(rig.prompts.messages(), QStringList());
    ResultChartView* load = rig.window->chartView();
    ResultChartView* path = rig.window->pathView();
    QCOMPARE(rig.drawn(load, 0), 11);
    QCOMPARE(rig.drawn(load, 1), returnPoints);
    QCOMPARE(rig.drawn(path, 0), pathPoints);
    QCOMPARE(load->title(), QStringLiteral("当前曲线显示序号：1"));
    QCOMPARE(path->title(), QStringLiteral("当前曲线显示序号：1"));
    if (pathPoints > 0) {
        QCOMPARE(range(path->xAxis).lower, -0.6);
        QCOMPARE(range(path->yAxis).upper, 1.2);
    }
}

void TestLateralBrowser::eachToolBarActsOnItsOwnChart_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("onPath");
    QTest::newRow("load chart zoom in") << "bsSkinSpeedButton1" << false;
    QTest::newRow("load chart zoom out") << "bsSkinSpeedButton2" << false;
    QTest::newRow("load chart Y up") << "bsSkinSpeedButton6" << false;
    QTest::newRow("load chart X up") << "bsSkinSpeedButton9" << false;
    QTest::newRow("path chart zoom in") << "bsSkinSpeedButton11" << true;
    QTest::newRow("path chart zoom out") << "bsSkinSpeedButton12" << true;
    QTest::newRow("path chart Y up") << "bsSkinSpeedButton17" << true;
    QTest::newRow("path chart X up") << "bsSkinSpeedButton20" << true;
}

void TestLateralBrowser::eachToolBarActsOnItsOwnChart() {
    QFETCH(QString, button);
    QFETCH(bool, onPath);
    LateralBrowserRig rig;
    QVERIFY(rig.open(rig.makeBatch(true, 2)));
    rig.replay(0);
    const ResultChart loadBefore = rig.window->chart();
    const ResultChart pathBefore = rig.window->pathChart();
    rig.click(button);
    const ResultChart& load = rig.window->chart();
    const ResultChart& path = rig.window->pathChart();
    const bool loadChanged = load.left.max != loadBefore.left.max || load.bottom.max != loadBefore.bottom.max;
    const bool pathChanged = path.left.max != pathBefore.left.max || path.bottom.max != pathBefore.bottom.max;
    QCOMPARE(loadChanged, !onPath);
    QCOMPARE(pathChanged, onPath);
    // What the views show follows the charts.
    QCOMPARE(range(rig.window->chartView()->yAxis).upper, load.left.max);
    QCOMPARE(range(rig.window->pathView()->yAxis).upper, path.left.max);
}

void TestLateralBrowser::deletingATestKeepsTheOtherNumbers() {
    LateralBrowserRig rig;
    const QString batch = rig.makeBatch(true, 2);
    QVERIFY(rig.open(batch));
    rig.grid("bsSkinDBGrid1")->setCurrentCell(2, 0);  // test 2's forward row
    rig.trigger("N6");
    QStringList serials;
    for (int r = 0; r < rig.grid("bsSkinDBGrid1")->rowCount(); ++r)
        serials << rig.grid("bsSkinDBGrid1")->item(r, 0)->text();
    QCOMPARE(serials, QStringList({"1", "1", "3", "3"}));
    QCOMPARE(Database(batch).select("select * from test_point where xuhao = 2")->size(), 0);
}

void TestLateralBrowser::reportOfTheCurrentTest_data() {
    QTest::addColumn<int>("strokes");
    QTest::addColumn<int>("sheet");
    QTest::newRow("one stroke: worksheet 2") << 1 << 2;
    QTest::newRow("two strokes: worksheet 3") << 2 << 3;
}

void TestLateralBrowser::reportOfTheCurrentTest() {
    QFETCH(int, strokes);
    QFETCH(int, sheet);
    LateralBrowserRig rig;
    rig.trigger("N14");  // no batch: nothing happens
    QCOMPARE(rig.prompts.messages(), QStringList());
    QVERIFY(rig.open(rig.makeBatch(true, strokes)));
    rig.replay(2);
    rig.trigger("N14");
    QCOMPARE(rig.prompts.messages(), QStringList());
    QCOMPARE(rig.reports().size(), 1);
    Workbook book;
    QCOMPARE(book.open(QDir(rig.dir.file("report")).filePath(rig.reports().first())), QString());
    QCOMPARE(book.activeSheet(), sheet);
    QCOMPARE(book.cellText(4, 2), QStringLiteral("2"));  // the current row's test
    QCOMPARE(book.cellText(36, 4), QStringLiteral("12"));
    // The shared certificate of the same test.
    rig.trigger("NCertificatePdf");
    QCOMPARE(rig.prompts.messages(), QStringList());
    QCOMPARE(QDir(rig.dir.file("report")).entryList({"*_2_*.pdf"}, QDir::Files).size(), 1);
}

// The README's picture of the X–Y chart, taken when SPRINGTEST_SCREENSHOTS names a folder.
void TestLateralBrowser::screenshot() {
    const QString folder = qEnvironmentVariable("SPRINGTEST_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SPRINGTEST_SCREENSHOTS names no folder");
    LateralBrowserRig rig;
    const QString batch = makeLateralBatch(rig.dir.path(), lateralScheme(true, 1, 3));
    // The top of a spring leaning as it is pressed: out along a slowly bending line, a little noise from
    // the sensors' hundredths.
    QList<LateralSample> curve;
    for (int i = 0; i <= 60; ++i) {
        const double d = 0.5 * i;
        const double x = -0.045 * d + 0.0004 * d * d + 0.01 * std::sin(i * 1.3);
        const double y = 0.028 * d + 0.008 * std::cos(i * 0.9);
        curve << LateralSample{12.0 * d + 0.02 * d * d, d, 1, QString::number(x, 'f', 2),
                               QString::number(y, 'f', 2)};
    }
    QVERIFY(storeLateralTests(batch, {{1, {resultRow("进", "120.00")}, curve, "张工", "128.40"}}));
    // The sensors as a new installation names them; showing the window again reads them.
    ProfileFile(channelConfigFile(rig.dir.path(), 1)).writeString("Displacement", "Name", "位移");
    ProfileFile(channelConfigFile(rig.dir.path(), 3)).writeString("Displacement", "Name", "位移");
    ProfileFile(channelConfigFile(rig.dir.path(), 3)).writeString("Displacement", "Units", "mm");
    rig.window->hide();
    rig.window->show();
    QVERIFY(rig.open(batch));
    rig.window->resize(1280, 860);
    rig.replay(0);
    rig.window->curvePages()->setCurrentIndex(1);
    QCoreApplication::processEvents();
    rig.window->pathView()->replot();
    QVERIFY(rig.window->grab().save(QDir(folder).filePath("browser-lateral-xy.png")));
}

QTEST_MAIN(TestLateralBrowser)
#include "tst_lateral_browser.moc"
