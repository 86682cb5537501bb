// Platen alignment and displacement compensation on the simulated machine, against its ground truth: where
// the platens really touch, where the crosshead really stands, how far the frame really yields.

#include "calibration/PlatenAlignment.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/ProfileFile.h"
#include "session/ApplicationFolder.h"
#include "session/MachineSession.h"
#include "support/NearCompare.h"
#include "support/TempAppDir.h"
#include "support/WaitFor.h"

#include "SimCardTestApi.h"

#include <QtTest>

#include <algorithm>

#include <dlfcn.h>

using namespace springtest;
using springtest::testing::TempAppDir;
using springtest::testing::waitFor;

namespace {

constexpr int kMachineTimeout_ms = 60000;
constexpr double kContact_mm = 30.0;  // the platen gap at which the bare platens meet

struct AcceptingPrompts : StartupPrompts {
    void driverMissing(const QString&) override {}
    bool continueWithUnopenedCard(const QString&) override { return true; }
};

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
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();

private:
    double simGet(const char* key) { return m_get(0, key); }
    void simSet(const char* key, double v) { QCOMPARE(m_set(0, key, v), 0); }
    // The simulator of a separate program reads its settings from the application folder.
    void writeSim(const QString& key, const QString& value) {
        QVERIFY(ProfileFile(m_dir->file("simcard.ini")).writeString("card0", key, value));
    }
    struct Run {
        int exitCode = -1;
        QString out, err;
    };
    Run springtest(const QStringList& args);

    void* m_sim = nullptr;
    sim::SimSetFn m_set = nullptr;
    sim::SimGetFn m_get = nullptr;
    sim::SimLoadConfigFn m_loadConfig = nullptr;
    std::unique_ptr<TempAppDir> m_dir;
};

void TestAlignmentRun::initTestCase() {
    // Held open for the whole test, so that the session's own loading and unloading of the driver never
    // invalidates these entry points.
    const QByteArray path = (QCoreApplication::applicationDirPath() + "/libRX720.so").toLocal8Bit();
    m_sim = dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE);
    QVERIFY2(m_sim, dlerror());
    m_set = reinterpret_cast<sim::SimSetFn>(dlsym(m_sim, "SimSet"));
    m_get = reinterpret_cast<sim::SimGetFn>(dlsym(m_sim, "SimGet"));
    m_loadConfig = reinterpret_cast<sim::SimLoadConfigFn>(dlsym(m_sim, "SimLoadConfig"));
    QVERIFY(m_set && m_get && m_loadConfig);
}

void TestAlignmentRun::init() {
    m_dir = std::make_unique<TempAppDir>();
    QVERIFY(initialiseApplicationFolder(m_dir->path()).error.isEmpty());
    QDir::setCurrent(m_dir->path());
    // Bare platens that meet within the crosshead's travel.
    writeSim("specimen", "none");
    writeSim("platen_contact_mm", QString::number(kContact_mm));
    writeSim("noise_seed", "4711");
    QCOMPARE(m_loadConfig(m_dir->file("simcard.ini").toLocal8Bit().constData()), 0);
}

void TestAlignmentRun::cleanup() {
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

TestAlignmentRun::Run TestAlignmentRun::springtest(const QStringList& args) {
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/springtest",
            QStringList{"--appdir", m_dir->path()} + args);
    p.closeWriteChannel();
    Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = "timed out";
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestAlignmentRun::alignmentFromEightyMillimetres() {
    // Compensated for the frame, as a lab does before it aligns: the contact load bends the frame by as much
    // as the tolerance.
    QVERIFY(ProfileFile(m_dir->file("init0.dat"))
                .writeString("Displacement", "Compensation_coefficient", "0.0000200"));
    simSet("frame_compliance_mm_per_n", 0.00002);
    simSet("position_mm", 80);
    MachineSession session(m_dir->path());
    AcceptingPrompts prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
    session.startAcquisition(nullptr);
    CardSlot& slot = session.cards().cards[0];
    const float range = slot.load->GetGearRecord(slot.load->currentGear()).range;
    const uint64_t cycles = session.acquisition()->cycles();
    QVERIFY(waitFor([&] { return session.acquisition()->cycles() > cycles + 5; }));

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
    const uint64_t after = session.acquisition()->cycles();
    QVERIFY(waitFor([&] { return session.acquisition()->cycles() > after + 5; }));

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
    QVERIFY(session.shutdown().isEmpty());
}

void TestAlignmentRun::alignCommandEndsAtTheReturnHeight() {
    writeSim("start_position_mm", "36");
    const Run run = springtest({"align", "--return-height", "10"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    QVERIFY2(run.out.contains("platens touched"), qPrintable(run.out));
    QVERIFY2(run.out.contains("back at "), qPrintable(run.out));
    // Where the program left the crosshead, which the next start continues from.
    QCOMPARE(m_loadConfig(m_dir->file("simcard.ini").toLocal8Bit().constData()), 0);
    COMPARE_NEAR(simGet("gap_mm") - kContact_mm, 10.0, 0, 0.02);
}

void TestAlignmentRun::compensationMatchesTheFrame() {
    // Platens as rigid as the frame is not: all the encoder sees beyond the travel is the frame's yield.
    writeSim("platen_rate_n_per_mm", "1e9");
    writeSim("start_position_mm", QString::number(kContact_mm + 1));
    const double compliance = 0.00002;
    writeSim("frame_compliance_mm_per_n", QString::number(compliance));
    const Run run = springtest({"compensate", "--yes"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    qInfo("%s", qPrintable(run.out.trimmed()));
    const double coefficient =
        ProfileFile(m_dir->file("init0.dat")).readDouble("Displacement", "Compensation_coefficient", 0.0);
    COMPARE_NEAR(coefficient, compliance, 0.02, 0);
    // The load is off the frame again: below the contact threshold of the full range.
    QCOMPARE(m_loadConfig(m_dir->file("simcard.ini").toLocal8Bit().constData()), 0);
    QVERIFY2(simGet("force") < 0.005 * 5000, qPrintable(QString::number(simGet("force"))));
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
    const Run run = springtest(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    QVERIFY(!QFile::exists(m_dir->file("simcard.state")));
}

QTEST_GUILESS_MAIN(TestAlignmentRun)
#include "tst_alignment_run.moc"
