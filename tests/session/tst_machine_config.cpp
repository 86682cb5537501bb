#include "session/MachineConfig.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

class TestMachineConfig : public QObject {
    Q_OBJECT
private slots:
    void fullRateCurveReadsOnOnlyForOne_data();
    void fullRateCurveReadsOnOnlyForOne();
    void switchingKeepsTheRestOfTheFile();
};

void TestMachineConfig::fullRateCurveReadsOnOnlyForOne_data() {
    QTest::addColumn<QByteArray>("line");  // in section [system]; empty: no such key
    QTest::addColumn<bool>("on");
    QTest::newRow("not in the file") << QByteArray() << false;
    QTest::newRow("1") << QByteArray("FullRateCurve=1") << true;
    QTest::newRow("1 with blanks") << QByteArray("FullRateCurve= 1 ") << true;
    QTest::newRow("0") << QByteArray("FullRateCurve=0") << false;
    QTest::newRow("empty") << QByteArray("FullRateCurve=") << false;
    QTest::newRow("yes") << QByteArray("FullRateCurve=yes") << false;
    QTest::newRow("nan") << QByteArray("FullRateCurve=nan") << false;
    QTest::newRow("2") << QByteArray("FullRateCurve=2") << false;
    QTest::newRow("-1") << QByteArray("FullRateCurve=-1") << false;
    QTest::newRow("1.5") << QByteArray("FullRateCurve=1.5") << false;
    QTest::newRow("1x") << QByteArray("FullRateCurve=1x") << false;
    QTest::newRow("a number too large") << QByteArray("FullRateCurve=99999999999999999999") << false;
}

void TestMachineConfig::fullRateCurveReadsOnOnlyForOne() {
    QFETCH(QByteArray, line);
    QFETCH(bool, on);
    TempAppDir dir;
    dir.write("init0.dat", "[system]\nMachineType=0\nCardSum=1\n" + line + "\n");
    const MachineConfig config = MachineConfig::read(dir.path());
    QCOMPARE(config.fullRateCurve, on);
    QCOMPARE(config.cardCount, 1);
}

void TestMachineConfig::switchingKeepsTheRestOfTheFile() {
    TempAppDir dir;
    dir.write("init0.dat", "[system]\nMachineType=3\nMachineName=M\nCardSum=2\n\n[Load]\nMax_Range=5000\n");
    QString error;
    QVERIFY2(writeFullRateCurve(dir.path(), true, &error), qPrintable(error));
    MachineConfig config = MachineConfig::read(dir.path());
    QVERIFY(config.fullRateCurve);
    QCOMPARE(config.machineType, 3);
    QCOMPARE(config.machineName, QString("M"));
    QCOMPARE(config.cardCount, 2);
    QVERIFY(dir.read("init0.dat").contains("Max_Range=5000"));
    QVERIFY(writeFullRateCurve(dir.path(), false, &error));
    QVERIFY(!MachineConfig::read(dir.path()).fullRateCurve);
}

QTEST_GUILESS_MAIN(TestMachineConfig)
#include "tst_machine_config.moc"
