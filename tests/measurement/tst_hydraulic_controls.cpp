// The oil source of the hydraulic machines: which way oil filling drives the cylinders at a displacement,
// and the relay pairs of the two-way drives, of which no write to the card may close both.

#include "measurement/CardSlot.h"
#include "measurement/HydraulicControls.h"
#include "measurement/TMotor.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::TempAppDir;

Q_DECLARE_METATYPE(springtest::CylinderMotion)
Q_DECLARE_METATYPE(springtest::HydraulicDrive)

namespace {

// One card's motor channel on the scripted driver, and the controls over it.
struct Rig {
    Rig() {
        FakeCard::reset();
        slot.motor = std::make_unique<TMotor>(dir.path(), 0, driver, &slot);
    }
    TMotor& motor() { return *slot.motor; }
    std::vector<std::vector<uint8_t>>& writes() { return FakeCard::state(0).relayWrites; }

    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
};

// The relays (1 … 8) a drive moves on: up, down.
std::pair<int, int> relaysOf(HydraulicDrive drive) {
    switch (drive) {
        case HydraulicDrive::MainCylinder:
            return {2, 3};
        case HydraulicDrive::Crossbeam:
            return {5, 6};
        case HydraulicDrive::LowerCylinder:
            return {7, 8};
    }
    return {0, 0};
}

}  // namespace

class TestHydraulicControls : public QObject {
    Q_OBJECT
private slots:
    void fillingTurnsTheCylinders_data();
    void fillingTurnsTheCylinders();
    void noWriteClosesBothRelaysOfADrive_data();
    void noWriteClosesBothRelaysOfADrive();
};

void TestHydraulicControls::fillingTurnsTheCylinders_data() {
    QTest::addColumn<bool>("filling");
    QTest::addColumn<CylinderMotion>("moving");  // both cylinders, when the displacement is read
    QTest::addColumn<float>("displacement");
    QTest::addColumn<CylinderMotion>("after");
    using M = CylinderMotion;
    QTest::newRow("up, short of the high turn") << true << M::Up << 399.9f << M::Up;
    QTest::newRow("up, at the high turn") << true << M::Up << 400.0f << M::Down;
    QTest::newRow("up, past the high turn") << true << M::Up << 430.0f << M::Down;
    QTest::newRow("down, short of the low turn") << true << M::Down << 200.1f << M::Down;
    QTest::newRow("down, at the low turn") << true << M::Down << 200.0f << M::Up;
    // Going up from below the low turn is what filling does after turning there.
    QTest::newRow("up, below the low turn") << true << M::Up << 150.0f << M::Up;
    QTest::newRow("down, above the high turn") << true << M::Down << 450.0f << M::Down;
    QTest::newRow("stopped by the operator") << true << M::Stop << 150.0f << M::Stop;
    QTest::newRow("filling switched off") << false << M::Up << 450.0f << M::Up;
}

void TestHydraulicControls::fillingTurnsTheCylinders() {
    QFETCH(bool, filling);
    QFETCH(CylinderMotion, moving);
    QFETCH(float, displacement);
    QFETCH(CylinderMotion, after);
    Rig rig;
    HydraulicControls controls(&rig.motor());
    controls.startFilling();
    if (!filling) controls.stopFilling();
    controls.move(HydraulicDrive::MainCylinder, moving);
    controls.move(HydraulicDrive::LowerCylinder, moving);

    QCOMPARE(controls.fillingTick(displacement), after != moving);
    QCOMPARE(controls.filling(), filling);
    for (HydraulicDrive drive : {HydraulicDrive::MainCylinder, HydraulicDrive::LowerCylinder}) {
        QCOMPARE(controls.motion(drive), after);
        const auto [up, down] = relaysOf(drive);
        QCOMPARE(rig.motor().GetRelay(up) != 0, after == CylinderMotion::Up);
        QCOMPARE(rig.motor().GetRelay(down) != 0, after == CylinderMotion::Down);
    }
    QCOMPARE(controls.motion(HydraulicDrive::Crossbeam), CylinderMotion::Stop);
}

void TestHydraulicControls::noWriteClosesBothRelaysOfADrive_data() {
    QTest::addColumn<HydraulicDrive>("drive");
    QTest::addColumn<QList<CylinderMotion>>("motions");
    QTest::addColumn<float>("fillingTurnAt");  // < 0: no filling
    using M = CylinderMotion;
    QTest::newRow("main cylinder down, then up")
        << HydraulicDrive::MainCylinder << QList<M>{M::Down, M::Up} << -1.0f;
    QTest::newRow("crossbeam up, then down")
        << HydraulicDrive::Crossbeam << QList<M>{M::Up, M::Down} << -1.0f;
    QTest::newRow("lower cylinder down, then up")
        << HydraulicDrive::LowerCylinder << QList<M>{M::Down, M::Up} << -1.0f;
    QTest::newRow("filling turns up at the low turn")
        << HydraulicDrive::LowerCylinder << QList<M>{M::Down} << 200.0f;
}

void TestHydraulicControls::noWriteClosesBothRelaysOfADrive() {
    QFETCH(HydraulicDrive, drive);
    QFETCH(QList<CylinderMotion>, motions);
    QFETCH(float, fillingTurnAt);
    Rig rig;
    HydraulicControls controls(&rig.motor());
    if (fillingTurnAt >= 0) controls.startFilling();
    for (CylinderMotion motion : motions) {
        controls.move(drive, motion);
        if (fillingTurnAt >= 0) controls.move(HydraulicDrive::MainCylinder, motion);
    }
    if (fillingTurnAt >= 0) QVERIFY(controls.fillingTick(fillingTurnAt));

    const auto [up, down] = relaysOf(drive);
    QVERIFY(!rig.writes().empty());
    for (const std::vector<uint8_t>& relays : rig.writes())
        QVERIFY2(relays.at(size_t(up - 1)) == 0 || relays.at(size_t(down - 1)) == 0,
                 "both relays of the drive closed at once");
    QCOMPARE(rig.motor().GetRelay(up) != 0, controls.motion(drive) == CylinderMotion::Up);
}

QTEST_GUILESS_MAIN(TestHydraulicControls)
#include "tst_hydraulic_controls.moc"
