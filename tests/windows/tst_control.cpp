// The test control panel: manual motion and its refusals, the speed buttons and bar, test start with its
// refusals, the overload, motor-state and test-state messages, the result grid with its verdict colours, the
// pages of the machine types (hydraulics, closed loop, fatigue) and the direction radio group.

#include "ConsoleRig.h"
#include "platform/NumberFormat.h"
#include "sequencer/CurveSink.h"
#include "storage/OverloadLog.h"
#include "storage/Schema.h"
#include "windows/common/FindByName.h"
#include "windows/console/ControlFatiguePage.h"
#include "windows/console/ControlHydraulicsPage.h"
#include "windows/console/ControlResultGrid.h"
#include "windows/console/TF_control.h"

#include <QtTest>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>

using namespace springtest;
using springtest::testing::ConsoleRig;

namespace {

using Settings = QList<ConsoleRig::Setting>;

class RecordingSink : public CurveSink {
public:
    void clearCurve() override { ++clears; }
    void appendPoint(int, double, double) override {}
    void setAxes(double, double, double, double) override {}
    int clears = 0;
};

// A control panel wired into card 0 and the sequencer the way the main window's layout wires it.
struct Panel {
    explicit Panel(ConsoleRig& rig) : rig(rig), window(*rig.context, 0) {
        rig.card().load->setOverloadTarget(window.overloadTarget());
        rig.card().motor->setStateTarget(window.motorStateTarget());
        rig.sequencer->setPanelTarget(window.testStateTarget());
    }
    QToolButton* button(const QString& name) { return findByName<QToolButton>(&window, name); }
    QString text(const QString& name) { return findByName(&window, name)->property("text").toString(); }
    void click(const QString& name) { button(name)->click(); }
    bool pressed(const QString& name) { return button(name)->isChecked(); }
    ControlResultGrid* grid() { return findByName<ControlResultGrid>(&window, "bsSkinStringGrid1"); }
    QTabWidget* pages() { return findByName<QTabWidget>(&window, "bsSkinPageControl1"); }
    bool tabShown(const QString& page) {
        return pages()->isTabVisible(pages()->indexOf(findByName<QWidget>(&window, page)));
    }

    ConsoleRig& rig;
    TF_control window;
};

// Trips the load channel's protection with a raw count far outside the converter's safe range.
void tripLoad(ConsoleRig& rig, int32_t count) {
    rig.fakeCard().count = count;
    rig.card().load->ReadLoad();
}

}  // namespace

class TestControl : public QObject {
    Q_OBJECT
private slots:
    void verdictColours_data();
    void verdictColours();
    void verdictColoursWithEmptyLimits_data();
    void verdictColoursWithEmptyLimits();
    void pagesByMachineType_data();
    void pagesByMachineType();
    void speedButtons_data();
    void speedButtons();
    void manualMotionRefusals_data();
    void manualMotionRefusals();
    void motorStateMessages_data();
    void motorStateMessages();
    void testStartRefusals_data();
    void testStartRefusals();
    void precompressionsChosenReachTheTest_data();
    void precompressionsChosenReachTheTest();
    void startDuringATestIsRefused();
    void overload_data();
    void overload();
    void capturedPoint_data();
    void capturedPoint();
    void testStateTexts();
    void radioGroupFollowsTheScheme();
    void hydraulicRelays_data();
    void hydraulicRelays();
    void oilFillingTurnsTheCylinders();
    void closedLoopPage();
    void fatigueRefusals_data();
    void fatigueRefusals();
    void fatigueReachesItsTarget();
    void fatigueStoppedEarly_data();
    void fatigueStoppedEarly();
    void fatigueCountThatCannotBeKeptIsSaid();
};

void TestControl::verdictColours_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");  // invalid: not coloured
    const QColor red(Qt::red), lime(0, 255, 0), blue(Qt::blue), none;
    // Value columns against upper "150" and lower "140"; stiffness against 12.5 … 10.
    QTest::newRow("value above the upper limit") << 4 << "150.001" << red;
    QTest::newRow("value at the upper limit") << 4 << "150.000" << lime;
    QTest::newRow("value at the lower limit") << 4 << "140" << lime;
    QTest::newRow("value below the lower limit") << 4 << "139.999" << blue;
    QTest::newRow("stiffness above") << 5 << "12.51" << red;
    QTest::newRow("stiffness at the maximum") << 5 << "12.50" << lime;
    QTest::newRow("stiffness at the minimum") << 5 << "10.00" << lime;
    QTest::newRow("stiffness below") << 5 << "9.99" << blue;
    QTest::newRow("empty cell") << 4 << "" << none;
    QTest::newRow("limit column") << 2 << "150" << none;
}

void TestControl::verdictColours() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    const std::optional<QColor> drawn = resultCellColour(column, text, "150", "140", 12.5, 10.0);
    QCOMPARE(drawn.value_or(QColor()), colour);
}

