#include "FindComponent.h"
#include "WindowRig.h"
#include "windows/setup/TF_testspeed.h"
#include "windows/setup/Tf_auto.h"

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
