// The live data panel: the gear row built from the load channel, the averaged load and the other figures,
// the channel titles, zeroing and presetting, gear and automatic-gear buttons, and the test direction.

#include "ConsoleRig.h"
#include "measurement/SampleSlot.h"
#include "measurement/Tbankhk.h"
#include "platform/WindowTarget.h"
#include "windows/common/FindByName.h"
#include "windows/console/DataShowGears.h"
#include "windows/console/TF_datashow.h"

#include <QtTest>

#include <QLabel>
#include <QTimer>
#include <QToolButton>

using namespace springtest;
using springtest::testing::ConsoleRig;

namespace {

using Settings = QList<ConsoleRig::Setting>;

Settings loadChannel(int gears, const QString& range, int decimals) {
    Settings s{{0, "Load", "Gear_Total", QString::number(gears)}, {0, "Load", "Max_Range", range}};
    for (int g = 1; g <= 6; ++g)
        s.append({0, "Load", QString("Gear%1_Decimal_Places").arg(g), QString::number(decimals)});
    return s;
}

// A panel whose refresh timer is stopped, so that the test refreshes it by hand.
struct Panel {
    explicit Panel(ConsoleRig& rig) : window(*rig.context, 0) {
        findByName<QTimer>(&window, "Timer1")->stop();
        rig.card().load->setGearTarget(window.gearTarget());
    }
    QToolButton* button(const QString& name) { return findByName<QToolButton>(&window, name); }
    QString text(const QString& name) { return findByName<QLabel>(&window, name)->text(); }
    QToolButton* gear(int k) { return button(QString("LoadGear%1_Button").arg(k)); }

    TF_datashow window;
};

// How the acquisition loop is by the time the panel refreshes.
enum class LoopEnd { StillRunning, StoppedByItsOwner, Failed };

struct FailingProcedure : SampleProcedure {
    void onSample(int) override { throw std::runtime_error("card 1 did not answer"); }
};

}  // namespace

Q_DECLARE_METATYPE(LoopEnd)

class TestDataShow : public QObject {
    Q_OBJECT
private slots:
    void gearCaptions_data();
    void gearCaptions();
    void gearRowFollowsTheChannel();
    void gearCountOutsideTheRowKeepsTheDesign_data();
    void gearCountOutsideTheRowKeepsTheDesign();
    void gearButtonsAndGearMessage();
    void autoGearButtonNamesTheNextMode();
    void loadIsTheMeanOfFourRefreshes();
    void figuresUseTheChannelsDecimals();
    void titlesFollowTheChannels_data();
    void titlesFollowTheChannels();
    void zeroingAndPresetting_data();
    void zeroingAndPresetting();
    void directionSwitch_data();
    void directionSwitch();
    void directionButtonHiddenOnHydraulicMachines_data();
    void directionButtonHiddenOnHydraulicMachines();
    void acquisitionFailureIsToldWhileItHappens_data();
    void acquisitionFailureIsToldWhileItHappens();
};

void TestDataShow::gearCaptions_data() {
    QTest::addColumn<int>("gears");
    QTest::addColumn<double>("range");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<int>("visible");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("three gears") << 3 << 50.0 << 2 << 3
                                 << QStringList{"50", "25", "10", "100000", "100000", "100000"};
    QTest::newRow("six gears, halves kept")
        << 6 << 50.0 << 2 << 6 << QStringList{"50", "25", "10", "5", "2.5", "1"};
    QTest::newRow("rounded to the gear's decimals")
        << 6 << 50.0 << 0 << 6 << QStringList{"50", "25", "10", "5", "3", "1"};
    QTest::newRow("one gear") << 1 << 200000.0 << 3 << 1
                              << QStringList{"200000", "100000", "100000", "100000", "100000", "100000"};
    QTest::newRow("no gears") << 0 << 50.0 << 2 << 6 << QStringList(6, "100000");
    QTest::newRow("seven gears") << 7 << 50.0 << 2 << 6 << QStringList(6, "100000");
}