void TestControl::verdictColoursWithEmptyLimits_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<double>("stiffnessMax");
    QTest::addColumn<double>("stiffnessMin");
    QTest::addColumn<QColor>("colour");  // invalid: not coloured
    // A limit left empty is stored as 0: both 0 were never set, and nothing is judged against them.
    QTest::newRow("value, limits never set") << 4 << "145.000"
                                             << "0"
                                             << "0" << 0.0 << 0.0 << QColor();
    QTest::newRow("stiffness, limits never set") << 5 << "11.00"
                                                 << "150"
                                                 << "140" << 0.0 << 0.0 << QColor();
    QTest::newRow("value, only the lower limit empty") << 4 << "151.000"
                                                       << "150"
                                                       << "0" << 0.0 << 0.0 << QColor(Qt::red);
}

void TestControl::verdictColoursWithEmptyLimits() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QFETCH(double, stiffnessMax);
    QFETCH(double, stiffnessMin);
    QFETCH(QColor, colour);
    const std::optional<QColor> drawn =
        resultCellColour(column, text, upper, lower, stiffnessMax, stiffnessMin);
    QCOMPARE(drawn.value_or(QColor()), colour);
}

void TestControl::pagesByMachineType_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<bool>("hydraulics");
    QTest::addColumn<bool>("fatigue");
    QTest::addColumn<bool>("precompression");
    QTest::newRow("0") << 0 << false << false << false;
    QTest::newRow("2") << 2 << true << false << false;
    QTest::newRow("3") << 3 << true << false << true;
    QTest::newRow("6") << 6 << false << true << false;
}

void TestControl::pagesByMachineType() {
    QFETCH(int, machineType);
    QFETCH(bool, hydraulics);
    QFETCH(bool, fatigue);
    QFETCH(bool, precompression);
    ConsoleRig rig(machineType, machineType == 6 ? 2 : 1);
    Panel p(rig);
    QCOMPARE(p.pages()->count(), 6);
    QCOMPARE(p.pages()->currentIndex(), 0);
    QVERIFY(p.tabShown("bsSkinTabSheet1") && p.tabShown("bsSkinTabSheet2"));
    QVERIFY(!p.tabShown("bsSkinTabSheet3"));
    QCOMPARE(p.tabShown("bsSkinTabSheet4"), hydraulics);
    QVERIFY(!p.tabShown("bsSkinTabSheet5"));  // the closed loop waits for the operator's rights
    QCOMPARE(p.tabShown("bsSkinTabSheet6"), fatigue);
    QCOMPARE(!findByName<QWidget>(&p.window, "test_Cycle_ComboBox")->isHidden(), precompression);
    QCOMPARE(!findByName<QWidget>(&p.window, "SpringHeight_Label")->isHidden(), !precompression);
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
    QVERIFY(p.pressed("Stop_Button") && p.pressed("TestStop_SpeedButton") && p.pressed("Speed_Button8"));
}

void TestControl::speedButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("minText");
    QTest::addColumn<QString>("maxText");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("speed");
    QTest::newRow("10") << "Speed_Button8" << 100000 << 200000 << 10000 << "10"
                        << "20"
                        << "10" << 10.0f;
    QTest::newRow("0.05") << "Speed_Button1" << 500 << 1000 << 10 << "0.05"
                          << "0.1"
                          << "0.05" << 0.05f;
    QTest::newRow("0.2") << "Speed_Button3" << 2000 << 5000 << 100 << "0.2"
                         << "0.5"
                         << "0.2" << 0.2f;
    QTest::newRow("5.0") << "Speed_Button7" << 50000 << 100000 << 1000 << "5"
                         << "10"
                         << "5" << 5.0f;
    QTest::newRow("500 sits at the top") << "Speed_Button15" << 4000000 << 5000000 << 10000 << "400"
                                         << "500"
                                         << "500" << 500.0f;
}

void TestControl::speedButtons() {
    QFETCH(QString, button);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(int, step);
    QFETCH(QString, minText);
    QFETCH(QString, maxText);
    QFETCH(QString, shown);
    QFETCH(float, speed);
    ConsoleRig rig;
    Panel p(rig);
    // From elsewhere, so that the button has something to change.
    p.click(button == "Speed_Button11" ? "Speed_Button2" : "Speed_Button11");
    p.click(button);
    auto* bar = findByName<QScrollBar>(&p.window, "bsSkinScrollBar1");
    QCOMPARE(bar->minimum(), low);
    QCOMPARE(bar->maximum(), high);
    QCOMPARE(bar->singleStep(), step);
    QCOMPARE(bar->pageStep(), step);
    QCOMPARE(p.text("min"), minText);
    QCOMPARE(p.text("max"), maxText);
    QCOMPARE(p.text("Label_speedshow"), shown);
    QCOMPARE(rig.card().motor->speed(), speed);

    // Moving the bar sets the speed it points at, to a thousandth.
    const int position = low + (high - low) / 3 + 7;
    bar->setValue(position);
    const double moved = std::round(position / 10.0) / 1000.0;
    QCOMPARE(rig.card().motor->speed(), float(moved));
    QCOMPARE(p.text("Label_speedshow").toDouble(), moved);
}

