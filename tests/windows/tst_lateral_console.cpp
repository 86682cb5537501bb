// The lateral machine's console windows: its two data panels, the curve window with the sideways path on
// its second page, and the lateral control panel with its three drives, its test start, the kind of test,
// the turntable positioning and the offset columns of the result grid.

#include "ConsoleRig.h"
#include "FindComponent.h"
#include "sequencer/procedures/LateralTest.h"
#include "storage/OverloadLog.h"
#include "storage/Schema.h"
#include "windows/console/ControlResultGrid.h"
#include "windows/console/CurvePage.h"
#include "windows/console/TF_chart_HXGD.h"
#include "windows/console/TF_control_HXGD.h"
#include "windows/console/TF_datashow_HXGD.h"
#include "windows/console/TF_datashow_ZXGD.h"

#include <qcustomplot.h>

#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>

using namespace springtest;
using springtest::testing::ConsoleRig;
using springtest::testing::get;

namespace {

using Settings = QList<ConsoleRig::Setting>;

// The four cards of the lateral machine: card 0 axial, 1 lateral drive and Y, 2 turntable, 3 X.
constexpr int kCards = 4;

Settings sensorSettings() {
    return {{1, "Displacement", "Name", "位移"},        {1, "Displacement", "Units", "mm"},
            {1, "Displacement", "Decimal_Places", "2"}, {2, "Displacement", "Units", "°"},
            {2, "Displacement", "Decimal_Places", "1"}, {3, "Displacement", "Name", "位移"},
            {3, "Displacement", "Units", "mm"},         {3, "Displacement", "Decimal_Places", "3"}};
}

// A lateral control panel wired into every card and the sequencer as the main window's layout does.
struct LateralPanel {
    explicit LateralPanel(ConsoleRig& rig) : rig(rig), window(*rig.context) {
        for (int i = 0; i < rig.cards.count; ++i) {
            rig.card(i).load->setOverloadTarget(window.overloadTarget());
            rig.card(i).motor->setStateTarget(window.motorStateTarget());
        }
        rig.sequencer->setPanelTarget(window.testStateTarget());
        window.setLateralPanelOpen([this] { return lateralPanelOpen; });
    }
    QToolButton* button(const QString& name) { return get<QToolButton>(&window, name); }
    QString text(const QString& name) { return findByName(&window, name)->property("text").toString(); }
    void click(const QString& name) { button(name)->click(); }
    bool pressed(const QString& name) { return button(name)->isChecked(); }
    void showDrive(TF_control_HXGD::Drive drive) {
        get<QTabWidget>(&window, "bsSkinPageControl2")->setCurrentIndex(static_cast<int>(drive));
    }
    QRadioButton* kindItem(const QString& caption) {
        for (QRadioButton* item : get(&window, "bsSkinRadioGroup1")->findChildren<QRadioButton*>())
            if (item->text() == caption) return item;
        qFatal("no kind item %s", qPrintable(caption));
    }
    ControlResultGrid* grid() { return get<ControlResultGrid>(&window, "bsSkinStringGrid1"); }

    ConsoleRig& rig;
    TF_control_HXGD window;
    bool lateralPanelOpen = false;
};

// An axial (compression) or lateral scheme of two points, opened as a batch of the machine would be.
void openScheme(ConsoleRig& rig, bool axial, ResultGrid* grid = nullptr) {
    rig.openScheme(ConsoleRig::scheme({5, 10}, {60, 110}, {40, 90}, axial), grid);
}

class RecordingPath : public PathSink {
public:
    void clearPath() override { ++clears; }
    void appendPathPoint(double, double) override {}
    void setPathAxes(double, double, double, double) override {}
    int clears = 0;
};

}  // namespace

class TestLateralConsole : public QObject {
    Q_OBJECT
private slots:
    void axialDataPanelHidesWhatTheMachineNeverSwitches();
    void lateralDataPanelShowsTheThreeAxes_data();
    void lateralDataPanelShowsTheThreeAxes();
    void lateralDataPanelTitles();
    void lateralDataPanelZeroesTheRowsCard_data();
    void lateralDataPanelZeroesTheRowsCard();

    void curveWindowHasTheTestAndThePath();
    void pathIsDrawnAroundTheMiddle();
    void toolbarsActOnTheirOwnChart();
    void bothWidthButtonsShareOneState();

