// Platen alignment and displacement compensation on the simulated machine, against its ground truth: where
// the platens really touch, where the crosshead really stands, how far the frame really yields.

#include "calibration/AuditTrail.h"
#include "calibration/PlatenAlignment.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/ProfileFile.h"
#include "storage/Schema.h"
#include "support/NearCompare.h"
#include "support/ProgramRun.h"
#include "support/SimMachine.h"
#include "support/WaitFor.h"

#include <QtTest>

#include <algorithm>
#include <csignal>

using namespace springtest;
using springtest::testing::ProgramRun;
using springtest::testing::SimMachine;
using springtest::testing::SimulatorLibrary;
using springtest::testing::waitFor;

namespace {

constexpr int kMachineTimeout_ms = 60000;
constexpr double kContact_mm = 30.0;  // the platen gap at which the bare platens meet

}  // namespace

class TestAlignmentRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void alignmentFromEightyMillimetres();
    void alignCommandEndsAtTheReturnHeight();
    void compensationMatchesTheFrame();
    void signalStopsTheProcedure_data();
    void signalStopsTheProcedure();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();

private:
    double simGet(const char* key) { return m_machine->simGet(key); }
    void simSet(const char* key, double v) { QVERIFY(m_machine->simSet(key, v)); }
    // The simulator of a separate program reads its settings from the application folder.
    void writeSim(const QString& key, const QString& value) {
        QVERIFY(m_machine->writeSimulator(key, value));
    }
    // The settings, and where the last program left the crosshead, into this test's simulator.
    void loadSim() { QVERIFY(m_machine->loadSimulator()); }
    ProgramRun springtest(const QStringList& args) { return testing::runSpringtest(m_machine->path(), args); }

    std::unique_ptr<SimMachine> m_machine;
};