void TestControl::manualMotionRefusals_data() {
    QTest::addColumn<int>(
        "blockage");  // 0: tension overload, 1: compression overload, 2: upper limit, 3: lower limit
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    const QString up = "当前负荷过载或已达到上限位！！", down = "当前负荷过载或已达到下限位！！";
    QTest::newRow("up after a tension overload") << 0 << "UP_Button" << up;
    QTest::newRow("down after a compression overload") << 1 << "Down_Button" << down;
    QTest::newRow("up at the upper limit") << 2 << "UP_Button" << up;
    QTest::newRow("down at the lower limit") << 3 << "Down_Button" << down;
}

void TestControl::manualMotionRefusals() {
    QFETCH(int, blockage);
    QFETCH(QString, button);
    QFETCH(QString, message);
    ConsoleRig rig;
    Panel p(rig);
    rig.card().load->setOverloadTarget(nullptr);  // only the refusal is of interest here
    TMotor& motor = *rig.card().motor;
    switch (blockage) {
        case 0:
            tripLoad(rig, -30000);
            break;
        case 1:
            tripLoad(rig, 30000);
            break;
        case 2:
        case 3:
            // The crosshead runs into its limit switch.
            p.click(blockage == 2 ? "UP_Button" : "Down_Button");
            rig.fakeCard().outCommand = blockage == 2 ? 1 : 2;
            motor.LimitTick();
            QCOMPARE(p.text("bsSkinStatusPanel1"),
                     blockage == 2 ? QString("电机状态：上限位停止") : QString("电机状态：下限位停止"));
            break;
    }
    QVERIFY(p.pressed("Stop_Button"));
    rig.fakeCard().moves.clear();
    rig.prompts.shown.clear();

    p.click(button);
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QVERIFY(p.pressed("Stop_Button"));
    QVERIFY(rig.fakeCard().moves.empty());
    // The other way is free.
    rig.prompts.shown.clear();
    p.click(button == "UP_Button" ? "Down_Button" : "UP_Button");
    QVERIFY(rig.prompts.shown.isEmpty());
    QVERIFY(!p.pressed("Stop_Button"));
}

void TestControl::motorStateMessages_data() {
    QTest::addColumn<int>("input");  // operator-box key pressed: 1 up, 2 down, 0 stop (after up), 3 test
    QTest::addColumn<bool>("tripped");
    QTest::addColumn<QString>("pressedButton");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("up") << 1 << false << "UP_Button"
                        << "电机状态：上升" << QStringList{};
    QTest::newRow("down") << 2 << false << "Down_Button"
                          << "电机状态：下降" << QStringList{};
    QTest::newRow("stop") << 0 << false << "Stop_Button"
                          << "电机状态：停止" << QStringList{};
    QTest::newRow("up refused by an overload") << 1 << true << "Stop_Button"
                                               << "电机状态：停止" << QStringList{"负荷过载!!"};
    // The start the test key asks for is refused without a scheme, which leaves the stop button down.
    QTest::newRow("test key starts a test") << 3 << false << "TestStop_SpeedButton"
                                            << "电机状态：停止" << QStringList{"请选择试验方案!!"};
}

void TestControl::motorStateMessages() {
    QFETCH(int, input);
    QFETCH(bool, tripped);
    QFETCH(QString, pressedButton);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);
    ConsoleRig rig;
    Panel p(rig);
    rig.card().load->setOverloadTarget(nullptr);
    TMotor& motor = *rig.card().motor;
    if (tripped) tripLoad(rig, -30000);
    if (input == 0) p.click("UP_Button");
    rig.prompts.shown.clear();

    // A key is taken once; the stop key re-arms the box.
    motor.SetPendantLatch(input == 0 ? PendantLatch::KeyTaken : PendantLatch::Armed);
    rig.fakeCard().outCommand = static_cast<uint8_t>(input);
    motor.PendantTick();
    QCOMPARE(rig.prompts.messages(), messages);
    QVERIFY(p.pressed(pressedButton));
    QCOMPARE(p.text("bsSkinStatusPanel1"), status);
}

void TestControl::testStartRefusals_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<bool>("scheme");
    QTest::addColumn<bool>("speed");
    QTest::addColumn<QString>("message");
    QTest::newRow("no scheme") << 0 << false << true << "请选择试验方案!!";
    QTest::newRow("no test speed") << 0 << true << false << "试验速度尚未设置！！";
    QTest::newRow("no precompression count") << 3 << true << true << "预压次数尚未设置！！";
    QTest::newRow("ready") << 0 << true << true << "";
}