    void panelStartsAsDesigned();
    void speedButtons_data();
    void speedButtons();
    void speedButtonsOfferedByDrive();
    void driveHints_data();
    void driveHints();
    void turntableDoesNotTurnUnderLoad_data();
    void turntableDoesNotTurnUnderLoad();
    void limitRefusals_data();
    void limitRefusals();
    void motorStateFollowsTheActiveDrive();
    void lateralLimitsWhileTheOperatorBoxHoldsTheAxialDrive_data();
    void lateralLimitsWhileTheOperatorBoxHoldsTheAxialDrive();
    void overloadOnAnyCardStopsTheTest_data();
    void overloadOnAnyCardStopsTheTest();
    void testStartRefusals_data();
    void testStartRefusals();
    void testStartsOnTheSchemesCard_data();
    void testStartsOnTheSchemesCard();
    void kindSpringsBackToTheScheme_data();
    void kindSpringsBackToTheScheme();
    void manualTurn_data();
    void manualTurn();
    void autoRotateLocksTheManualTurn();
    void turntableStates_data();
    void turntableStates();
    void capturedPointShowsTheOffset_data();
    void capturedPointShowsTheOffset();
    void newTestClearsTheOffsetColumns();
};

// ---------------------------------------------------------------------------------------------------------
// Data panels

void TestLateralConsole::axialDataPanelHidesWhatTheMachineNeverSwitches() {
    ConsoleRig rig(5, kCards);
    TF_datashow_ZXGD panel(*rig.context);
    QVERIFY(get(&panel, "Autogear_button")->isHidden());
    QVERIFY(get(&panel, "TestDirection_Speed")->isHidden());
    for (const char* kept : {"ClearLoad_Button", "ClearPeak_Button", "ClearDisplacement_Button",
                             "bsSkinSpeedButton11", "ClearDeform_Button"})
        QVERIFY2(!get(&panel, kept)->isHidden(), kept);
    QCOMPARE(panel.card(), 0);
}

void TestLateralConsole::lateralDataPanelShowsTheThreeAxes_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("card");
    QTest::addColumn<float>("displacement");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Y: the lateral drive, 2 decimals") << "Displacement_Label" << 1 << 1.234f << "1.23";
    QTest::newRow("X: its own sensor, 3 decimals") << "Displacement3_Label" << 3 << -0.5f << "-0.500";
    QTest::newRow("turntable angle, 1 decimal") << "Displacement2_Label" << 2 << 271.26f << "271.3";
}

void TestLateralConsole::lateralDataPanelShowsTheThreeAxes() {
    QFETCH(QString, label);
    QFETCH(int, card);
    QFETCH(float, displacement);
    QFETCH(QString, shown);
    ConsoleRig rig(5, kCards, sensorSettings());
    TF_datashow_HXGD panel(*rig.context);
    // Every other card reads something else, so a row showing the wrong card shows the wrong figure.
    for (int i = 0; i < kCards; ++i) rig.record(i).displacement = 50.0f + i;
    rig.record(card).displacement = displacement;
    rig.record(1).deformation = 0.75f;
    rig.record(0).deformation = 9.0f;
    panel.refresh();
    QCOMPARE(get<QLabel>(&panel, label)->text(), shown);
    QCOMPARE(get<QLabel>(&panel, "Deform_Label")->text(), QString("0.75"));
}

void TestLateralConsole::lateralDataPanelTitles() {
    ConsoleRig rig(5, kCards,
                   sensorSettings() + Settings{{1, "Load", "Name", "负荷"}, {1, "Load", "Units", "N"}});
    TF_datashow_HXGD panel(*rig.context);
    QCOMPARE(panel.windowTitle(), QString("横向数据显示窗口"));
    QCOMPARE(panel.card(), 1);
    const QList<std::pair<const char*, QString>> titles{{"bsSkinLabel3", "负荷  (N)"},
                                                        {"bsSkinLabel5", "Y轴位移  (mm)"},
                                                        {"bsSkinLabel1", "X轴位移  (mm)"},
                                                        {"bsSkinLabel2", "转盘角度  (°)"},
                                                        {"bsSkinLabel4", "Y轴变形  (mm)"}};
    for (const auto& [name, title] : titles) QCOMPARE(get<QLabel>(&panel, name)->text(), title);
    // No automatic gear change, no direction and no preset on this panel.
    QVERIFY(get(&panel, "Autogear_button")->isHidden());
    QVERIFY(!findByName(&panel, "TestDirection_Speed"));
    QVERIFY(!findByName(&panel, "bsSkinSpeedButton11"));
}

