// A new lateral-stiffness installation (`springtest init --machine-type 5`) started as the program starts it:
// its four cards read live through their channels, and what they read is the coupled simulated machine's
// truth.

#include "measurement/TMotor.h"
#include "platform/ProfileFile.h"
#include "support/NearCompare.h"
#include "support/SimMachine.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::SimMachine;
using springtest::testing::SimulatorLibrary;

namespace {

enum Card { Axial = 0, Lateral = 1, Turntable = 2, XSensor = 3 };

// A displacement is read to the hundredth; the encoder below that.
constexpr double kReadingMm = 0.006;

}  // namespace

class TestLateralInstallation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void folderNamesEveryCard_data();
    void folderNamesEveryCard();
    void secondInitKeepsTheLabsSettings();
    void sensorsFollowTheAxialSpringsTop();
    void lateralDrivePushesBothWays();
    void turntableTurnsTheOffset();

private:
    // Waits for fresh readings of every card.
    void settle() { QVERIFY(m_machine->readingsPass(5)); }
    float displacement(int card) { return m_machine->card(card).record.displacement.load(); }
    std::unique_ptr<SimMachine> m_machine;
};

void TestLateralInstallation::initTestCase() {
    const QString& error = SimulatorLibrary::instance().error();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestLateralInstallation::init() {
    m_machine = std::make_unique<SimMachine>(5);
    QVERIFY2(m_machine->error().isEmpty(), qPrintable(m_machine->error()));
    QVERIFY(m_machine->loadSimulator());
}

void TestLateralInstallation::cleanup() {
    m_machine.reset();
}

void TestLateralInstallation::folderNamesEveryCard_data() {
    QTest::addColumn<int>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("units");
    QTest::addColumn<double>("perPulse");

    QTest::newRow("axial drive") << int(Axial) << "位移"
                                 << "mm" << 0.00025;
    QTest::newRow("lateral drive, the Y sensor") << int(Lateral) << "位移"
                                                 << "mm" << 0.00025;
    QTest::newRow("turntable") << int(Turntable) << "转盘角度"
                               << "°" << 0.01;
    QTest::newRow("X sensor") << int(XSensor) << "位移"
                              << "mm" << 0.00025;
}

// The windows title the lateral readings from these settings; each card's channel file has the shipped
// calibration of the simulated card, and its encoder resolution is the simulator's.
void TestLateralInstallation::folderNamesEveryCard() {
    QFETCH(int, card);
    QFETCH(QString, name);
    QFETCH(QString, units);
    QFETCH(double, perPulse);
    const ProfileFile machine(m_machine->file("init0.dat"));
    QCOMPARE(machine.readInt("system", "MachineType", -1), 5);
    QCOMPARE(machine.readInt("system", "CardSum", -1), 4);

    const ProfileFile channels(channelConfigFile(m_machine->path(), card));
    QCOMPARE(channels.readString("Displacement", "Name", "?"), name);
    QCOMPARE(channels.readString("Displacement", "Units", "?"), units);
    QCOMPARE(channels.readDouble("Displacement", "coefficient", 0.0), perPulse);
    QCOMPARE(m_machine->simGet("mm_per_pulse", card), perPulse);
    QCOMPARE(channels.readString("Load", "Gear1_AD_ZERO", "?"), QString("100"));
    QCOMPARE(channels.readString("Load", "Gear1_Press_Coefficient1", "?"), QString("0.2500000"));
}

void TestLateralInstallation::secondInitKeepsTheLabsSettings() {
    QVERIFY(m_machine->writeChannel("Displacement", "Name", "转角", Turntable));
    QVERIFY(m_machine->writeSimulator("lateral_offset_per_mm", "0.2"));
    const InitResult again = initialiseApplicationFolder(m_machine->path(), 5);
    QCOMPARE(again.error, QString());
    QVERIFY(again.created.isEmpty());
    QVERIFY(again.kept.contains("init2.dat"));
    QCOMPARE(
        ProfileFile(channelConfigFile(m_machine->path(), Turntable)).readString("Displacement", "Name", "?"),
        QString("转角"));
    QCOMPARE(ProfileFile(m_machine->file("simcard.ini")).readString("card0", "lateral_offset_per_mm", "?"),
             QString("0.2"));
}

// Pressed, the axial spring's top moves sideways: card 3 reads its X and card 1 its Y, as the truth says.
void TestLateralInstallation::sensorsFollowTheAxialSpringsTop() {
    QCOMPARE(m_machine->start(), MachineSession::Outcome::Running);
    QCOMPARE(m_machine->session().cards().count, 4);
    m_machine->startAcquisition();
    settle();
    QCOMPARE(displacement(XSensor), 0.0f);
    QCOMPARE(displacement(Lateral), 0.0f);

    const double freeHeight = m_machine->simGet("free_height_mm");
    for (const double deflection_mm : {5.0, 20.0}) {
        const QString where = QStringLiteral("pressed %1 mm").arg(deflection_mm);
        QVERIFY(m_machine->simSet("position_mm", freeHeight - deflection_mm));
        settle();
        const double x = m_machine->simGet("offset_x_mm"), y = m_machine->simGet("offset_y_mm");
        // The spring is pressed a little less than the crosshead came down: the frame gives under the load.
        COMPARE_NEAR(m_machine->simGet("deflection_mm"), deflection_mm, 0.0, 0.01, where);
        COMPARE_NEAR(std::hypot(x, y), 0.1 * m_machine->simGet("deflection_mm"), 0.0, 1e-9, where);
        COMPARE_NEAR(displacement(XSensor), x, 0.0, kReadingMm, where);
        COMPARE_NEAR(displacement(Lateral), y, 0.0, kReadingMm, where);
        // Towards 120° with the turntable where it started: X negative, Y positive.
        COMPARE_NEAR(m_machine->simGet("offset_angle_deg"), 120.0, 0.0, 1e-6, where);
    }
}

// Card 1 stands at its lateral spring's neutral: pushed in it reads a compression load, pulled out a tension
// load, at 20 N/mm.
void TestLateralInstallation::lateralDrivePushesBothWays() {
    QCOMPARE(m_machine->start(), MachineSession::Outcome::Running);
    m_machine->startAcquisition();
    settle();
    COMPARE_NEAR(m_machine->card(Lateral).record.load.load(), 0.0, 0.0, 0.5);
    for (const double position_mm : {-5.0, 5.0}) {
        const QString where = QStringLiteral("at %1 mm").arg(position_mm);
        QVERIFY(m_machine->simSet("position_mm", position_mm, Lateral));
        settle();
        COMPARE_NEAR(m_machine->simGet("lateral_force_n", Lateral), -20.0 * position_mm, 0.0, 1e-9, where);
        COMPARE_NEAR(m_machine->card(Lateral).record.load.load(), -20.0 * position_mm, 0.0, 0.5, where);
        COMPARE_NEAR(displacement(Lateral), position_mm, 0.0, kReadingMm, where);
    }
}

// The turntable turns at 360 °/min for the speed 20 and reads its angle in degrees; the offset's direction
// turns with it.
void TestLateralInstallation::turntableTurnsTheOffset() {
    QCOMPARE(m_machine->start(), MachineSession::Outcome::Running);
    m_machine->startAcquisition();
    QVERIFY(m_machine->simSet("position_mm", m_machine->simGet("free_height_mm") - 10.0));
    settle();
    TMotor& turntable = *m_machine->card(Turntable).motor;
    turntable.SetSpeed(20);
    QVERIFY(turntable.CommandUp());
    QCOMPARE(m_machine->simGet("velocity_mm_per_min", Turntable), 360.0);
    QVERIFY(testing::waitFor([&] { return m_machine->simGet("turntable_angle_deg", Turntable) > 3.0; }));
    turntable.CommandStop();
    settle();
    const double angle = m_machine->simGet("turntable_angle_deg", Turntable);
    COMPARE_NEAR(displacement(Turntable), angle, 0.0, kReadingMm);
    COMPARE_NEAR(m_machine->simGet("offset_angle_deg"), 120.0 + angle, 0.0, 1e-6);
    COMPARE_NEAR(std::atan2(-displacement(XSensor), -displacement(Lateral)) * 180.0 / M_PI, 120.0 + angle,
                 0.0, 1.5);
}

QTEST_GUILESS_MAIN(TestLateralInstallation)
#include "tst_lateral_installation.moc"