void TestControl::testStartRefusals() {
    QFETCH(int, machineType);
    QFETCH(bool, scheme);
    QFETCH(bool, speed);
    QFETCH(QString, message);
    ConsoleRig rig(machineType);
    RecordingSink sink;
    rig.context->liveCurve = &sink;
    Panel p(rig);
    if (scheme) rig.openScheme(ConsoleRig::scheme({10, 20}, {0, 0}, {0, 0}), p.window.resultGrid());
    if (speed) rig.setTestSpeed(50.0f);

    p.click("TestStart_SpeedButton");
    if (!message.isEmpty()) {
        QCOMPARE(rig.prompts.messages(), QStringList{message});
        QVERIFY(p.pressed("TestStop_SpeedButton"));
        QVERIFY(!rig.sequencer->running());
        QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
        QCOMPARE(sink.clears, 0);
        return;
    }
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QVERIFY(rig.sequencer->running());
    QVERIFY(p.pressed("TestStart_SpeedButton"));
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：正在试验"));
    // The test draws into the live curve, and the crosshead goes down to the spring at the test speed.
    QCOMPARE(sink.clears, 1);
    QVERIFY(p.pressed("Down_Button"));
    QCOMPARE(rig.card().motor->speed(), 50.0f);

    p.click("TestStop_SpeedButton");
    QVERIFY(!rig.sequencer->running());
    QVERIFY(p.pressed("Stop_Button"));
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
}

void TestControl::precompressionsChosenReachTheTest_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("count");
    QTest::newRow("none: pressed once before measuring") << "0" << 0;
    QTest::newRow("two") << "2" << 2;
    QTest::newRow("the most offered") << "8" << 8;
}

void TestControl::precompressionsChosenReachTheTest() {
    QFETCH(QString, chosen);
    QFETCH(int, count);
    ConsoleRig rig(3);
    Panel p(rig);
    auto* combo = findByName<QComboBox>(&p.window, "test_Cycle_ComboBox");
    QCOMPARE(combo->count(), 9);
    rig.openScheme(ConsoleRig::scheme({10, 20}, {0, 0}, {0, 0}), p.window.resultGrid());
    rig.setTestSpeed(50.0f);
    combo->setCurrentText(chosen);

    p.click("TestStart_SpeedButton");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QVERIFY(rig.sequencer->running());
    QCOMPARE(rig.sequencer->precompressCount(), count);
    QCOMPARE(rig.sequencer->cycle(), 1);
    QVERIFY(!rig.sequencer->inMeasuringCycle());
    p.click("TestStop_SpeedButton");
}

void TestControl::startDuringATestIsRefused() {
    ConsoleRig rig;
    Panel p(rig);
    rig.openScheme(ConsoleRig::scheme({10, 20}, {0, 0}, {0, 0}), p.window.resultGrid());
    rig.setTestSpeed(50.0f);
    p.click("TestStart_SpeedButton");
    rig.sequencer->setResult(ResultArray::valueIndex(1, 1), 12.0f);

    // Pressed again (or the operator box's test key): the test under way goes on with what it measured.
    p.click("TestStart_SpeedButton");
    QCOMPARE(rig.prompts.messages(), QStringList{"试验正在进行!!"});
    QVERIFY(rig.sequencer->running());
    QVERIFY(p.pressed("TestStart_SpeedButton"));
    QCOMPARE(rig.sequencer->results().value(1, 1), 12.0f);
}

void TestControl::overload_data() {
    QTest::addColumn<bool>("testRunning");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("pressedButton");
    QTest::newRow("during a test") << true << "负荷过载，试验停止!!"
                                   << "TestStop_SpeedButton";
    QTest::newRow("moving by hand") << false << "负荷过载!!!!"
                                    << "Stop_Button";
}

void TestControl::overload() {
    QFETCH(bool, testRunning);
    QFETCH(QString, message);
    QFETCH(QString, pressedButton);
    ConsoleRig rig;
    createSchemeDatabase(schemeDatabasePath(rig.dir.path()));
    Panel p(rig);
    if (testRunning) {
        rig.openScheme(ConsoleRig::scheme({10}, {0}, {0}), p.window.resultGrid());
        rig.setTestSpeed(50.0f);
        p.click("TestStart_SpeedButton");
        QVERIFY(rig.sequencer->running());
    } else {
        p.click("Down_Button");
    }
    rig.fakeCard().moves.clear();

    tripLoad(rig, 30000);
    // The handler has returned before the operator is told: the acquisition thread waits for the handler,
    // never for the operator.
    QVERIFY(rig.prompts.messages().isEmpty());
    QTRY_COMPARE(rig.prompts.messages(), QStringList{message});
    QVERIFY(!rig.sequencer->running());
    QVERIFY(p.pressed(pressedButton));
    QVERIFY(p.pressed("Stop_Button"));
    QCOMPARE(rig.card().motor->state(), MotionState::Stopped);
    QCOMPARE(rig.fakeCard().moves.back(), std::string("stop"));
    QCOMPARE(p.text("bsSkinStatusPanel1"), QString("电机状态：负荷过载"));
    if (testRunning) QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
    // The trip is in the overload log, with the load that tripped, once the handler has returned.
    QCOMPARE(rig.card().load->tripKind(), TripKind::CompressionOverload);
    QTRY_COMPARE(OverloadLog(rig.dir.path()).list().value_or(QList<OverloadRecord>{}).size(), 1);
    const OverloadRecord record = OverloadLog(rig.dir.path()).list().value().first();
    QCOMPARE(record.loadMax, FormatByDecimals(rig.card().load->decimals(), rig.card().load->load()));
    QCOMPARE(rig.prompts.messages(), QStringList{message});
}

