#include "session/SingleInstance.h"
#include "support/SmallDisk.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::SmallDisk;
using springtest::testing::TempAppDir;

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondProgramFindsTheMachineHeld();
    void fullDiskIsToldAsSuch();
};

void TestSingleInstance::secondProgramFindsTheMachineHeld() {
    TempAppDir dir;
    SingleInstance first(dir.path());
    QCOMPARE(first.tryClaim(), SingleInstance::Claim::Claimed);
    SingleInstance second(dir.path());
    QCOMPARE(second.tryClaim(), SingleInstance::Claim::HeldElsewhere);
    QVERIFY(!second.claimed());
}

// On a full disk the lock cannot be written: the program must not start, and the operator learns that
// the disk is full rather than that the folder is not writable.
void TestSingleInstance::fullDiskIsToldAsSuch() {
    SmallDisk disk;
    if (!disk.unavailable().isEmpty()) QSKIP(qPrintable("no small disk to fill: " + disk.unavailable()));
    QVERIFY(disk.fill());
    SingleInstance instance(disk.path());
    QCOMPARE(instance.tryClaim(), SingleInstance::Claim::Failed);
    QCOMPARE(instance.failureText(),
             "无法写入" + QDir::toNativeSeparators(disk.file("springtest.lock")) + "：磁盘空间不足");
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
