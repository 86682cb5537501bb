// The PID tuning window (sliders that set the servo's gains and save them at once) and the PID view (the
// controller's values as it works).

#include <QtTest>

#include "CardRig.h"

#include "measurement/TMotor.h"
#include "platform/ProfileFile.h"
#include "windows/common/FindByName.h"
#include "windows/setup/TF_pid_adjust.h"
#include "windows/setup/TFpid_view.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

using namespace springtest;
using springtest::testing::CardRig;

namespace {

// Card 0 of a servo machine (control mode 1) on the scripted card, with `pidLines` in its PID section.
struct ServoRig : CardRig {
    explicit ServoRig(const QByteArray& pidLines = {})
        : CardRig(Motor::With, "[Motor]\nControlMode=1\n[PID]\n" + pidLines) {}
    ~ServoRig() { slot.motor->StopPid(); }
    int fileValue(const QString& key) {
        return ProfileFile(dir.file(QStringLiteral("init0.dat"))).readInt(QStringLiteral("PID"), key, -1);
    }
    QList<double> gains() const {
        const ServoBlock s = slot.motor->servo();
        return {s.dispKp, s.dispKi, s.dispKd, s.loadKp, s.loadKi, s.loadKd};
    }
};

QScrollBar* slider(QWidget& window, const QString& name) {
    return findByName<QScrollBar>(&window, name);
}

QString labelText(QWidget& window, const QString& name) {
    return findByName<QLabel>(&window, name)->text();
}

QString field(TFpid_view& view, const QString& name) {
    return findByName<QLineEdit>(&view, name)->text();
}

}  // namespace

class TestPidWindows : public QObject {
    Q_OBJECT
private slots:
    void slidersStartFromTheFile_data();
    void slidersStartFromTheFile();
    void sliderSetsItsGainAndSavesIt_data();
    void sliderSetsItsGainAndSavesIt();
    void failedSaveIsSaidOnce();
    void fileValueOutOfReachIsKept_data();
    void fileValueOutOfReachIsKept();
    void viewShowsSetPointAndGainsOfTheMode_data();
    void viewShowsSetPointAndGainsOfTheMode();
    void viewShowsTheControllerSteps();
    void viewRefreshesWhileShown();
};

void TestPidWindows::slidersStartFromTheFile_data() {
    QTest::addColumn<QByteArray>("pidLines");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::newRow("Displacement_P 1200")
        << QByteArray("Displacement_P=1200\n") << "ScrollBar_WY_P" << 1200 << "1.2";
    QTest::newRow("Load_I 250000") << QByteArray("Load_I=250000\n") << "ScrollBar_LOAD_I" << 250000 << "250";
    QTest::newRow("Load_D missing") << QByteArray("Load_P=5\n") << "ScrollBar_LOAD_D" << 0 << "0";
}

void TestPidWindows::slidersStartFromTheFile() {
    QFETCH(QByteArray, pidLines);
    QFETCH(QString, slider);
    QFETCH(int, position);
    QFETCH(QString, label);
    ServoRig rig(pidLines);
    TF_pid_adjust window(rig.slot, 0);
    QCOMPARE(window.windowTitle(), QString("PID调节"));
    QCOMPARE(::slider(window, slider)->value(), position);
    QCOMPARE(labelText(window, "Label_" + slider.mid(10)), label);
    QVERIFY(rig.prompts.shown.isEmpty());
}