void TestLateralConsole::lateralDataPanelZeroesTheRowsCard_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("card");
    QTest::addColumn<bool>("answer");
    QTest::newRow("Y, yes") << "ClearDisplacement_Button" << 1 << true;
    QTest::newRow("X, yes") << "bsSkinSpeedButton2" << 3 << true;
    QTest::newRow("turntable, yes") << "bsSkinSpeedButton5" << 2 << true;
    QTest::newRow("turntable, no") << "bsSkinSpeedButton5" << 2 << false;
}

void TestLateralConsole::lateralDataPanelZeroesTheRowsCard() {
    QFETCH(QString, button);
    QFETCH(int, card);
    QFETCH(bool, answer);
    ConsoleRig rig(5, kCards);
    TF_datashow_HXGD panel(*rig.context);
    for (int i = 0; i < kCards; ++i) {
        rig.fakeCard(i).pulses = 4000;  // 1 mm on every card
        rig.card(i).displacement->ReadDisplacement();
    }
    rig.prompts.answers = {answer};
    get<QToolButton>(&panel, button)->click();
    QCOMPARE(rig.prompts.messages(), QStringList{"是否清零！！"});
    for (int i = 1; i < kCards; ++i)
        QCOMPARE(rig.card(i).displacement->ReadDisplacement(), (answer && i == card) ? 0.0f : 1.0f);
}

// ---------------------------------------------------------------------------------------------------------
// Curve window

void TestLateralConsole::curveWindowHasTheTestAndThePath() {
    ConsoleRig rig(5, kCards, sensorSettings());
    TF_chart_HXGD window(*rig.context);
    window.show();
    auto* pages = get<QTabWidget>(&window, "bsSkinPageControl1");
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(0), QString("性能测试曲线"));
    QCOMPARE(pages->tabText(1), QString("X轴-Y轴曲线"));
    for (int number : {1, 2}) {
        auto* chart = get<QCustomPlot>(&window, QStringLiteral("Chart%1").arg(number));
        QCOMPARE(chart, window.page(number)->chart());
        QCOMPARE(chart->plottableCount(), 2);  // forward and return, no characteristic curve
        QCOMPARE(chart->plottable(0)->name(), QString("进程"));
        QCOMPARE(chart->plottable(1)->name(), QString("回程"));
    }
    for (const char* name :
         {"bsSkinToolBar2", "CHART_SHOW2", "bsSkinSpeedButton2", "bsSkinSpeedButton9", "bsSkinSpeedButton12",
          "bsSkinToolBar1", "bsSkinSpeedButton10", "bsSkinStatusPanel3"})
        QVERIFY2(findByName(&window, name), name);
    QCOMPARE(window.page(2)->chart()->xAxis->label(), QString("X  位移  (mm)"));
    QCOMPARE(window.page(2)->chart()->yAxis->label(), QString("Y  位移  (mm)"));
}

void TestLateralConsole::pathIsDrawnAroundTheMiddle() {
    ConsoleRig rig(5, kCards);
    TF_chart_HXGD window(*rig.context);
    PathSink* path = window.pathSink();
    path->clearPath();
    path->appendPathPoint(0.1, -0.2);
    path->appendPathPoint(0.3, -0.4);
    path->setPathAxes(0.5, 0.1, 0.6, 0.12);
    window.curveSink()->appendPoint(0, 1.0, 10.0);
    window.drawPendingPath();
    window.drawPendingCurve();

    CurvePage* xy = window.page(2);
    QCOMPARE(xy->series(0)->dataCount(), 2);
    QCOMPARE(xy->series(0)->data()->at(1)->key, 0.3);
    QCOMPARE(xy->series(0)->data()->at(1)->value, -0.4);
    QCOMPARE(xy->bottomAxis(), (AxisScale{-0.5, 0.5, 0.1}));
    QCOMPARE(xy->leftAxis(), (AxisScale{-0.6, 0.6, 0.12}));
    // The test's curve stays on its own chart.
    QCOMPARE(window.page(1)->series(0)->dataCount(), 1);
    QCOMPARE(xy->series(1)->dataCount(), 0);

    // The next test starts an empty path; what the last one left queued is never drawn.
    path->appendPathPoint(9.0, 9.0);
    path->clearPath();
    window.drawPendingPath();
    QCOMPARE(xy->series(0)->dataCount(), 0);
    QCOMPARE(xy->bottomAxis(), (AxisScale{}));
}