void TestControl::capturedPoint_data() {
    QTest::addColumn<QString>("units");
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("stiffness");
    QTest::addColumn<QString>("valueText");
    QTest::addColumn<QString>("stiffnessText");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QColor>("valueColour");
    QTest::addColumn<QColor>("stiffnessColour");
    const QColor red(Qt::red), lime(0, 255, 0), blue(Qt::blue);
    // Point 2's limits are 150 … 140; the stiffness limits 12.5 … 10.
    QTest::newRow("at the upper limit") << "N" << 150.0f << 11.0f << "150.000"
                                        << "11.00"
                                        << "合格" << lime << lime;
    QTest::newRow("above") << "N" << 150.01f << 13.0f << "150.010"
                           << "13.00"
                           << "强" << red << red;
    QTest::newRow("below") << "N" << 139.5f << 9.0f << "139.500"
                           << "9.00"
                           << "弱" << blue << blue;
    QTest::newRow("stiffness per metre in kN") << "kN" << 145.0f << 0.0112f << "145.000"
                                               << "11.20"
                                               << "合格" << lime << lime;
}

void TestControl::capturedPoint() {
    QFETCH(QString, units);
    QFETCH(float, value);
    QFETCH(float, stiffness);
    QFETCH(QString, valueText);
    QFETCH(QString, stiffnessText);
    QFETCH(QString, verdict);
    QFETCH(QColor, valueColour);
    QFETCH(QColor, stiffnessColour);
    ConsoleRig rig(Settings{{0, "Load", "Units", units}});
    Panel p(rig);
    ttest_info scheme = ConsoleRig::scheme({30, 20, 10}, {200, 150, 100}, {190, 140, 90});
    scheme.scheme_gangdu_max = 12.5;
    scheme.scheme_gangdu_min = 10;
    rig.openScheme(scheme, p.window.resultGrid());
    rig.setTestSpeed(50.0f);
    p.click("TestStart_SpeedButton");

    TTestStyle& seq = *rig.sequencer;
    seq.setStroke(1);
    seq.setPointIndex(2);
    seq.setResult(ResultArray::valueIndex(1, 2), value);
    seq.setResult(ResultArray::stiffnessIndex(1, 2), stiffness);
    seq.SetState(TestState::PointCaptured);

    ControlResultGrid* grid = p.grid();
    QCOMPARE(grid->cell(2, 4), valueText);
    QCOMPARE(grid->cell(2, 5), stiffnessText);
    QCOMPARE(grid->cell(2, ControlResultGrid::kVerdictColumn), verdict);
    QVERIFY(grid->isColumnHidden(ControlResultGrid::kVerdictColumn));
    QCOMPARE(grid->cell(1, 4), QString());

    // What the operator sees: the cells filled with the verdict's colour.
    p.window.show();
    p.pages()->setCurrentIndex(1);
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    const QImage image = grid->viewport()->grab().toImage();
    const auto fillOf = [&](int column) {
        return QColor(
            image.pixel(grid->visualRect(grid->model()->index(2, column)).topLeft() + QPoint(2, 2)));
    };
    QCOMPARE(fillOf(4), valueColour);
    QCOMPARE(fillOf(5), stiffnessColour);

    // The next test starts with the measured columns empty.
    p.click("TestStop_SpeedButton");
    p.click("TestStart_SpeedButton");
    QCOMPARE(grid->cell(2, 4), QString());
    QCOMPARE(grid->cell(2, 5), QString());
    QCOMPARE(grid->cell(2, 1), QString("20"));
}

void TestControl::testStateTexts() {
    ConsoleRig rig;
    Panel p(rig);
    TTestStyle& seq = *rig.sequencer;
    rig.openScheme(ConsoleRig::scheme({10}, {0}, {0}), p.window.resultGrid());
    rig.setTestSpeed(50.0f);
    seq.SetAutoRepeat(true);
    seq.SetRepeatCount(5);
    p.click("TestStart_SpeedButton");
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：正在试验  共5次 第1次"));

    // Three curve samples, then the test ends and is stored with its height.
    for (int i = 0; i < 3; ++i) seq.ChartFeed();
    seq.setResult(0, 47.25f);
    seq.FinishTest();
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
    QVERIFY(p.pressed("TestStop_SpeedButton"));

    rig.prompts.shown.clear();
    seq.OnSaveTimer();  // the save timer's moment, without waiting for it
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：正在保存数据，请等待...."));
    QCOMPARE(p.text("SpringHeight_Label"), QString("47.250"));
    QCOMPARE(rig.prompts.shown.size(), 1);
    QCOMPARE(rig.prompts.shown[0].caption, QString("保存数据"));
    QCOMPARE(rig.prompts.shown[0].text, QString("保存数据中....."));
    QCOMPARE(rig.prompts.progressMaximum, 2);
    QCOMPARE(rig.prompts.progressLast, 2);

    seq.SetState(TestState::Stored);
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：数据保存完成!!"));
    // The rig has no storage: the store fails, and the series with it.
    QTRY_COMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：数据保存错误!!"));

    // A new test clears the height; without a series the status is the plain one.
    seq.SetAutoRepeat(false);
    p.click("TestStart_SpeedButton");
    QCOMPARE(p.text("SpringHeight_Label"), QString());
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：正在试验"));
}