void TestDataShow::gearCaptions() {
    QFETCH(int, gears);
    QFETCH(double, range);
    QFETCH(int, decimals);
    QFETCH(int, visible);
    QFETCH(QStringList, captions);
    std::array<int, kGearButtonCount> places;
    places.fill(decimals);
    const GearButtonRow row = gearButtonRow(gears, range, places);
    QCOMPARE(row.visible, visible);
    QCOMPARE(QStringList(row.captions.begin(), row.captions.end()), captions);
}

void TestDataShow::gearRowFollowsTheChannel() {
    ConsoleRig rig(loadChannel(3, "50", 2));
    Panel p(rig);
    const int panelWidth = p.gear(1)->parentWidget()->width();
    const QStringList captions{"50", "25", "10"};
    for (int k = 1; k <= 6; ++k) {
        QCOMPARE(p.gear(k)->isVisibleTo(&p.window), k <= 3);
        if (k > 3) continue;
        QCOMPARE(p.gear(k)->text(), captions[k - 1]);
        QCOMPARE(p.gear(k)->width(), panelWidth / 3);
    }
    // The channel starts in its last gear.
    QVERIFY(p.gear(3)->isChecked());
}

void TestDataShow::gearCountOutsideTheRowKeepsTheDesign_data() {
    QTest::addColumn<int>("gears");
    QTest::newRow("0") << 0;
    QTest::newRow("7") << 7;
}

void TestDataShow::gearCountOutsideTheRowKeepsTheDesign() {
    // The load channel itself never reports such a count (it clamps the file's to 1…6); the panel still
    // keeps its designed row for one.
    QFETCH(int, gears);
    ConsoleRig rig(loadChannel(3, "50", 2));
    Panel p(rig);
    p.window.layoutGearButtons(gears);
    for (int k = 1; k <= 6; ++k) {
        QVERIFY(p.gear(k)->isVisibleTo(&p.window));
        QCOMPARE(p.gear(k)->text(), QString("100000"));
    }
}

void TestDataShow::gearButtonsAndGearMessage() {
    ConsoleRig rig(loadChannel(3, "50", 2));
    Panel p(rig);
    Tload& load = *rig.card().load;

    p.gear(1)->click();
    QCOMPARE(load.currentGear(), 1);
    QVERIFY(p.gear(1)->isChecked());

    // The channel changes gear on its own (automatic gear change) and reports it.
    load.SelectGear(2);
    QVERIFY(p.gear(1)->isChecked());
    p.window.gearTarget()->send(kMsgLoadChannel);
    QVERIFY(p.gear(2)->isChecked());
    QCOMPARE(load.currentGear(), 2);
}

void TestDataShow::autoGearButtonNamesTheNextMode() {
    ConsoleRig rig(loadChannel(3, "50", 2) << ConsoleRig::Setting{0, "Load", "auto_gear", "1"});
    Panel p(rig);
    QToolButton* button = p.button("Autogear_button");
    // Whatever the file says, the first click switches automatic gear change on.
    QCOMPARE(button->text(), QString("自动换档"));
    button->click();
    QCOMPARE(button->text(), QString("手动换档"));
    QVERIFY(rig.card().load->autoGear());
    button->click();
    QCOMPARE(button->text(), QString("自动换档"));
    QVERIFY(!rig.card().load->autoGear());
}

void TestDataShow::loadIsTheMeanOfFourRefreshes() {
    ConsoleRig rig(loadChannel(1, "1000", 1));
    Panel p(rig);
    rig.record().load = 10.0f;
    QStringList shown;
    for (int i = 0; i < 5; ++i) {
        p.window.refresh();
        shown << p.text("load_label");
    }
    QCOMPARE(shown, (QStringList{"2.5", "5.0", "7.5", "10.0", "10.0"}));
}

void TestDataShow::figuresUseTheChannelsDecimals() {
    ConsoleRig rig(loadChannel(1, "1000", 1)
                   << ConsoleRig::Setting{0, "Displacement", "Decimal_Places", "2"});
    Panel p(rig);
    rig.record().displacement = 12.3456f;
    rig.record().deformation = 3.14159f;
    p.window.refresh();
    QCOMPARE(p.text("Displacement_Label"), QString("12.35"));
    QCOMPARE(p.text("Deform_Label"), QString("3.14"));
    QCOMPARE(p.text("LoadPeak_Label"), QString("0.0"));

    // The peak is the channel's; its button clears it.
    rig.fakeCard().count = 250;
    rig.card().load->ReadLoad();
    p.window.refresh();
    QCOMPARE(p.text("LoadPeak_Label"), QString("250.0"));
    p.button("ClearPeak_Button")->click();
    p.window.refresh();
    QCOMPARE(p.text("LoadPeak_Label"), QString("0.0"));
}