void TestLateralConsole::toolbarsActOnTheirOwnChart() {
    ConsoleRig rig(5, kCards);
    TF_chart_HXGD window(*rig.context);
    window.page(1)->setBottomAxis({0, 50, 5});
    window.page(2)->setBottomAxis({-1, 1, 0.2});
    get<QToolButton>(&window, "bsSkinSpeedButton2")->click();  // zoom in, on the path
    QCOMPARE(window.page(1)->bottomAxis(), (AxisScale{0, 50, 5}));
    QCOMPARE(window.page(2)->bottomAxis().minimum, -0.9);
    get<QToolButton>(&window, "bsSkinSpeedButton18")->click();  // stretch X, on the test's curve
    QCOMPARE(window.page(1)->bottomAxis().maximum, 55.0);
    QCOMPARE(window.page(2)->bottomAxis().maximum, 0.9);
}

void TestLateralConsole::bothWidthButtonsShareOneState() {
    ConsoleRig rig(5, kCards);
    TF_chart_HXGD window(*rig.context);
    get<QToolButton>(&window, "bsSkinSpeedButton12")->click();
    QVERIFY(window.isWide());
    QCOMPARE(window.width(), TF_chart::kWideWidth_px);
    for (const char* name : {"bsSkinSpeedButton1", "bsSkinSpeedButton12"})
        QCOMPARE(get<QToolButton>(&window, name)->toolTip(), QString("曲线窗口缩小"));
    get<QToolButton>(&window, "bsSkinSpeedButton1")->click();
    QVERIFY(!window.isWide());
    QCOMPARE(window.width(), TF_chart::kNarrowWidth_px);
    QCOMPARE(get<QToolButton>(&window, "bsSkinSpeedButton12")->toolTip(), QString("曲线窗口放大"));
}

// ---------------------------------------------------------------------------------------------------------
// Control panel

void TestLateralConsole::panelStartsAsDesigned() {
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    QVERIFY(p.pressed("Stop_Button") && p.pressed("bsSkinSpeedButton29"));
    QCOMPARE(get<QTabWidget>(&p.window, "bsSkinPageControl1")->currentIndex(), 0);
    QCOMPARE(get<QTabWidget>(&p.window, "bsSkinPageControl2")->currentIndex(), 0);
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
    // 10 mm/min for both drives, and the turntable's "0.2", which the motor takes as 2.
    QCOMPARE(rig.card(0).motor->speed(), 10.0f);
    QCOMPARE(rig.card(1).motor->speed(), 10.0f);
    QCOMPARE(rig.card(2).motor->speed(), 2.0f);
    QCOMPARE(p.text("Label_speedshow0"), QString("10"));
    QCOMPARE(p.text("Label_speedshow2"), QString("0.2"));
    auto* pages = get<QTabWidget>(&p.window, "bsSkinPageControl1");
    QCOMPARE(pages->tabText(0), QString("手动控制 "));
    QCOMPARE(pages->tabText(2), QString("试验结果显示"));
}

void TestLateralConsole::speedButtons_data() {
    QTest::addColumn<int>("drive");
    QTest::addColumn<int>("button");  // 1…15
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("speed");
    QTest::newRow("axial 500 sits at the top of 400…500") << 0 << 15 << "400"
                                                          << "500" << 5000000 << "500" << 500.0f;
    QTest::newRow("axial 400 on the same range") << 0 << 14 << "400"
                                                 << "500" << 4000000 << "400" << 400.0f;
    QTest::newRow("lateral 0.05") << 1 << 1 << "0.05"
                                  << "0.1" << 500 << "0.05" << 0.05f;
    QTest::newRow("turntable 0.2 shows a tenth") << 2 << 6 << "2"
                                                 << "5" << 20000 << "0.2" << 2.0f;
    QTest::newRow("turntable 5") << 2 << 10 << "50"
                                 << "100" << 500000 << "5" << 50.0f;
}

