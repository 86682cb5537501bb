#include "CardRig.h"
#include "FindComponent.h"
#include "platform/ProfileFile.h"
#include "support/SmallDisk.h"
#include "support/TempAppDir.h"
#include "windows/setup/TF_bd.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace springtest;
using springtest::testing::CardRig;
using springtest::testing::get;
using springtest::testing::SmallDisk;
using springtest::testing::TempAppDir;

namespace {

// Two gears, so that the window must take its values from the current gear (the most sensitive one at
// start), not from gear 1.
const QByteArray kChannels =
    "[Load]\r\n"
    "Max_Range=1000\r\n"
    "Gear_Total=2\r\n"
    "Gear1_Decimal_Places=1\r\n"
    "Gear1_Press_Clibration_value1=900\r\n"
    "Gear1_Press_Coefficient1=0.9000000\r\n"
    "Gear2_Decimal_Places=2\r\n"
    "Gear2_Magnification=800\r\n"
    "Gear2_Press_AD1=2000\r\n"
    "Gear2_Press_Clibration_value1=100\r\n"
    "Gear2_Press_Clibration_value2=200\r\n"
    "Gear2_Press_Coefficient1=0.0500000\r\n"
    "Gear2_Press_Coefficient2=0.0400000\r\n"
    "Gear2_Pull_Clibration_value3=-300\r\n"
    "Gear2_Pull_Coefficient2=0.0200000\r\n";

QString stored(const TempAppDir& dir, const QString& key) {
    return ProfileFile(dir.file("init0.dat")).readString("LOAD", key, "(none)");
}

}  // namespace

class TestLoadCalibrationWindow : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheCurrentGear();
    void takePoint_data();
    void takePoint();
    void stepCoefficient_data();
    void stepCoefficient();
    void editsTakeSignedNumbersWithOnePoint_data();
    void editsTakeSignedNumbersWithOnePoint();
    void failedWriteReachesTheOperator();
    void showsTheLiveLoad();
    void followsAGearChange_data();
    void followsAGearChange();
    void compressionPointShowsItsMirror();
    void pictureForTheReadme();
};

void TestLoadCalibrationWindow::opensOnTheCurrentGear() {
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    QCOMPARE(rig.slot.load->currentGear(), 2);
    TF_bd w(rig.slot, 0);
    QCOMPARE(w.windowTitle(), QString("参数标定"));
    QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
    const QStringList expected{"100",       "200",       "1", "1", "1",         "-300",
                               "0.0500000", "0.0400000", "1", "1", "0.0200000", "1"};
    const QStringList names{"ed_bd1",    "ed_bd2",    "ed_bd3",    "ed_fbd1",    "ed_fbd2",    "ed_fbd3",
                            "ed_bd_xs1", "ed_bd_xs2", "ed_bd_xs3", "ed_fbd_xs1", "ed_fbd_xs2", "ed_fbd_xs3"};
    for (int i = 0; i < names.size(); ++i) QCOMPARE(get<QLineEdit>(&w, names[i])->text(), expected[i]);
}