void TestPidWindows::sliderSetsItsGainAndSavesIt_data() {
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("gainIndex");  // displacement P, I, D, then load P, I, D
    QTest::addColumn<double>("gain");
    QTest::newRow("load I 2500") << "ScrollBar_LOAD_I" << 2500 << "2.5"
                                 << "Load_I" << 4 << 2.5;
    QTest::newRow("load P at its end") << "ScrollBar_LOAD_P" << 10000 << "10"
                                       << "Load_P" << 3 << 10.0;
    QTest::newRow("load D") << "ScrollBar_LOAD_D" << 70 << "0.07"
                            << "Load_D" << 5 << 0.07;
    QTest::newRow("displacement P") << "ScrollBar_WY_P" << 1234 << "1.234"
                                    << "Displacement_P" << 0 << 1.234;
    QTest::newRow("displacement I") << "ScrollBar_WY_I" << 100000 << "100"
                                    << "Displacement_I" << 1 << 100.0;
    QTest::newRow("displacement D, one step") << "ScrollBar_WY_D" << 1 << "0.001"
                                              << "Displacement_D" << 2 << 0.001;
}

void TestPidWindows::sliderSetsItsGainAndSavesIt() {
    QFETCH(QString, slider);
    QFETCH(int, position);
    QFETCH(QString, label);
    QFETCH(QString, key);
    QFETCH(int, gainIndex);
    QFETCH(double, gain);
    // Every gain starts apart from the others, so that a slider reaching the wrong one shows.
    ServoRig rig(
        "Displacement_P=11\nDisplacement_I=12\nDisplacement_D=13\nLoad_P=14\nLoad_I=15\nLoad_D=16\n");
    TF_pid_adjust window(rig.slot, 0);
    QList<double> expected = rig.gains();
    expected[gainIndex] = gain;
    ::slider(window, slider)->setValue(position);
    QCOMPARE(labelText(window, "Label_" + slider.mid(10)), label);
    QCOMPARE(rig.gains(), expected);
    QCOMPARE(rig.fileValue(key), position);
    // The other keys keep their values.
    QCOMPARE(rig.fileValue(key == "Load_P" ? "Load_D" : "Load_P"), key == "Load_P" ? 16 : 14);
}

void TestPidWindows::failedSaveIsSaidOnce() {
    ServoRig rig;
    TF_pid_adjust window(rig.slot, 0);
    // The channel file cannot be written: a folder has taken its name.
    QVERIFY(QFile::remove(rig.dir.file("init0.dat")));
    QVERIFY(QDir(rig.dir.path()).mkdir("init0.dat"));
    QScrollBar* bar = slider(window, "ScrollBar_LOAD_I");
    bar->setValue(100);
    bar->setValue(200);
    QCOMPARE(rig.prompts.messages().size(), 1);
    QVERIFY2(rig.prompts.messages()[0].contains("init0.dat"), qPrintable(rig.prompts.messages()[0]));
    // The servo still follows the slider: the gain acts even if it could not be kept.
    QCOMPARE(rig.slot.motor->servo().loadKi, 0.2);
}

void TestPidWindows::fileValueOutOfReachIsKept_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("gainIndex");
    QTest::newRow("above the end") << "Load_I" << 2000000 << "ScrollBar_LOAD_I"
                                   << "2000" << 4;
    QTest::newRow("negative") << "Displacement_P" << -5 << "ScrollBar_WY_P"
                              << "-0.005" << 0;
}

void TestPidWindows::fileValueOutOfReachIsKept() {
    QFETCH(QString, key);
    QFETCH(int, value);
    QFETCH(QString, slider);
    QFETCH(QString, label);
    QFETCH(int, gainIndex);
    ServoRig rig(key.toUtf8() + "=" + QByteArray::number(value) + "\n");
    const QList<double> gains = rig.gains();
    TF_pid_adjust window(rig.slot, 0);
    // Said, shown as it is, and neither cut to the slider's end in the file nor in the servo.
    QCOMPARE(rig.prompts.messages().size(), 1);
    QVERIFY2(rig.prompts.messages()[0].contains(key + "=" + QString::number(value)),
             qPrintable(rig.prompts.messages()[0]));
    QCOMPARE(labelText(window, "Label_" + slider.mid(10)), label);
    QCOMPARE(rig.fileValue(key), value);
    QCOMPARE(rig.gains(), gains);
    QCOMPARE(rig.gains()[gainIndex], value / 1000.0);
    // Moved by the operator, the slider takes over.
    ::slider(window, slider)->setValue(300);
    QCOMPARE(rig.fileValue(key), 300);
    QCOMPARE(rig.gains()[gainIndex], 0.3);
}