void TestLateralConsole::speedButtons() {
    QFETCH(int, drive);
    QFETCH(int, button);
    QFETCH(QString, min);
    QFETCH(QString, max);
    QFETCH(int, position);
    QFETCH(QString, shown);
    QFETCH(float, speed);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    // Another drive's speed must stay where it was.
    const int other = (drive + 1) % TF_control_HXGD::kDrives;
    const float otherSpeed = rig.card(other).motor->speed();
    p.click(QStringLiteral("Speed%1_Button%2").arg(drive).arg(button));
    const QString suffix = drive == 0 ? QString() : QString::number(drive);
    auto* bar = get<QScrollBar>(&p.window, QStringLiteral("Speed_ScrollBar%1").arg(drive));
    QCOMPARE(p.text("min" + suffix), min);
    QCOMPARE(p.text("max" + suffix), max);
    QCOMPARE(bar->value(), position);
    QCOMPARE(p.text(QStringLiteral("Label_speedshow%1").arg(drive)), shown);
    QCOMPARE(rig.card(drive).motor->speed(), speed);
    QCOMPARE(rig.card(other).motor->speed(), otherSpeed);
}

void TestLateralConsole::speedButtonsOfferedByDrive() {
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    const auto shownCaptions = [&](int drive) {
        QStringList captions;
        for (int i = 1; i <= 15; ++i) {
            QToolButton* b = p.button(QStringLiteral("Speed%1_Button%2").arg(drive).arg(i));
            if (!b->isHidden()) captions << b->text();
        }
        return captions;
    };
    QCOMPARE(shownCaptions(0).size(), 15);
    QCOMPARE(shownCaptions(1).last(), QString("200"));
    QCOMPARE(shownCaptions(1).size(), 12);
    QCOMPARE(shownCaptions(2), (QStringList{"0.02", "0.05", "0.1", "0.2", "0.5", "1", "2", "5"}));
}

void TestLateralConsole::driveHints_data() {
    QTest::addColumn<int>("drive");
    QTest::addColumn<QString>("up");
    QTest::addColumn<QString>("down");
    QTest::newRow("axial") << 0 << "上升"
                           << "下降";
    QTest::newRow("lateral") << 1 << "进"
                             << "出";
    QTest::newRow("turntable") << 2 << "顺时针"
                               << "逆时针";
}

void TestLateralConsole::driveHints() {
    QFETCH(int, drive);
    QFETCH(QString, up);
    QFETCH(QString, down);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    p.showDrive(TF_control_HXGD::Drive::Turntable);
    p.showDrive(static_cast<TF_control_HXGD::Drive>(drive));
    QCOMPARE(p.button("UP_Button")->toolTip(), up);
    QCOMPARE(p.button("Down_Button")->toolTip(), down);
}

void TestLateralConsole::turntableDoesNotTurnUnderLoad_data() {
    QTest::addColumn<int>("drive");
    QTest::addColumn<float>("axialLoad");
    QTest::addColumn<bool>("turns");
    QTest::addColumn<QString>("status");
    QTest::newRow("0.06 on the axial drive: refused") << 2 << 0.06f << false << "电机状态：停止";
    QTest::newRow("0.05: turns") << 2 << 0.05f << true << "电机状态：正转";
    QTest::newRow("the lateral drive moves under axial load") << 1 << 0.06f << true << "电机状态：推进";
}

void TestLateralConsole::turntableDoesNotTurnUnderLoad() {
    QFETCH(int, drive);
    QFETCH(float, axialLoad);
    QFETCH(bool, turns);
    QFETCH(QString, status);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    rig.record(0).load = axialLoad;
    p.showDrive(static_cast<TF_control_HXGD::Drive>(drive));
    p.click("UP_Button");
    QCOMPARE(rig.card(drive).motor->state(), turns ? MotionState::Up : MotionState::Stopped);
    QCOMPARE(rig.prompts.messages(),
             turns ? QStringList{} : QStringList{"轴向负荷在受力状态，转盘不能进行旋转!!"});
    QCOMPARE(p.pressed("Stop_Button"), !turns);
    QCOMPARE(p.text("bsSkinStatusPanel1"), status);
    QCOMPARE(rig.card(0).motor->state(), MotionState::Stopped);
}