void TestLoadCalibrationWindow::takePoint_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("referenceEdit");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("coefficientEdit");
    QTest::addColumn<QString>("coefficient");  // shown after the press
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("storedValue");  // in the channel file after the press
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("标定一 compression") << 1 << "bsSkinSpeedButton4"
                                        << "ed_bd1"
                                        << "150" << 2000 << "ed_bd_xs1"
                                        << "0.0750000"
                                        << "Gear2_Press_Coefficient1"
                                        << "0.0750000" << QStringList{};
    // The second point's slope runs from the first point, not from the zero.
    QTest::newRow("标定二 from the first point") << 2 << "bsSkinSpeedButton5"
                                                 << "ed_bd2"
                                                 << "300" << 4000 << "ed_bd_xs2"
                                                 << "0.1000000"
                                                 << "Gear2_Press_Coefficient2"
                                                 << "0.1000000" << QStringList{};
    QTest::newRow("标定一 tension") << 4 << "bsSkinSpeedButton1"
                                    << "ed_fbd1"
                                    << "-100" << -4000 << "ed_fbd_xs1"
                                    << "0.0250000"
                                    << "Gear2_Pull_Coefficient1"
                                    << "0.0250000" << QStringList{};
    QTest::newRow("empty reference") << 1 << "bsSkinSpeedButton4"
                                     << "ed_bd1"
                                     << "" << 2000 << "ed_bd_xs1"
                                     << "0.0500000"
                                     << "Gear2_Press_Coefficient1"
                                     << "0.0500000" << QStringList{"当前标定值不能为空!!"};
    QTest::newRow("no number") << 3 << "bsSkinSpeedButton6"
                               << "ed_bd3"
                               << "-" << 6000 << "ed_bd_xs3"
                               << "1"
                               << "Gear2_Press_Coefficient3"
                               << "(none)" << QStringList{"'-' is not a valid floating point value"};
    // The zero is 0: a point taken with no load on the cell would divide by zero.
    QTest::newRow("count of the zero")
        << 1 << "bsSkinSpeedButton4"
        << "ed_bd1"
        << "150" << 0 << "ed_bd_xs1"
        << "0.0500000"
        << "Gear2_Press_Coefficient1"
        << "0.0500000" << QStringList{"当前负荷码值与上一标定点相同，无法标定!!"};
}

void TestLoadCalibrationWindow::takePoint() {
    QFETCH(int, kind);
    QFETCH(QString, button);
    QFETCH(QString, referenceEdit);
    QFETCH(QString, reference);
    QFETCH(int, count);
    QFETCH(QString, coefficientEdit);
    QFETCH(QString, coefficient);
    QFETCH(QString, key);
    QFETCH(QString, storedValue);
    QFETCH(QStringList, messages);
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    rig.readCount(count);
    TF_bd w(rig.slot, 0);
    get<QLineEdit>(&w, referenceEdit)->setText(reference);
    get<QPushButton>(&w, button)->click();
    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(get<QLineEdit>(&w, coefficientEdit)->text(), coefficient);
    QCOMPARE(stored(dir, key), storedValue);
    // The channel uses what the window shows.
    const GearRecord gear = rig.slot.load->GetGearRecord(2);
    const double inForce =
        kind <= 3 ? gear.pressCoefficient[size_t(kind - 1)] : gear.pullCoefficient[size_t(kind - 4)];
    QCOMPARE(QString::number(inForce, 'f', 7), coefficient == "1" ? QString("1.0000000") : coefficient);
}

void TestLoadCalibrationWindow::stepCoefficient_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("+1") << "ed_bd_xs1"
                        << "0.0500000" << QStringList{"bsSkinSpeedButton8"} << "Gear2_Press_Coefficient1"
                        << "0.0500001";
    QTest::newRow("-1 twice") << "ed_bd_xs1"
                              << "0.0500001" << QStringList{"bsSkinSpeedButton7", "bsSkinSpeedButton7"}
                              << "Gear2_Press_Coefficient1"
                              << "0.0499999";
    // The tension row 2 has its +1 button on the left: the names are swapped there.
    QTest::newRow("tension 2 +1") << "ed_fbd_xs2"
                                  << "0.0200000" << QStringList{"bsSkinSpeedButton15"}
                                  << "Gear2_Pull_Coefficient2"
                                  << "0.0200001";
    QTest::newRow("tension 3 -1 across zero")
        << "ed_fbd_xs3"
        << "0.0000000" << QStringList{"bsSkinSpeedButton17"} << "Gear2_Pull_Coefficient3"
        << "-0.0000001";
    // The step goes from what the operator sees, typed over or not.
    QTest::newRow("from a typed value")
        << "ed_bd_xs3"
        << "1.25" << QStringList{"bsSkinSpeedButton12"} << "Gear2_Press_Coefficient3"
        << "1.2500001";
}

