#include "FindComponent.h"
#include "WindowRig.h"
#include "session/MachineConfig.h"
#include "storage/Schema.h"
#include "windows/setup/TF_testspeed.h"
#include "windows/setup/Tf_auto.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace springtest;
using springtest::testing::get;
using springtest::testing::WindowRig;

namespace {

struct NoProcedure : SampleProcedure {
    void onSample(int) override {}
};

void openScheme(TTestStyle& sequencer) {
    sequencer.InstallProcedure(std::make_shared<NoProcedure>());
}

}  // namespace

class TestSpeedAuto : public QObject {
    Q_OBJECT
private slots:
    void speedStartsAsDesigned();
    void speedConfirm_data();
    void speedConfirm();
    void speedCancelChangesNothing();
    void fullRateSwitch_data();
    void fullRateSwitch();
    void autoWithoutSchemeSaysSo();
    void autoWithSchemeSetsTheSeries();
    void autoBadCountKeepsThePreviousValue();
    void autoCancel_data();
    void autoCancel();
};

void TestSpeedAuto::speedStartsAsDesigned() {
    WindowRig rig;
    TF_testspeed w(rig.sequencer);
    QCOMPARE(w.windowTitle(), QString("速度设置"));
    QVERIFY(get<QRadioButton>(&w, "bsR1")->isChecked());
    QVERIFY(!get<QRadioButton>(&w, "bsCR2")->isChecked());
    QCOMPARE(get<QLineEdit>(&w, "bsSkinEdit1")->text(), QString("100"));
    QCOMPARE(get<QLineEdit>(&w, "bsSkinEdit2")->text(), QString("100"));
    // One group: ticking one unticks the other.
    get<QRadioButton>(&w, "bsCR2")->setChecked(true);
    QVERIFY(!get<QRadioButton>(&w, "bsR1")->isChecked());
}

void TestSpeedAuto::speedConfirm_data() {
    QTest::addColumn<bool>("variable");
    QTest::addColumn<QString>("constantSpeed");
    QTest::addColumn<QString>("variableSpeed");
    QTest::addColumn<float>("speed");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("result");
    QTest::newRow("匀速 80") << false << "80"
                             << "50" << 80.0f << 1 << QStringList{} << int(QDialog::Accepted);
    QTest::newRow("变速 50") << true << "80"
                             << "50" << 50.0f << 2 << QStringList{} << int(QDialog::Accepted);
    QTest::newRow("no range enforced") << false << "-3.5"
                                       << "" << -3.5f << 1 << QStringList{} << int(QDialog::Accepted);
    QTest::newRow("not a number") << true << "80"
                                  << "5O" << 0.0f << 0
                                  << QStringList{"'5O' is not a valid floating point value"}
                                  << int(QDialog::Rejected);
}

void TestSpeedAuto::speedConfirm() {
    QFETCH(bool, variable);
    QFETCH(QString, constantSpeed);
    QFETCH(QString, variableSpeed);
    QFETCH(float, speed);
    QFETCH(int, mode);
    QFETCH(QStringList, messages);
    QFETCH(int, result);
    WindowRig rig;
    TF_testspeed w(rig.sequencer);
    w.open();
    get<QRadioButton>(&w, variable ? "bsCR2" : "bsR1")->setChecked(true);
    get<QLineEdit>(&w, "bsSkinEdit1")->setText(constantSpeed);
    get<QLineEdit>(&w, "bsSkinEdit2")->setText(variableSpeed);
    get<QPushButton>(&w, "bsSkinButton1")->click();
    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(rig.sequencer.testSpeed(), speed);
    QCOMPARE(int(rig.sequencer.speedMode()), mode);
    // A refused speed leaves the window open for another try.
    QCOMPARE(w.isVisible(), result == QDialog::Rejected);
    QCOMPARE(w.result(), result);
}

void TestSpeedAuto::speedCancelChangesNothing() {
    WindowRig rig;
    TF_testspeed w(rig.sequencer);
    w.open();
    get<QRadioButton>(&w, "bsCR2")->setChecked(true);
    get<QPushButton>(&w, "bsSkinButton2")->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(rig.sequencer.speedMode(), SpeedMode::NotSet);
    QCOMPARE(rig.sequencer.testSpeed(), 0.0f);
}

void TestSpeedAuto::fullRateSwitch_data() {
    QTest::addColumn<bool>("startOn");   // the machine's setting as the program started
    QTest::addColumn<bool>("tick");      // the check box as confirmed
    QTest::addColumn<bool>("folder");    // the window knows the application folder
    QTest::addColumn<QString>("speed");  // typed for "匀速"
    QTest::addColumn<bool>("blocked");   // the configuration file cannot be written
    QTest::addColumn<bool>("on");        // the sequencer's setting afterwards
    QTest::addColumn<bool>("kept");      // the configuration's afterwards
    QTest::addColumn<int>("messages");
    QTest::newRow("switched on, kept for the next start")
        << false << true << true << "80" << false << true << true << 0;
    QTest::newRow("switched off") << true << false << true << "80" << false << false << false << 0;
    QTest::newRow("left as it was") << true << true << true << "80" << false << true << true << 0;
    QTest::newRow("without a folder: this run only")
        << false << true << false << "80" << false << true << false << 0;
    QTest::newRow("a speed that is no number changes neither")
        << false << true << true << "8O" << false << false << false << 1;
    QTest::newRow("a configuration that cannot be written changes neither")
        << false << true << true << "80" << true << false << false << 1;
}