void TestLateralConsole::limitRefusals_data() {
    QTest::addColumn<int>("drive");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("message");
    QTest::newRow("lateral drive at its push limit") << 1 << true << "上限位停止!!";
    QTest::newRow("turntable at its lower limit") << 2 << false << "下限位停止!!";
}

void TestLateralConsole::limitRefusals() {
    QFETCH(int, drive);
    QFETCH(bool, up);
    QFETCH(QString, message);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    p.showDrive(static_cast<TF_control_HXGD::Drive>(drive));
    const QString button = up ? "UP_Button" : "Down_Button";
    // The drive runs into its limit switch.
    p.click(button);
    rig.fakeCard(drive).outCommand = up ? 1 : 2;
    rig.card(drive).motor->LimitTick();
    QCOMPARE(rig.card(drive).motor->state(), up ? MotionState::AtUpperLimit : MotionState::AtLowerLimit);
    rig.prompts.shown.clear();

    p.click(button);
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QVERIFY(p.pressed("Stop_Button"));
}

void TestLateralConsole::motorStateFollowsTheActiveDrive() {
    // Every drive reports to the panel: turning the turntable must not put the buttons back to stop
    // because the axial drive stands still.
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    p.showDrive(TF_control_HXGD::Drive::Turntable);
    p.click("Down_Button");
    QCOMPARE(rig.card(2).motor->state(), MotionState::Down);
    QVERIFY(p.pressed("Down_Button"));
    QCOMPARE(p.text("bsSkinStatusPanel1"), QString("电机状态：反转"));
    p.click("Stop_Button");
    QCOMPARE(rig.card(2).motor->state(), MotionState::Stopped);
    QCOMPARE(p.text("bsSkinStatusPanel1"), QString("电机状态：停止"));
}

void TestLateralConsole::lateralLimitsWhileTheOperatorBoxHoldsTheAxialDrive_data() {
    QTest::addColumn<int>("shownDrive");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("push limit, lateral page") << 1 << true << QStringList{"横向推进限位停止!"};
    QTest::newRow("pull limit, lateral page") << 1 << false << QStringList{"横向推出限位停止!"};
    QTest::newRow("push limit, another page: not told") << 2 << true << QStringList{};
}

void TestLateralConsole::lateralLimitsWhileTheOperatorBoxHoldsTheAxialDrive() {
    QFETCH(int, shownDrive);
    QFETCH(bool, upper);
    QFETCH(QStringList, messages);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    p.showDrive(TF_control_HXGD::Drive::Lateral);
    p.click(upper ? "UP_Button" : "Down_Button");
    p.showDrive(static_cast<TF_control_HXGD::Drive>(shownDrive));
    rig.card(0).motor->SetPendantLatch(PendantLatch::Armed);
    rig.fakeCard(1).outCommand = upper ? 1 : 2;
    rig.card(1).motor->LimitTick();
    QCoreApplication::processEvents();
    QCOMPARE(rig.prompts.messages(), messages);
    if (!messages.isEmpty()) {
        QVERIFY(p.pressed("Stop_Button"));
        QCOMPARE(p.text("bsSkinStatusPanel1"), QString("电机状态：停止"));
    }
}

void TestLateralConsole::overloadOnAnyCardStopsTheTest_data() {
    QTest::addColumn<int>("card");
    QTest::newRow("the axial drive's load") << 0;
    QTest::newRow("the lateral drive's load") << 1;
}

void TestLateralConsole::overloadOnAnyCardStopsTheTest() {
    QFETCH(int, card);
    ConsoleRig rig(5, kCards);
    createSchemeDatabase(schemeDatabasePath(rig.dir.path()));  // where the overload log goes
    LateralPanel p(rig);
    openScheme(rig, true);
    rig.setTestSpeed(50.0f);
    p.click("bsSkinSpeedButton25");
    QVERIFY(rig.sequencer->running());
    // A raw count far outside the converter's safe range trips the protection.
    rig.fakeCard(card).count = 30000;
    rig.card(card).load->ReadLoad();
    QVERIFY(!rig.sequencer->running());
    QVERIFY(p.pressed("Stop_Button") && p.pressed("bsSkinSpeedButton29"));
    QCOMPARE(p.text("bsSkinStatusPanel1"), QString("电机状态：负荷过载"));
    QCoreApplication::processEvents();
    QCOMPARE(rig.prompts.messages(), QStringList{"负荷过载!!"});
    // The trip is logged once, whichever card it was on.
    QTRY_COMPARE(OverloadLog(rig.dir.path()).list().value_or(QList<OverloadRecord>{}).size(), 1);
}