void TestDataShow::titlesFollowTheChannels_data() {
    QTest::addColumn<QString>("displacementName");
    QTest::addColumn<QString>("displacementTitle");
    QTest::addColumn<QString>("deformationTitle");
    QTest::newRow("displacement") << "位移"
                                  << "位移  (mm)"
                                  << "变形  (mm)";
    QTest::newRow("angle") << "转角"
                           << "转角  (mm)"
                           << "扭角  (mm)";
    QTest::newRow("anything else") << "行程"
                                   << "行程  (mm)"
                                   << "变  形";
}

void TestDataShow::titlesFollowTheChannels() {
    QFETCH(QString, displacementName);
    QFETCH(QString, displacementTitle);
    QFETCH(QString, deformationTitle);
    ConsoleRig rig(Settings{{0, "Load", "Name", "负荷"},
                            {0, "Load", "Units", "kN"},
                            {0, "Displacement", "Name", displacementName}});
    Panel p(rig);
    QCOMPARE(p.text("bsSkinLabel3"), QString("负荷  (kN)"));
    QCOMPARE(p.text("bsSkinLabel5"), displacementTitle);
    QCOMPARE(p.text("bsSkinLabel4"), deformationTitle);
}

void TestDataShow::zeroingAndPresetting_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QList<std::optional<QString>>>("inputs");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<double>("displacement");
    using Inputs = QList<std::optional<QString>>;
    const QString clear = "ClearDisplacement_Button";
    const QString preset = "bsSkinSpeedButton11";
    QTest::newRow("zero: yes") << clear << QList<bool>{true} << Inputs{} << QStringList{"是否位移清零！！"}
                               << 0.0;
    QTest::newRow("zero: no") << clear << QList<bool>{false} << Inputs{} << QStringList{"是否位移清零！！"}
                              << 1.0;
    QTest::newRow("preset") << preset << QList<bool>{true} << Inputs{QString("12.5")}
                            << QStringList{"是否进行位移置位！！"} << 12.5;
    QTest::newRow("preset: no") << preset << QList<bool>{false} << Inputs{}
                                << QStringList{"是否进行位移置位！！"} << 1.0;
    QTest::newRow("preset: input cancelled")
        << preset << QList<bool>{true} << Inputs{std::nullopt} << QStringList{"是否进行位移置位！！"} << 1.0;
    QTest::newRow("preset: not a number")
        << preset << QList<bool>{true} << Inputs{QString("12,5x")}
        << QStringList{"是否进行位移置位！！", "'12,5x' is not a valid floating point value"} << 1.0;
}

void TestDataShow::zeroingAndPresetting() {
    QFETCH(QString, button);
    QFETCH(QList<bool>, answers);
    QFETCH(QList<std::optional<QString>>, inputs);
    QFETCH(QStringList, asked);
    QFETCH(double, displacement);
    ConsoleRig rig;
    Panel p(rig);
    TDisplacement& channel = *rig.card().displacement;
    rig.fakeCard().pulses = 4000;  // 1 mm
    channel.ReadDisplacement();
    rig.prompts.answers = answers;
    rig.prompts.inputs = inputs;
    p.button(button)->click();
    QCOMPARE(rig.prompts.messages(), asked);
    QCOMPARE(channel.ReadDisplacement(), float(displacement));
}