void TestControl::radioGroupFollowsTheScheme() {
    ConsoleRig rig;
    Panel p(rig);
    const QList<QRadioButton*> items =
        findByName(&p.window, "bsSkinRadioGroup1")->findChildren<QRadioButton*>();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QString("拉向"));
    QCOMPARE(items[1]->text(), QString("压向"));

    items[0]->click();  // no scheme: the operator's choice stands
    QVERIFY(items[0]->isChecked());
    rig.openScheme(ConsoleRig::scheme({10}, {0}, {0}, true));
    items[0]->click();
    QVERIFY(items[1]->isChecked());
    rig.openScheme(ConsoleRig::scheme({10}, {0}, {0}, false));
    items[1]->click();
    QVERIFY(items[0]->isChecked());
}

void TestControl::hydraulicRelays_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QList<int>>("relays");  // relays 1…8 afterwards
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::newRow("pump on") << QStringList{"START_SpeedButton"} << QList<int>{8, 0, 0, 0, 0, 0, 0, 0}
                             << QStringList{} << QStringList{};
    QTest::newRow("pump on and off") << QStringList{"START_SpeedButton", "START_SpeedButton"}
                                     << QList<int>{0, 0, 0, 0, 0, 0, 0, 0} << QStringList{} << QStringList{};
    QTest::newRow("relief valve") << QStringList{"YLF_SpeedButton"} << QList<int>{0, 0, 0, 8, 0, 0, 0, 0}
                                  << QStringList{} << QStringList{};
    QTest::newRow("cylinder up") << QStringList{"YG_UP_SpeedButton"} << QList<int>{0, 8, 0, 0, 0, 0, 0, 0}
                                 << QStringList{"YG_STOP_SpeedButton"}
                                 << QStringList{"YG_UP_SpeedButton", "YG_DOWN_SpeedButton"};
    QTest::newRow("cylinder down, then stop")
        << QStringList{"YG_DOWN_SpeedButton", "YG_STOP_SpeedButton"} << QList<int>{0, 0, 0, 0, 0, 0, 0, 0}
        << QStringList{"YG_UP_SpeedButton", "YG_DOWN_SpeedButton"} << QStringList{"YG_STOP_SpeedButton"};
    QTest::newRow("crossbeam down") << QStringList{"HL_DOWN_SpeedButton"}
                                    << QList<int>{0, 0, 0, 0, 0, 8, 0, 0}
                                    << QStringList{"HL_STOP_SpeedButton"} << QStringList{"HL_UP_SpeedButton"};
    QTest::newRow("lower cylinder out, then in")
        << QStringList{"XC_UP_SpeedButton", "XC_STOP_SpeedButton", "XC_DOWN_SpeedButton"}
        << QList<int>{0, 0, 0, 0, 0, 0, 0, 8} << QStringList{"XC_STOP_SpeedButton"}
        << QStringList{"XC_UP_SpeedButton"};
}

void TestControl::hydraulicRelays() {
    QFETCH(QStringList, clicks);
    QFETCH(QList<int>, relays);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    ConsoleRig rig(2);
    Panel p(rig);
    for (const QString& name : clicks) p.click(name);
    QList<int> now;
    for (int r = 1; r <= 8; ++r) now << rig.card().motor->GetRelay(r);
    QCOMPARE(now, relays);
    for (const QString& name : enabled) QVERIFY2(p.button(name)->isEnabled(), qPrintable(name));
    for (const QString& name : disabled) QVERIFY2(!p.button(name)->isEnabled(), qPrintable(name));
    QCOMPARE(p.text("START_SpeedButton"),
             QString(clicks.count("START_SpeedButton") == 1 ? "油泵关" : "油泵开"));
}