void TestLateralConsole::testStartRefusals_data() {
    QTest::addColumn<int>("scheme");  // 0 none, 1 axial, 2 lateral
    QTest::addColumn<bool>("speed");
    QTest::addColumn<bool>("lateralPanelOpen");
    QTest::addColumn<QString>("message");
    QTest::newRow("no scheme") << 0 << true << true << "请选择试验方案!!";
    QTest::newRow("no test speed") << 1 << false << true << "试验速度尚未设置！！！！";
    QTest::newRow("lateral test without its data panel")
        << 2 << true << false << "横向显示窗口尚未打开！！！！";
}

void TestLateralConsole::testStartRefusals() {
    QFETCH(int, scheme);
    QFETCH(bool, speed);
    QFETCH(bool, lateralPanelOpen);
    QFETCH(QString, message);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    p.lateralPanelOpen = lateralPanelOpen;
    if (scheme != 0) openScheme(rig, scheme == 1);
    // The kind follows the opened batch, as opening it sets it.
    p.kindItem(scheme == 2 ? "横向" : "轴向")->setChecked(true);
    if (speed) rig.setTestSpeed(50.0f);
    p.click("bsSkinSpeedButton25");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QVERIFY(!rig.sequencer->running());
    QVERIFY(p.pressed("bsSkinSpeedButton29"));
}

void TestLateralConsole::testStartsOnTheSchemesCard_data() {
    QTest::addColumn<bool>("axial");
    QTest::addColumn<int>("card");
    QTest::newRow("axial scheme: the axial drive") << true << 0;
    QTest::newRow("lateral scheme: the lateral drive") << false << 1;
}

void TestLateralConsole::testStartsOnTheSchemesCard() {
    QFETCH(bool, axial);
    QFETCH(int, card);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    p.lateralPanelOpen = true;
    RecordingPath path;
    rig.context->livePath = &path;
    openScheme(rig, axial);
    p.kindItem(axial ? "轴向" : "横向")->setChecked(true);
    rig.setTestSpeed(50.0f);
    p.click("bsSkinSpeedButton25");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QVERIFY(rig.sequencer->running());
    QCOMPARE(rig.sequencer->cardIndex(), card);
    QVERIFY(p.pressed("bsSkinSpeedButton25"));
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：正在试验"));
    p.click("bsSkinSpeedButton29");
    QVERIFY(!rig.sequencer->running());
    // The sequencer was handed the path chart: it must never draw into one the panel did not give it.
    rig.sequencer->SetLateralChart(nullptr);
}

void TestLateralConsole::kindSpringsBackToTheScheme_data() {
    QTest::addColumn<int>("scheme");  // 0 none, 1 axial, 2 lateral
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("checked");
    QTest::newRow("axial scheme, 横向 clicked") << 1 << "横向"
                                                << "轴向";
    QTest::newRow("lateral scheme, 轴向 clicked") << 2 << "轴向"
                                                  << "横向";
    QTest::newRow("no scheme: the click stands") << 0 << "横向"
                                                 << "横向";
}

void TestLateralConsole::kindSpringsBackToTheScheme() {
    QFETCH(int, scheme);
    QFETCH(QString, clicked);
    QFETCH(QString, checked);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    if (scheme != 0) openScheme(rig, scheme == 1);
    p.kindItem(clicked)->click();
    QVERIFY(p.kindItem(checked)->isChecked());
}

void TestLateralConsole::manualTurn_data() {
    QTest::addColumn<bool>("axial");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("message");
    QTest::newRow("lateral scheme") << false << int(TestState::Stored) << "横向测试不支持角度定位!!";
    QTest::newRow("already positioned")
        << true << int(TestState::TurntablePositioned) << "角度定位已经完成!!";
}