void TestAlignmentRun::initTestCase() {
    const QString& error = SimulatorLibrary::instance().error();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestAlignmentRun::init() {
    m_machine = std::make_unique<SimMachine>();
    QVERIFY2(m_machine->error().isEmpty(), qPrintable(m_machine->error()));
    // Bare platens that meet within the crosshead's travel.
    writeSim("specimen", "none");
    writeSim("platen_contact_mm", QString::number(kContact_mm));
    writeSim("noise_seed", "4711");
    loadSim();
}

void TestAlignmentRun::cleanup() {
    m_machine.reset();
}

void TestAlignmentRun::alignmentFromEightyMillimetres() {
    // Compensated for the frame, as a lab does before it aligns: the contact load bends the frame by as much
    // as the tolerance.
    QVERIFY(m_machine->writeChannel("Displacement", "Compensation_coefficient", "0.0000200"));
    simSet("frame_compliance_mm_per_n", 0.00002);
    simSet("position_mm", 80);
    QCOMPARE(m_machine->start(), MachineSession::Outcome::Running);
    m_machine->startAcquisition();
    CardSlot& slot = m_machine->card();
    const float range = slot.load->GetGearRecord(slot.load->currentGear()).range;
    QVERIFY(m_machine->readingsPass(6));

    PlatenAlignment alignment(slot);
    QCOMPARE(alignment.Start(50.0f), PlatenAlignment::StartResult::Started);
    // Watched closely, on this thread, while the alignment's own timer does the work: the force the platens
    // really carried, and where the crosshead turned.
    double peakForce = 0;
    QDeadlineTimer deadline(kMachineTimeout_ms);
    while (alignment.stage() == AlignmentStage::Approaching && !deadline.hasExpired()) {
        peakForce = std::max(peakForce, simGet("force"));
        QThread::usleep(100);
    }
    const float loadAtContact = slot.record.load.load();
    const double turnedAt_mm = simGet("position_mm");
    QCOMPARE(alignment.stage(), AlignmentStage::Returning);
    QVERIFY(waitFor([&] { return alignment.stage() == AlignmentStage::Idle; }, kMachineTimeout_ms));
    QVERIFY(m_machine->readingsPass(6));

    const double position_mm = simGet("position_mm");
    const double gap_mm = simGet("gap_mm");
    const float displacement_mm = slot.record.displacement.load();
    qInfo(
        "contact seen at %.2f N (threshold %.2f N, true peak %.1f N), turned %.4f mm past the contact; "
        "zero %.4f mm from the contact; back at gap %.4f mm above the contact, reading %.2f mm",
        loadAtContact, 0.005 * range, peakForce, kContact_mm - turnedAt_mm,
        position_mm - displacement_mm - kContact_mm, gap_mm - kContact_mm, displacement_mm);

    // The contact: the load reached 0.5 % of the range, and the crosshead turned on meeting it.
    QVERIFY(loadAtContact >= 0.005f * range);
    QVERIFY(peakForce >= 0.005 * range);
    QVERIFY(turnedAt_mm <= kContact_mm);
    COMPARE_NEAR(turnedAt_mm, kContact_mm, 0, 0.02);
    // The zero: with the platens apart the displacement is the crosshead's travel from where it was zeroed.
    COMPARE_NEAR(position_mm - displacement_mm, kContact_mm, 0, 0.02);
    // The return: the platens stand the return height apart, and the displacement says so.
    COMPARE_NEAR(gap_mm - kContact_mm, 50.0, 0, 0.02);
    COMPARE_NEAR(displacement_mm, 50.0, 0, 0.02);
    QCOMPARE(slot.motor->state(), MotionState::Stopped);
    QVERIFY(m_machine->shutdown().isEmpty());
}

void TestAlignmentRun::alignCommandEndsAtTheReturnHeight() {
    writeSim("start_position_mm", "36");
    const ProgramRun run = springtest({"align", "--return-height", "10"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    QVERIFY2(run.out.contains("platens touched"), qPrintable(run.out));
    QVERIFY2(run.out.contains("back at "), qPrintable(run.out));
    // Where the program left the crosshead, which the next start continues from.
    loadSim();
    COMPARE_NEAR(simGet("gap_mm") - kContact_mm, 10.0, 0, 0.02);
}

void TestAlignmentRun::compensationMatchesTheFrame() {
    // Platens as rigid as the frame is not: all the encoder sees beyond the travel is the frame's yield.
    writeSim("platen_rate_n_per_mm", "1e9");
    writeSim("start_position_mm", QString::number(kContact_mm + 1));
    const double compliance = 0.00002;
    writeSim("frame_compliance_mm_per_n", QString::number(compliance));
    // A coefficient from before, to be replaced: the encoder's pulses are measured, not the compensated
    // displacement, so it has no part in the result.
    QVERIFY(ProfileFile(m_machine->file("init0.dat"))
                .writeString("Displacement", "Compensation_coefficient", "0.0000500"));
    const ProgramRun run = springtest({"compensate", "--yes"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    qInfo("%s", qPrintable(run.out.trimmed()));
    const double coefficient =
        ProfileFile(m_machine->file("init0.dat")).readDouble("Displacement", "Compensation_coefficient", 0.0);
    COMPARE_NEAR(coefficient, compliance, 0.02, 0);
    // The audit trail holds the change, as the window's would be.
    const auto trail = readAudit(schemeDatabasePath(m_machine->path()));
    QVERIFY(trail && !trail->isEmpty());
    QCOMPARE(trail->last().key, QString("Compensation_coefficient"));
    QCOMPARE(trail->last().oldValue, QString("0.0000500"));
    QCOMPARE(
        trail->last().newValue,
        ProfileFile(m_machine->file("init0.dat")).readString("Displacement", "Compensation_coefficient", {}));
    // The load is off the frame again: below the contact threshold of the full range.
    loadSim();
    QVERIFY2(simGet("force") < 0.005 * 5000, qPrintable(QString::number(simGet("force"))));
}

void TestAlignmentRun::signalStopsTheProcedure_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("started");  // what the program prints as the crosshead sets off
    QTest::newRow("align") << QStringList{"align", "--return-height", "50"} << "approaching";
    QTest::newRow("compensate") << QStringList{"compensate", "--yes"} << "closing the platens";
}

// Ctrl+C on the way down: the program ends as a signal ends it, says so, lets go of the machine, and the
// crosshead stands where it was stopped, far above the platens' contact, nothing zeroed or stored.
void TestAlignmentRun::signalStopsTheProcedure() {
    QFETCH(QStringList, args);
    QFETCH(QString, started);
    writeSim("start_position_mm", "80");
    const auto coefficient = [&] {
        return ProfileFile(m_machine->file("init0.dat"))
            .readString("Displacement", "Compensation_coefficient", "(none)");
    };
    const QString coefficientBefore = coefficient();
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/springtest",
            QStringList{"--appdir", m_machine->path()} + args);
    QString out;
    QTRY_VERIFY_WITH_TIMEOUT((out += QString::fromUtf8(p.readAllStandardOutput())).contains(started), 30000);
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 130);
    QVERIFY2(err.contains("stopped by signal 2"), qPrintable(err));
    QVERIFY(!QFile::exists(m_machine->file("springtest.lock")));
    loadSim();
    QVERIFY2(simGet("position_mm") > kContact_mm + 10, qPrintable(QString::number(simGet("position_mm"))));
    QCOMPARE(coefficient(), coefficientBefore);
}

void TestAlignmentRun::badOptionsAreRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("says");
    QTest::newRow("no return height") << QStringList{"align"} << "--return-height";
    QTest::newRow("return height no number")
        << QStringList{"align", "--return-height", "5O"} << "return-height";
    QTest::newRow("negative return height")
        << QStringList{"align", "--return-height", "-5"} << "return-height";
    QTest::newRow("card out of range")
        << QStringList{"align", "--return-height", "5", "--card", "7"} << "card";
    QTest::newRow("unknown option") << QStringList{"align", "--return-height", "5", "--fast"} << "fast";
    QTest::newRow("load no number") << QStringList{"compensate", "--load", "full"} << "load";
    QTest::newRow("zero load") << QStringList{"compensate", "--load", "0"} << "load";
    QTest::newRow("zero speed") << QStringList{"compensate", "--loading-speed", "0"} << "loading-speed";
}

// Refused before anything moves: exit code 2 and the option named, the crosshead where it was.
void TestAlignmentRun::badOptionsAreRefused() {
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    const ProgramRun run = springtest(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    QVERIFY(!QFile::exists(m_machine->file("simcard.state")));
}

QTEST_GUILESS_MAIN(TestAlignmentRun)
#include "tst_alignment_run.moc"