void TestControl::oilFillingTurnsTheCylinders() {
    ConsoleRig rig(2);
    Panel p(rig);
    auto* page = findByName<ControlHydraulicsPage>(&p.window, "bsSkinTabSheet4");
    TMotor& motor = *rig.card().motor;
    const auto relays = [&] {
        return QList<int>{motor.GetRelay(2), motor.GetRelay(3), motor.GetRelay(7), motor.GetRelay(8)};
    };

    p.click("bsSkinSpeedButton15");
    QCOMPARE(p.text("bsSkinSpeedButton15"), QString("冲油关"));
    QVERIFY(p.pressed("YG_UP_SpeedButton") && p.pressed("XC_UP_SpeedButton"));
    QCOMPARE(relays(), (QList<int>{8, 0, 8, 0}));

    rig.record().displacement = 399.0f;
    page->fillingTick();
    QCOMPARE(relays(), (QList<int>{8, 0, 8, 0}));
    rig.record().displacement = 400.0f;
    page->fillingTick();
    QVERIFY(p.pressed("YG_DOWN_SpeedButton") && p.pressed("XC_DOWN_SpeedButton"));
    QCOMPARE(relays(), (QList<int>{0, 8, 0, 8}));
    rig.record().displacement = 200.0f;
    page->fillingTick();
    QCOMPARE(relays(), (QList<int>{8, 0, 8, 0}));

    p.click("bsSkinSpeedButton15");
    QCOMPARE(p.text("bsSkinSpeedButton15"), QString("冲油开"));
    QVERIFY(p.pressed("YG_STOP_SpeedButton") && p.pressed("XC_STOP_SpeedButton"));
    QCOMPARE(relays(), (QList<int>{0, 0, 0, 0}));
    rig.record().displacement = 450.0f;
    page->fillingTick();  // the timer is off; even a late tick finds nothing running
    QCOMPARE(relays(), (QList<int>{0, 0, 0, 0}));
    // Turning round, neither cylinder had its up and down valves open at once, not even between two writes.
    for (const std::vector<uint8_t>& written : rig.fakeCard().relayWrites) {
        QVERIFY(written.at(1) == 0 || written.at(2) == 0);
        QVERIFY(written.at(6) == 0 || written.at(7) == 0);
    }
}

void TestControl::closedLoopPage() {
    ConsoleRig rig(2, 1,
                   {{0, "Motor", "ControlMode", "1"},
                    {0, "PID", "FAPIAN", "2100"},
                    {0, "PID", "upper", "300"},
                    {0, "PID", "Low", "-300"}});
    Panel p(rig);
    TMotor& motor = *rig.card().motor;
    const auto edit = [&](const char* name) { return findByName<QLineEdit>(&p.window, name); };
    // The valve settings the channel works with.
    QCOMPARE(edit("fapian_Edit")->text(), QString("2100"));
    QCOMPARE(edit("edit_high")->text(), QString("300"));
    QCOMPARE(edit("edit_low")->text(), QString("-300"));

    edit("bsSkinEdit5")->setText("2.5");
    p.click("bsSkinSpeedButton17");
    QCOMPARE(int(motor.servo().pidMode), 2);
    QCOMPARE(motor.servo().setPoint, 2.5);
    edit("bsSkinEdit4")->setText("12.5");
    p.click("bsSkinSpeedButton3");
    QCOMPARE(int(motor.servo().pidMode), 1);
    QCOMPARE(motor.servo().setPoint, 1250.0);
    p.click("bsSkinSpeedButton18");
    QCOMPARE(int(motor.servo().pidMode), 3);
    QCOMPARE(motor.servo().rampRate, 50.0f);
    p.click("bsSkinSpeedButton4");
    QVERIFY(!motor.pidTimerActive());

    edit("fapian_Edit")->setText("2050");
    edit("edit_high")->setText("10");
    edit("edit_low")->setText("x");
    p.click("bsSkinSpeedButton31");
    QCOMPARE(rig.prompts.messages(), QStringList{"'x' is not a valid integer value"});
    const ProfileFile config(channelConfigFile(rig.dir.path(), 0));
    QCOMPARE(config.readInt("pid", "fapian", 0), 2100);
    edit("edit_low")->setText("-10");
    p.click("bsSkinSpeedButton31");
    QCOMPARE(config.readInt("pid", "fapian", 0), 2050);
    QCOMPARE(config.readInt("pid", "upper", 0), 10);
    QCOMPARE(config.readInt("pid", "low", 0), -10);
    // The running channel takes the settings too, not only the file read at the next start.
    QCOMPARE(motor.servo().valveZero, 2050);
    QCOMPARE(motor.servo().upper, 10);
    QCOMPARE(motor.servo().low, -10);
}

void TestControl::fatigueRefusals_data() {
    QTest::addColumn<bool>("wireConnected");
    QTest::addColumn<bool>("mainsOn");
    QTest::addColumn<QString>("message");
    QTest::newRow("break-stop wire open") << false << true << "请先把断裂停机导线进行正确连接！！";
    QTest::newRow("mains off") << true << false << "请先闭合软件界面上的电路开关，并给系统上电！";
}