void TestSpeedAuto::fullRateSwitch() {
    QFETCH(bool, startOn);
    QFETCH(bool, tick);
    QFETCH(bool, folder);
    QFETCH(QString, speed);
    QFETCH(bool, blocked);
    QFETCH(bool, on);
    QFETCH(bool, kept);
    QFETCH(int, messages);
    WindowRig rig;
    // The trail of settings changes, as an installation has it.
    QVERIFY(createSchemeDatabase(schemeDatabasePath(rig.dir.path())));
    if (startOn) QVERIFY(writeFullRateCurve(rig.dir.path(), true));
    if (blocked) QVERIFY(QDir(rig.dir.path()).mkdir("init0.dat"));
    rig.sequencer.SetFullRate(MachineConfig::read(rig.dir.path()).fullRateCurve);

    TF_testspeed w(rig.sequencer, folder ? rig.dir.path() : QString());
    w.open();
    QCOMPARE(get<QCheckBox>(&w, "FullRateCheckBox")->isChecked(), startOn);
    get<QCheckBox>(&w, "FullRateCheckBox")->setChecked(tick);
    get<QLineEdit>(&w, "bsSkinEdit1")->setText(speed);
    get<QPushButton>(&w, "bsSkinButton1")->click();
    QCOMPARE(rig.prompts.messages().size(), messages);
    QCOMPARE(rig.sequencer.fullRate(), on);
    QCOMPARE(MachineConfig::read(rig.dir.path()).fullRateCurve, kept);
    // Refused, the window stays for another try and the speed is not taken either.
    QCOMPARE(w.isVisible(), messages > 0);
    QCOMPARE(rig.sequencer.speedMode(), messages > 0 ? SpeedMode::NotSet : SpeedMode::Constant);
}

void TestSpeedAuto::autoWithoutSchemeSaysSo() {
    WindowRig rig;
    Tf_auto w(rig.sequencer);
    QCOMPARE(w.windowTitle(), QString("自动试验设置"));
    QCOMPARE(get<QLineEdit>(&w, "bsSkinEdit1")->text(), QString("5"));
    QCOMPARE(get<QLineEdit>(&w, "bsSkinEdit2")->text(), QString("5"));
    w.open();
    get<QPushButton>(&w, "bsSkinButton1")->click();
    QCOMPARE(rig.prompts.messages(), QStringList{"当前无试验方案!!"});
    QVERIFY(!rig.sequencer.IsAutoRepeat());
    QCOMPARE(rig.sequencer.repeatCount(), 0);
}

void TestSpeedAuto::autoWithSchemeSetsTheSeries() {
    WindowRig rig;
    openScheme(rig.sequencer);
    Tf_auto w(rig.sequencer);
    w.open();
    get<QLineEdit>(&w, "bsSkinEdit1")->setText("12");
    get<QLineEdit>(&w, "bsSkinEdit2")->setText("3");
    get<QPushButton>(&w, "bsSkinButton1")->click();
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QVERIFY(rig.sequencer.IsAutoRepeat());
    QCOMPARE(rig.sequencer.repeatCount(), 12);
    QCOMPARE(w.result(), int(QDialog::Accepted));
}

void TestSpeedAuto::autoBadCountKeepsThePreviousValue() {
    WindowRig rig;
    openScheme(rig.sequencer);
    rig.sequencer.SetRepeatCount(7);
    Tf_auto w(rig.sequencer);
    w.open();
    get<QLineEdit>(&w, "bsSkinEdit1")->setText("2.5");
    get<QPushButton>(&w, "bsSkinButton1")->click();
    QCOMPARE(rig.prompts.messages(), QStringList{"'2.5' is not a valid integer value"});
    // The series was switched on before the count was read.
    QVERIFY(rig.sequencer.IsAutoRepeat());
    QCOMPARE(rig.sequencer.repeatCount(), 7);
}

void TestSpeedAuto::autoCancel_data() {
    QTest::addColumn<bool>("repeatOn");
    QTest::newRow("repeat on") << true;
    QTest::newRow("repeat off") << false;
}

void TestSpeedAuto::autoCancel() {
    QFETCH(bool, repeatOn);
    WindowRig rig;
    rig.sequencer.SetAutoRepeat(repeatOn);
    Tf_auto w(rig.sequencer);
    w.open();
    get<QPushButton>(&w, "bsSkinButton2")->click();
    QVERIFY(!rig.sequencer.IsAutoRepeat());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(TestSpeedAuto)
#include "tst_speed_auto.moc"