void TestLoadCalibrationWindow::stepCoefficient() {
    QFETCH(QString, edit);
    QFETCH(QString, shown);
    QFETCH(QStringList, buttons);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    TF_bd w(rig.slot, 0);
    get<QLineEdit>(&w, edit)->setText(shown);
    for (const QString& b : buttons) get<QPushButton>(&w, b)->click();
    QCOMPARE(get<QLineEdit>(&w, edit)->text(), expected);
    QCOMPARE(stored(dir, key), expected);
    QCOMPARE(rig.prompts.messages(), QStringList{});
}

void TestLoadCalibrationWindow::editsTakeSignedNumbersWithOnePoint_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    // The second point is refused where it is typed; keys after it are typed as usual, as in every
    // number field of the program.
    QTest::newRow("1.2.") << "ed_bd1"
                          << "1.2."
                          << "1.2" << QStringList{"输入了两个小数点"};
    QTest::newRow("1.2.3") << "ed_fbd2"
                           << "1.2.3"
                           << "1.23" << QStringList{"输入了两个小数点"};
    QTest::newRow("minus and letters") << "ed_fbd_xs3"
                                       << "-0a.0b5"
                                       << "-0.05" << QStringList{};
    QTest::newRow("blank and comma") << "ed_bd_xs2"
                                     << "1 0,5"
                                     << "105" << QStringList{};
}

void TestLoadCalibrationWindow::editsTakeSignedNumbersWithOnePoint() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    TempAppDir dir;
    CardRig rig(dir.path());
    TF_bd w(rig.slot, 0);
    auto* line = get<QLineEdit>(&w, edit);
    line->clear();
    QTest::keyClicks(line, typed);
    QCOMPARE(line->text(), text);
    QCOMPARE(rig.prompts.messages(), messages);
}