void TestPidWindows::viewShowsSetPointAndGainsOfTheMode_data() {
    QTest::addColumn<int>("mode");  // 1 hold displacement, 2 hold load, 3 displacement ramp
    QTest::addColumn<float>("target");
    QTest::addColumn<QString>("setPoint");
    QTest::addColumn<QStringList>("gains");
    const QStringList displacementGains{"1.2", "0.3", "0.125"};
    QTest::newRow("holding 12.34 mm") << 1 << 12.34f << "12.34" << displacementGains;
    QTest::newRow("holding -0.5 mm") << 1 << -0.5f << "-0.5" << displacementGains;
    QTest::newRow("holding load 250") << 2 << 250.0f << "250" << QStringList{"2.5", "0.004", "0"};
    QTest::newRow("ramping") << 3 << 10.0f << "0" << displacementGains;
}

void TestPidWindows::viewShowsSetPointAndGainsOfTheMode() {
    QFETCH(int, mode);
    QFETCH(float, target);
    QFETCH(QString, setPoint);
    QFETCH(QStringList, gains);
    ServoRig rig(
        "Displacement_P=1200\nDisplacement_I=300\nDisplacement_D=125\nLoad_P=2500\nLoad_I=4\nLoad_D=0\n");
    TMotor& motor = *rig.slot.motor;
    if (mode == 1) motor.HoldDisplacement(target);
    if (mode == 2) motor.HoldLoad(target);
    if (mode == 3) motor.RampDisplacement(target);
    TFpid_view view(rig.slot, 0);
    view.refresh();
    QCOMPARE(field(view, "PID_ERR"), setPoint);
    QCOMPARE((QStringList{field(view, "P"), field(view, "I"), field(view, "D")}), gains);
    QCOMPARE(field(view, "pid_output"), QString());
}

void TestPidWindows::viewShowsTheControllerSteps() {
    ServoRig rig("Displacement_P=1200\nDisplacement_I=300\nDisplacement_D=125\n");
    TMotor& motor = *rig.slot.motor;
    motor.HoldDisplacement(5.0f);  // set point 500 hundredths
    motor.StopPid();               // the steps below are the only ones
    for (double measured : {497.5, 499.0, 500.0}) motor.PidStep(measured);
    TFpid_view view(rig.slot, 0);
    view.refresh();
    // e0 0, e1 1, e2 2.5: first difference -1, second 0 - 2 + 2.5.
    QCOMPARE(field(view, "P_ERR"), QString("0.00"));
    QCOMPARE(field(view, "I_ERR"), QString("-1.00"));
    QCOMPARE(field(view, "D_ERR"), QString("0.50"));
    QCOMPARE(field(view, "P_LOAD_ERR"), QString("1.00"));
    QCOMPARE(field(view, "P_LAST_ERR"), QString("2.50"));
    QCOMPARE(field(view, "P_VALUE"), QString("0"));
    QCOMPARE(field(view, "I_VALUE"), QString("-0.3"));
    QCOMPARE(field(view, "D_VALUE"), QString("0.063"));  // 0.0625 to three decimals
    // 3 + 0.75 + 0.3125 = 4.06 → 4; then 1.2 - 0.45 - 0.5 → 0; then -0.2375 → 0.
    QCOMPARE(field(view, "pid_output_load"), QString("4"));
}

void TestPidWindows::viewRefreshesWhileShown() {
    ServoRig rig;
    TFpid_view view(rig.slot, 0);
    view.show();
    rig.slot.motor->HoldDisplacement(12.34f);
    QTRY_COMPARE(field(view, "PID_ERR"), QString("12.34"));
}

QTEST_MAIN(TestPidWindows)
#include "tst_pid_windows.moc"
