// The simulated machine between two runs of the program: like a real crosshead, the simulated one stays
// where the last run left it, so that the displacement the program saved and the machine still agree.
//
// The driver library must really be let go between the runs, as when the program ends: this test never
// holds it open itself.

#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"
#include "session/ApplicationFolder.h"
#include "session/MachineSession.h"
#include "support/NearCompare.h"
#include "support/TempAppDir.h"
#include "support/WaitFor.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

struct Yes : StartupPrompts {
    void driverMissing(const QString&) override {}
    bool continueWithUnopenedCard(const QString&) override { return true; }
};

// The spring on card 0: free height 60 mm, 10 N/mm. The crosshead is configured to start 2 mm into it.
constexpr double kFreeHeight = 60.0, kRate = 10.0, kConfiguredStart = 58.0;

}  // namespace

class TestMachineRestart : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void crossheadStaysWhereTheRunLeftIt_data();
    void crossheadStaysWhereTheRunLeftIt();

private:
    // One run of the program: the session started, `during` done while the acquisition runs, shut down.
    void run(const std::function<void(MachineSession&)>& during);
    std::unique_ptr<TempAppDir> m_dir;
};

void TestMachineRestart::init() {
    m_dir = std::make_unique<TempAppDir>();
    QVERIFY(initialiseApplicationFolder(m_dir->path()).error.isEmpty());
    QDir::setCurrent(m_dir->path());
    ProfileFile sim(m_dir->file("simcard.ini"));
    QVERIFY(sim.writeString("card0", "start_position_mm", QString::number(kConfiguredStart)));
    QVERIFY(sim.writeString("card0", "free_height_mm", QString::number(kFreeHeight)));
    QVERIFY(sim.writeString("card0", "rate_n_per_mm", QString::number(kRate)));
    QVERIFY(sim.writeString("card0", "noise_seed", "99"));
}

void TestMachineRestart::cleanup() {
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

void TestMachineRestart::run(const std::function<void(MachineSession&)>& during) {
    MachineSession session(m_dir->path());
    Yes prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
    session.startAcquisition(nullptr);
    const uint64_t cycles = session.acquisition()->cycles();
    QVERIFY(testing::waitFor([&] { return session.acquisition()->cycles() > cycles + 50; }));
    during(session);
    QVERIFY(session.shutdown().isEmpty());
}

void TestMachineRestart::crossheadStaysWhereTheRunLeftIt_data() {
    QTest::addColumn<QByteArray>("stateBetween");  // what is done to the state file between the runs
    QTest::addColumn<bool>("whereLeft");           // false: back at the configured start
    QTest::newRow("left by the last run") << QByteArray() << true;
    QTest::newRow("state file removed") << QByteArray("remove") << false;
    QTest::newRow("state file damaged") << QByteArray("\x7f\x01[crosshead]\ncard0 = 6x.5\n") << false;
}

void TestMachineRestart::crossheadStaysWhereTheRunLeftIt() {
    QFETCH(QByteArray, stateBetween);
    QFETCH(bool, whereLeft);

    // The first run drives the crosshead 3 mm up, clear of the spring, as the operator does from the monitor.
    float displacementLeft = 0, displacementAtStart = 0;
    run([&](MachineSession& session) {
        CardSlot& card = session.cards().cards[0];
        displacementAtStart = card.record.displacement.load();
        COMPARE_NEAR(card.record.load.load(), (kFreeHeight - kConfiguredStart) * kRate, 0.02, 0.5);
        card.motor->SetSpeed(300.0f);
        QVERIFY(card.motor->CommandUp());
        QVERIFY(
            testing::waitFor([&] { return card.record.displacement.load() >= displacementAtStart + 3.0f; }));
        card.motor->CommandStop();
        QVERIFY(testing::waitFor([&] { return card.motor->state() == MotionState::Stopped; }));
        QTest::qWait(50);  // readings of the crosshead at rest
        displacementLeft = card.record.displacement.load();
        QCOMPARE(card.record.load.load(), 0.0f);
    });
    QVERIFY(QFile::exists(m_dir->file("simcard.state")));
    QCOMPARE(QDir(m_dir->path()).entryList({"simcard.state.*"}, QDir::Files), QStringList());

    if (stateBetween == "remove")
        QVERIFY(QFile::remove(m_dir->file("simcard.state")));
    else if (!stateBetween.isEmpty())
        m_dir->write("simcard.state", stateBetween);

    // The second run continues from the saved displacement; the load says where the crosshead really is.
    run([&](MachineSession& session) {
        CardSlot& card = session.cards().cards[0];
        const float load = card.record.load.load();
        if (whereLeft) {
            QCOMPARE(load, 0.0f);
            QCOMPARE(card.record.displacement.load(), displacementLeft);
        } else {
            COMPARE_NEAR(load, (kFreeHeight - kConfiguredStart) * kRate, 0.02, 0.5);
            // The frame's compensation for the load now on the cell may carry the shown hundredth over.
            COMPARE_NEAR(card.record.displacement.load(), displacementLeft, 0, 0.0101);
        }
    });
}

QTEST_GUILESS_MAIN(TestMachineRestart)
#include "tst_machine_restart.moc"
