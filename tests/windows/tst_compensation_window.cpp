#include "CardRig.h"
#include "FindComponent.h"
#include "platform/ProfileFile.h"
#include "support/TempAppDir.h"
#include "windows/setup/TF_wybc.h"
#include "windows/setup/TFwyzero_set.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace springtest;
using springtest::testing::CardRig;
using springtest::testing::get;
using springtest::testing::TempAppDir;

namespace {

QStringList labelTexts(QWidget* window) {
    QStringList texts;
    for (const QLabel* label : window->findChildren<QLabel*>()) texts << label->text();
    return texts;
}

const QByteArray kChannels =
    "[Load]\r\n"
    "Max_Range=10000\r\n"
    "Gear1_Decimal_Places=1\r\n"
    "[Displacement]\r\n"
    "Decimal_Places=2\r\n";

}  // namespace

class TestCompensationWindow : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheLiveValues();
    void compute_data();
    void compute();
    void displacementZeroChangesNothing();
};

void TestCompensationWindow::opensWithTheLiveValues() {
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    rig.slot.record.load.store(9876.54f);
    rig.slot.record.displacement.store(0.346f);
    TF_wybc w(rig.slot, 0);
    QCOMPARE(w.windowTitle(), QString("位移补偿"));
    QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(get<QLineEdit>(&w, "bsSkinEdit1")->text(), QString("9876.5"));
    QCOMPARE(get<QLineEdit>(&w, "bsSkinEdit2")->text(), QString("0.35"));
    QCOMPARE(get<QPushButton>(&w, "bsSkinButton1")->text(), QString("自动计算"));
    const QStringList labels = labelTexts(&w);
    const int first =
        labels.indexOf("补偿主要是为了弥补传感器受力变形而引起的系统位移误差。第一步，可将试验机");
    QVERIFY(first >= 0);
    QCOMPARE(labels.mid(first, 3),
             (QStringList{"补偿主要是为了弥补传感器受力变形而引起的系统位移误差。第一步，可将试验机",
                          "慢速并盘，并压到满量程的5%，位移清零，第二步，慢速压到满量程，记住此时的",
                          "位移值，单位为mm,第三步  输入下面相应栏，然后点击【自动计算】;"}));
}

void TestCompensationWindow::compute_data() {
    QTest::addColumn<float>("liveLoad");
    QTest::addColumn<QString>("load");
    QTest::addColumn<QString>("deformation");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("stored");  // Compensation_coefficient after the press
    QTest::addColumn<float>("inForce");

    const QString question = "当前负荷不接进于负荷的最大量程，是否继续";
    QTest::newRow("10000 and 0.35 at full range")
        << 10000.0f << "10000"
        << "0.35" << QList<bool>{} << QStringList{} << "0.0000350" << 0.000035f;
    // The live load decides whether to ask; the typed load divides.
    QTest::newRow("below 90 %, Yes") << 8999.0f << "10000"
                                     << "0.35" << QList<bool>{true} << QStringList{question} << "0.0000350"
                                     << 0.000035f;
    QTest::newRow("below 90 %, No") << 8999.0f << "10000"
                                    << "0.35" << QList<bool>{false} << QStringList{question} << "(none)"
                                    << 0.0f;
    QTest::newRow("exactly 90 % asks nothing")
        << 9000.0f << "9000"
        << "0.3" << QList<bool>{} << QStringList{} << "0.0000333" << float(0.3 / 9000);
    QTest::newRow("empty deformation")
        << 10000.0f << "10000"
        << "" << QList<bool>{true} << QStringList{"负荷值/变形值不能为空"} << "(none)" << 0.0f;
    QTest::newRow("empty load") << 10000.0f << ""
                                << "0.35" << QList<bool>{true} << QStringList{"负荷值/变形值不能为空"}
                                << "(none)" << 0.0f;
    QTest::newRow("zero load") << 10000.0f << "0"
                               << "0.35" << QList<bool>{true} << QStringList{"负荷值不能为零"} << "(none)"
                               << 0.0f;
    QTest::newRow("no number") << 10000.0f << "10000"
                               << "0,35" << QList<bool>{true}
                               << QStringList{"'0,35' is not a valid floating point value"} << "(none)"
                               << 0.0f;
}

void TestCompensationWindow::compute() {
    QFETCH(float, liveLoad);
    QFETCH(QString, load);
    QFETCH(QString, deformation);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, shown);
    QFETCH(QString, stored);
    QFETCH(float, inForce);
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    rig.slot.record.load.store(liveLoad);
    TF_wybc w(rig.slot, 0);
    rig.prompts.answers = answers;
    get<QLineEdit>(&w, "bsSkinEdit1")->setText(load);
    get<QLineEdit>(&w, "bsSkinEdit2")->setText(deformation);
    get<QPushButton>(&w, "bsSkinButton1")->click();
    QCOMPARE(rig.prompts.messages(), shown);
    QCOMPARE(
        ProfileFile(dir.file("init0.dat")).readString("Displacement", "Compensation_coefficient", "(none)"),
        stored);
    QCOMPARE(rig.slot.displacement->compensation(), inForce);
}

void TestCompensationWindow::displacementZeroChangesNothing() {
    TempAppDir dir;
    CardRig rig(dir.path());
    TFwyzero_set w;
    QCOMPARE(w.windowTitle(), QString("位移零点设置"));
    QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(w.findChild<QGroupBox*>()->title(), QString("设置说明"));
    const QStringList labels = labelTexts(&w);
    QVERIFY(labels.contains("    在位移零点的设置之前先将上下压盘压并，使负荷压到满量"));
    QVERIFY(labels.contains("程的3%左右，然后点击设置按钮（该操作是针对设备自动驱动"));
    QVERIFY(labels.contains("盘功能进行位移零点的设置，如不了解此功能，请误操作。）"));
    QVERIFY(labels.contains("当前位移零点:"));
    QCOMPARE(get<QLabel>(&w, "Label_wy_zero")->text(), QString());
    get<QPushButton>(&w, "bsSkinButton1")->click();
    // The operator hears that nothing was set, and nothing was.
    QCOMPARE(rig.prompts.messages(), QStringList{"本设备没有位移绝对零点，未作任何设置。"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{kSchemeDatabaseFile});  // the rig's own
    QCOMPARE(get<QLabel>(&w, "Label_wy_zero")->text(), QString());
}

QTEST_MAIN(TestCompensationWindow)
#include "tst_compensation_window.moc"