void TestLoadCalibrationWindow::failedWriteReachesTheOperator() {
    SmallDisk disk;
    if (!disk.unavailable().isEmpty()) QSKIP(qPrintable("no small disk to fill: " + disk.unavailable()));
    {
        QFile file(disk.file("init0.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(kChannels), kChannels.size());
    }
    CardRig rig(disk.path());
    rig.readCount(2000);
    TF_bd w(rig.slot, 0);
    QVERIFY(disk.fill());
    get<QLineEdit>(&w, "ed_bd1")->setText("150");
    get<QPushButton>(&w, "bsSkinSpeedButton4")->click();
    get<QPushButton>(&w, "bsSkinSpeedButton8")->click();
    const QString noRoom = "无法写入" + QDir::toNativeSeparators(disk.file("init0.dat")) + "：磁盘空间不足";
    QCOMPARE(rig.prompts.messages(), (QStringList{noRoom, noRoom}));
    // The channel works with the new point although the file kept the old one: the window shows that.
    QCOMPARE(get<QLineEdit>(&w, "ed_bd_xs1")->text(), QString("0.0750001"));
    QCOMPARE(ProfileFile(disk.file("init0.dat")).readString("LOAD", "Gear2_Press_Coefficient1", ""),
             QString("0.0500000"));
}

void TestLoadCalibrationWindow::showsTheLiveLoad() {
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    TF_bd w(rig.slot, 0);
    // Gear 2 shows two decimals.
    rig.slot.record.load.store(12.345f);
    QTRY_COMPARE(get<QLineEdit>(&w, "bsSkinEdit1")->text(), QString("12.35"));
    rig.slot.record.load.store(-0.5f);
    QTRY_COMPARE(get<QLineEdit>(&w, "bsSkinEdit1")->text(), QString("-0.50"));
}

void TestLoadCalibrationWindow::followsAGearChange_data() {
    QTest::addColumn<bool>("waitForRefresh");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("gear1Coefficient");
    QTest::addColumn<QString>("gear2Coefficient");
    QTest::newRow("after the refresh") << true << QStringList{} << "0.9000001"
                                       << "0.0500000";
    // Pressed before the window caught up: gear 2's value must not be stepped into gear 1.
    QTest::newRow("before the refresh")
        << false << QStringList{"负荷档位已改变，请按当前档位重新确认标定值!!"} << "0.9000000"
        << "0.0500000";
}

void TestLoadCalibrationWindow::followsAGearChange() {
    QFETCH(bool, waitForRefresh);
    QFETCH(QStringList, messages);
    QFETCH(QString, gear1Coefficient);
    QFETCH(QString, gear2Coefficient);
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    TF_bd w(rig.slot, 0);
    QCOMPARE(get<QLineEdit>(&w, "ed_bd_xs1")->text(), QString("0.0500000"));
    rig.slot.load->SelectGear(1);
    if (waitForRefresh) QTRY_COMPARE(get<QLineEdit>(&w, "ed_bd_xs1")->text(), QString("0.9000000"));
    get<QPushButton>(&w, "bsSkinSpeedButton8")->click();
    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(stored(dir, "Gear1_Press_Coefficient1"), gear1Coefficient);
    QCOMPARE(stored(dir, "Gear2_Press_Coefficient1"), gear2Coefficient);
    QCOMPARE(get<QLineEdit>(&w, "ed_bd1")->text(), QString("900"));
}

void TestLoadCalibrationWindow::compressionPointShowsItsMirror() {
    TempAppDir dir;
    dir.write("init0.dat", kChannels);
    CardRig rig(dir.path());
    rig.readCount(2000);
    TF_bd w(rig.slot, 0);
    get<QLineEdit>(&w, "ed_bd1")->setText("150");
    get<QPushButton>(&w, "bsSkinSpeedButton4")->click();
    QCOMPARE(get<QLineEdit>(&w, "ed_fbd_xs1")->text(), QString("0.0750000"));
    // The step starts from the mirrored coefficient the channel uses, not from the value shown at opening.
    get<QPushButton>(&w, "bsSkinSpeedButton13")->click();
    QCOMPARE(stored(dir, "Gear2_Pull_Coefficient1"), QString("0.0749999"));
    QCOMPARE(rig.slot.load->GetGearRecord(2).pullCoefficient[0], 0.0749999);
    // A tension point mirrors nothing.
    rig.readCount(-6000);
    get<QLineEdit>(&w, "ed_fbd2")->setText("-160");
    get<QPushButton>(&w, "bsSkinSpeedButton2")->click();
    QCOMPARE(get<QLineEdit>(&w, "ed_bd_xs2")->text(), QString("0.0400000"));
    QCOMPARE(rig.prompts.messages(), QStringList{});
}

// The calibration window after three compression points on a 1000 N machine, for the README; taken when
// SPRINGTEST_SCREENSHOTS names a folder.
void TestLoadCalibrationWindow::pictureForTheReadme() {
    const QString folder = qEnvironmentVariable("SPRINGTEST_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SPRINGTEST_SCREENSHOTS names no folder");
    TempAppDir dir;
    dir.write("init0.dat", "[Load]\r\nMax_Range=1000\r\nGear_Total=1\r\nGear1_Decimal_Places=3\r\n");
    CardRig rig(dir.path());
    TF_bd w(rig.slot, 0);
    const struct {
        int count;
        const char* reference;
    } points[] = {{4012, "200"}, {12030, "600"}, {20061, "1000"}};
    for (int k = 1; k <= 3; ++k) {
        rig.readCount(points[k - 1].count);
        get<QLineEdit>(&w, "ed_bd" + QString::number(k))->setText(points[k - 1].reference);
        get<QPushButton>(&w, "bsSkinSpeedButton" + QString::number(k + 3))->click();
    }
    QCOMPARE(rig.prompts.messages(), QStringList{});
    rig.readCount(points[2].count);
    rig.slot.record.load.store(rig.slot.load->load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_COMPARE(get<QLineEdit>(&w, "bsSkinEdit1")->text(), QString("1000.000"));
    QDir().mkpath(folder);
    QVERIFY(w.grab().save(QDir(folder).filePath("calibration-window.png")));
}

QTEST_MAIN(TestLoadCalibrationWindow)
#include "tst_load_calibration_window.moc"