void TestLateralConsole::manualTurn() {
    QFETCH(bool, axial);
    QFETCH(int, state);
    QFETCH(QString, message);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    openScheme(rig, axial);
    rig.sequencer->SetState(static_cast<TestState>(state));
    p.click("bsSkinSpeedButton35");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QVERIFY(!rig.sequencer->turntableTimerActive());
    QCOMPARE(rig.card(2).motor->state(), MotionState::Stopped);
}

void TestLateralConsole::autoRotateLocksTheManualTurn() {
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    auto* box = get<QCheckBox>(&p.window, "bsSkinCheckRadioBox1");
    QCOMPARE(box->text(), QString("轴向试验完成后自动旋转"));
    box->click();
    QVERIFY(rig.sequencer->autoRotate());
    QVERIFY(!p.button("bsSkinSpeedButton35")->isEnabled());
    box->click();
    QVERIFY(!rig.sequencer->autoRotate());
    QVERIFY(p.button("bsSkinSpeedButton35")->isEnabled());
}

void TestLateralConsole::turntableStates_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("6 started") << 6 << "试验状态：定位开始" << QStringList{};
    QTest::newRow("7 refused") << 7 << "试验状态：定位停止"
                               << QStringList{"轴向负荷在受力状态，转盘不能进行旋转！！"};
    QTest::newRow("8 positioned") << 8 << "试验状态：定位停止" << QStringList{};
}

void TestLateralConsole::turntableStates() {
    QFETCH(int, state);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    rig.sequencer->SetState(static_cast<TestState>(state));
    QCOMPARE(p.text("bsSkinStatusPanel2"), status);
    // The message waits for the handler to return: whoever reported may be waiting for it.
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCoreApplication::processEvents();
    QCOMPARE(rig.prompts.messages(), messages);
}

void TestLateralConsole::capturedPointShowsTheOffset_data() {
    QTest::addColumn<bool>("axial");
    QTest::addColumn<QStringList>("offsetCells");
    QTest::newRow("axial: X with the X sensor's decimals, Y and offset with the Y sensor's")
        << true << QStringList{"0.123", "-0.46", "0.47"};
    QTest::newRow("lateral: no offset") << false << QStringList{"", "", ""};
}

void TestLateralConsole::capturedPointShowsTheOffset() {
    QFETCH(bool, axial);
    QFETCH(QStringList, offsetCells);
    ConsoleRig rig(5, kCards, sensorSettings());
    LateralPanel p(rig);
    openScheme(rig, axial, p.grid());
    const int k = 2;
    rig.sequencer->setPointIndex(k);
    rig.sequencer->setResult(ResultArray::valueIndex(1, k), 100.0f);
    rig.sequencer->setResult(ResultArray::stiffnessIndex(1, k), 20.0f);
    rig.sequencer->setResult(LateralResultIndex::x(k), 0.1234f);
    rig.sequencer->setResult(LateralResultIndex::y(k), -0.4567f);
    rig.sequencer->setResult(LateralResultIndex::offset(k), std::hypot(0.1234f, -0.4567f));
    rig.sequencer->SetState(TestState::PointCaptured);
    QVERIFY(!p.grid()->cell(k, 4).isEmpty());
    QVERIFY(!p.grid()->cell(k, 5).isEmpty());
    QCOMPARE((QStringList{p.grid()->cell(k, 6), p.grid()->cell(k, 7), p.grid()->cell(k, 8)}), offsetCells);
    QVERIFY(p.grid()->cell(1, 6).isEmpty());
}

void TestLateralConsole::newTestClearsTheOffsetColumns() {
    ConsoleRig rig(5, kCards);
    LateralPanel p(rig);
    openScheme(rig, true, p.grid());
    for (int column = 4; column <= 8; ++column) p.grid()->setCell(1, column, "1.0");
    rig.sequencer->SetState(TestState::Started);
    for (int column = 4; column <= 8; ++column)
        QVERIFY2(p.grid()->cell(1, column).isEmpty(), qPrintable(QString::number(column)));
    QCOMPARE(p.grid()->cell(1, 1), QString("5"));
}

QTEST_MAIN(TestLateralConsole)
#include "tst_lateral_console.moc"