void TestControl::fatigueRefusals() {
    QFETCH(bool, wireConnected);
    QFETCH(bool, mainsOn);
    QFETCH(QString, message);
    ConsoleRig rig(6, 2);
    Panel p(rig);
    TMotor& motor = *rig.card().motor;
    rig.fakeCard().outCommand = wireConnected ? 4 : 0;
    motor.LimitTick();
    if (mainsOn) motor.SetRelay(1, 8);

    p.click("bsSkinSpeedButton6");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QVERIFY(p.pressed("bsSkinSpeedButton7"));
    QCOMPARE(int(motor.GetRelay(2)), 0);
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
}

namespace {

// A fatigue test under way: 5 cycles stored, 20 wanted, the wire connected and the mains on.
void startFatigue(ConsoleRig& rig, Panel& p) {
    ProfileFile counter(FatigueTest::counterFilePath(rig.dir.path()));
    QVERIFY(counter.writeString("稳定杆疲劳试验", "当前试验次数", "5"));
    QVERIFY(counter.writeString("稳定杆疲劳试验", "试验次数", "20"));
    findByName<ControlFatiguePage>(&p.window, "bsSkinTabSheet6")->loadCounterFile();
    QCOMPARE(p.text("test_Views_Label"), QString("5"));
    QCOMPARE(p.text("Fatigue_Viewsf_Edit"), QString("20"));
    rig.fakeCard().outCommand = 4;
    rig.card().motor->LimitTick();
    rig.card().motor->SetRelay(1, 8);
    p.click("bsSkinSpeedButton6");
    QVERIFY(rig.prompts.shown.isEmpty());
    QCOMPARE(int(rig.card().motor->GetRelay(2)), 8);
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：正在疲劳试验"));
}

}  // namespace

void TestControl::fatigueReachesItsTarget() {
    ConsoleRig rig(6, 2);
    Panel p(rig);
    startFatigue(rig, p);
    auto* page = findByName<ControlFatiguePage>(&p.window, "bsSkinTabSheet6");
    const QString file = FatigueTest::counterFilePath(rig.dir.path());

    rig.record(1).displacement = 150.4f;  // 15 cycles: 20 done, still within the target
    page->fatigueTick();
    QCOMPARE(p.text("test_Views_Label"), QString("20"));
    QCOMPARE(int(rig.card().motor->GetRelay(2)), 8);

    rig.record(1).displacement = 160.0f;
    page->fatigueTick();
    QCOMPARE(int(rig.card().motor->GetRelay(2)), 0);
    QVERIFY(p.pressed("bsSkinSpeedButton7"));
    QCOMPARE(p.text("bsSkinStatusPanel2"), QString("试验状态：试验停止"));
    QVERIFY(rig.prompts.shown.isEmpty());
    QCOMPARE(ProfileFile(file).readString("稳定杆疲劳试验", "当前试验次数", ""), QString("5"));
}

void TestControl::fatigueStoppedEarly_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("status");
    QTest::newRow("no") << false << "5"
                        << "试验状态：正在疲劳试验";
    QTest::newRow("yes") << true << "12"
                         << "试验状态：试验停止";
}

void TestControl::fatigueStoppedEarly() {
    QFETCH(bool, save);
    QFETCH(QString, stored);
    QFETCH(QString, status);
    ConsoleRig rig(6, 2);
    Panel p(rig);
    startFatigue(rig, p);
    auto* page = findByName<ControlFatiguePage>(&p.window, "bsSkinTabSheet6");
    rig.record(1).displacement = 70.0f;
    for (int i = 0; i < 10; ++i) page->fatigueTick();
    QCOMPARE(p.text("test_Views_Label"), QString("12"));
    QCOMPARE(p.text("test_HZ_Label"), QString("7.00"));

    rig.prompts.answers = {save};
    p.click("bsSkinSpeedButton7");
    QCOMPARE(rig.prompts.messages(), QStringList{"该试验尚未完成，是否保存当前次数！！"});
    QCOMPARE(int(rig.card().motor->GetRelay(2)), 0);
    QCOMPARE(ProfileFile(FatigueTest::counterFilePath(rig.dir.path()))
                 .readString("稳定杆疲劳试验", "当前试验次数", ""),
             stored);
    QCOMPARE(p.text("bsSkinStatusPanel2"), status);
}

void TestControl::fatigueCountThatCannotBeKeptIsSaid() {
    ConsoleRig rig(6, 2);
    Panel p(rig);
    startFatigue(rig, p);
    rig.record(1).displacement = 70.0f;
    // A folder where the counter file belongs: the count cannot be written there.
    const QString file = FatigueTest::counterFilePath(rig.dir.path());
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkpath(file));

    rig.prompts.answers = {true};
    p.click("bsSkinSpeedButton7");
    const QStringList messages = rig.prompts.messages();
    QCOMPARE(messages.size(), qsizetype(2));
    QCOMPARE(messages[0], QString("该试验尚未完成，是否保存当前次数！！"));
    QVERIFY(!messages[1].isEmpty());
    QCOMPARE(int(rig.card().motor->GetRelay(2)), 0);
}

QTEST_MAIN(TestControl)
#include "tst_control.moc"