void TestDataShow::directionSwitch_data() {
    QTest::addColumn<int>("scheme");  // 0 none, 1 compression, 2 tension
    QTest::addColumn<bool>("startInTension");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no scheme: switches at once") << 0 << false << false << ""
                                                 << "拉向";
    QTest::newRow("compression scheme, No") << 1 << false << false << "正在进行压簧试验，是否进行切换?"
                                            << "压向";
    QTest::newRow("compression scheme, Yes") << 1 << false << true << "正在进行压簧试验，是否进行切换?"
                                             << "拉向";
    QTest::newRow("compression scheme, back to compression") << 1 << true << false << ""
                                                             << "压向";
    QTest::newRow("tension scheme, No") << 2 << true << false << "正在进行拉簧试验，是否进行切换?"
                                        << "拉向";
    QTest::newRow("tension scheme, to tension") << 2 << false << false << ""
                                                << "拉向";
}

void TestDataShow::directionSwitch() {
    QFETCH(int, scheme);
    QFETCH(bool, startInTension);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(QString, caption);
    ConsoleRig rig;
    Panel p(rig);
    QToolButton* direction = p.button("TestDirection_Speed");
    QCOMPARE(direction->text(), QString("压向"));
    if (startInTension) direction->click();  // before any scheme: no question
    if (scheme != 0) rig.openScheme(ConsoleRig::scheme({10}, {0}, {0}, scheme == 1));
    rig.prompts.shown.clear();
    rig.prompts.answers = {answer};

    direction->click();
    QCOMPARE(rig.prompts.messages(), question.isEmpty() ? QStringList{} : QStringList{question});
    QCOMPARE(direction->text(), caption);
    QCOMPARE(rig.card().displacement->side(), caption == "压向" ? 1 : -1);
}

void TestDataShow::directionButtonHiddenOnHydraulicMachines_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<bool>("visible");
    QTest::newRow("0") << 0 << true;
    QTest::newRow("2") << 2 << false;
    QTest::newRow("3") << 3 << false;
    QTest::newRow("6") << 6 << true;
}

void TestDataShow::directionButtonHiddenOnHydraulicMachines() {
    QFETCH(int, machineType);
    QFETCH(bool, visible);
    ConsoleRig rig(machineType);
    Panel p(rig);
    QCOMPARE(p.button("TestDirection_Speed")->isVisibleTo(&p.window), visible);
}

void TestDataShow::acquisitionFailureIsToldWhileItHappens_data() {
    QTest::addColumn<LoopEnd>("end");
    QTest::newRow("the loop fails") << LoopEnd::Failed;
    QTest::newRow("the loop is stopped by its owner") << LoopEnd::StoppedByItsOwner;
    QTest::newRow("the loop runs") << LoopEnd::StillRunning;
}

void TestDataShow::acquisitionFailureIsToldWhileItHappens() {
    QFETCH(LoopEnd, end);
    const bool fails = end == LoopEnd::Failed;
    ConsoleRig rig;
    Panel p(rig);
    rig.openScheme(ConsoleRig::scheme({10}, {0}, {0}));
    rig.setTestSpeed(50.0f);
    rig.sequencer->StartTest(0);
    QVERIFY(rig.sequencer->running());

    FailingProcedure failing;
    SampleSlot slot;
    slot.procedure = &failing;
    slot.running = fails;
    Tbankhk loop(rig.cards, &slot);
    rig.context->acquisition.watch(&loop);
    loop.start();
    // Joining the loop while it may be handing the panel a gear change: it must not wait for this thread.
    const auto stopLoop = [&loop] {
        WindowTarget::stopBlocking();
        loop.stop();
        WindowTarget::allowBlocking();
    };
    if (fails) QTRY_VERIFY(loop.failed());
    if (end == LoopEnd::StoppedByItsOwner) stopLoop();

    p.window.refresh();
    p.window.refresh();  // told once, not on every refresh
    const QStringList messages = rig.prompts.messages();
    QCOMPARE(messages.size(), fails ? 1 : 0);
    if (fails) {
        QVERIFY2(messages[0].startsWith("数据采集出错") && messages[0].contains("card 1 did not answer"),
                 qPrintable(messages[0]));
        QCOMPARE(rig.context->acquisition.reportedError(), QString("card 1 did not answer"));
    }
    // A test cannot go on without readings.
    QCOMPARE(rig.sequencer->running(), !fails);

    rig.sequencer->StopTest();
    stopLoop();
    rig.context->acquisition.watch(nullptr);
}

QTEST_MAIN(TestDataShow)
#include "tst_datashow.moc"
