#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/ProfileFile.h"
#include "platform/WindowTarget.h"
#include "session/ApplicationFolder.h"
#include "session/MachineSession.h"
#include "support/TempAppDir.h"

#include "SimCardTestApi.h"

#include <QtTest>

#include <atomic>
#include <functional>

#include <dlfcn.h>
#include <cmath>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

// Answers the start-up questions as a test tells it to and keeps what was asked.
struct ScriptedPrompts : StartupPrompts {
    bool answerYes = true;
    QStringList shown;
    void driverMissing(const QString& m) override { shown << m; }
    bool continueWithUnopenedCard(const QString& m) override {
        shown << m;
        return answerYes;
    }
};

}  // namespace

class TestSimAcquisition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadFollowsTheSimulatedSpring();
    void overloadStopsTheCrossheadInTheSameReading();
    void autoGearFollowsTheLoad();
    void displacementContinuesAfterRestart();
    void missingDriverStopsStartUp();
    void unopenedCardAsksTheOperator_data();
    void unopenedCardAsksTheOperator();
    void cardCountIsClamped();

private:
    double simGet(int card, const char* key) { return m_get(card, key); }
    void simSet(int card, const char* key, double v) { QCOMPARE(m_set(card, key, v), 0); }
    void writeMachine(const QByteArray& systemSection);
    void waitFor(const std::function<bool()>& done, int timeout_ms = 15000);

    void* m_sim = nullptr;
    sim::SimSetFn m_set = nullptr;
    sim::SimGetFn m_get = nullptr;
    sim::SimLoadConfigFn m_loadConfig = nullptr;
    std::unique_ptr<TempAppDir> m_dir;
};

void TestSimAcquisition::initTestCase() {
    // Held open by the loader itself for the whole test, so that the sessions' own loading and unloading
    // of the driver never invalidates these entry points.
    const QByteArray path = (QCoreApplication::applicationDirPath() + "/libRX720.so").toLocal8Bit();
    m_sim = dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE);
    QVERIFY2(m_sim, dlerror());
    m_set = reinterpret_cast<sim::SimSetFn>(dlsym(m_sim, "SimSet"));
    m_get = reinterpret_cast<sim::SimGetFn>(dlsym(m_sim, "SimGet"));
    m_loadConfig = reinterpret_cast<sim::SimLoadConfigFn>(dlsym(m_sim, "SimLoadConfig"));
    QVERIFY(m_set && m_get && m_loadConfig);
}

void TestSimAcquisition::init() {
    m_dir = std::make_unique<TempAppDir>();
    QVERIFY(initialiseApplicationFolder(m_dir->path()).error.isEmpty());
    QDir::setCurrent(m_dir->path());
    QCOMPARE(m_loadConfig(m_dir->file("simcard.ini").toLocal8Bit().constData()), 0);
    simSet(0, "noise_seed", 12345);
}

void TestSimAcquisition::cleanup() {
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

void TestSimAcquisition::writeMachine(const QByteArray& systemSection) {
    ProfileFile ini(m_dir->file("init0.dat"));
    for (const QByteArray& line : systemSection.split('\n')) {
        const auto kv = line.split('=');
        if (kv.size() == 2) QVERIFY(ini.writeString("system", kv[0], kv[1]));
    }
}

void TestSimAcquisition::waitFor(const std::function<bool()>& done, int timeout_ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeout_ms) QTest::qWait(5);
    QVERIFY2(done(), "timed out waiting on the simulated machine");
}

void TestSimAcquisition::loadFollowsTheSimulatedSpring() {
    MachineSession session(m_dir->path());
    ScriptedPrompts prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
    session.startAcquisition(nullptr);
    CardSlot& card = session.cards().cards[0];
    TMotor& motor = *card.motor;
    const uint64_t startCycles = session.acquisition()->cycles();
    waitFor([&] { return session.acquisition()->cycles() > startCycles + 20; });

    simSet(0, "position_mm", 62.0);  // 2 mm above the spring
    waitFor([&] {
        return std::abs(card.record.displacement.load() - card.displacement->displacement()) < 1e-6f;
    });
    QTest::qWait(30);
    const float displacementBefore = card.record.displacement.load();
    const double gapBefore = simGet(0, "gap_mm");
    QCOMPARE(card.record.load.load(), 0.0f);

    motor.SetSpeed(300.0f);
    QVERIFY(motor.CommandDown());
    waitFor([&] { return simGet(0, "position_mm") <= 54.0; });
    motor.CommandStop();
    QCOMPARE(simGet(0, "moving"), 0.0);
    QTest::qWait(50);  // a few readings at rest

    const double force = simGet(0, "force");
    QVERIFY2(force > 50.0 && force < 70.0, qPrintable(QString::number(force)));
    const float load = card.record.load.load();
    QVERIFY2(std::abs(load - force) <= 0.005 * force + 0.2,
             qPrintable(QStringLiteral("load %1 N, simulator %2 N").arg(load).arg(force)));

    // The displacement follows the platen: the crosshead's travel plus the frame deflection the compensation
    // adds back.
    const double gapTravel = simGet(0, "gap_mm") - gapBefore;
    const double shown = card.record.displacement.load() - displacementBefore;
    QVERIFY2(std::abs(shown - gapTravel) <= 0.011,
             qPrintable(QStringLiteral("displacement moved %1 mm, gap %2 mm").arg(shown).arg(gapTravel)));
    QVERIFY(session.shutdown().isEmpty());
}

void TestSimAcquisition::overloadStopsTheCrossheadInTheSameReading() {
    MachineSession session(m_dir->path());
    ScriptedPrompts prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
    CardSlot& card = session.cards().cards[0];
    Tload& load = *card.load;
    TMotor& motor = *card.motor;
    load.SelectGear(1);  // range 5000 N, trip at 5150 N

    std::atomic<int> trips{0};
    double movingAtTrip = -1, forceAtTrip = 0;
    float loadAtTrip = 0;
    WindowTarget overload([&](int) {
        // The acquisition thread waits here until this handler returns: what it sees is the state of the
        // reading that tripped.
        movingAtTrip = simGet(0, "moving");
        forceAtTrip = simGet(0, "force");
        loadAtTrip = load.load();
        trips.fetch_add(1);
    });
    load.setOverloadTarget(&overload);
    session.startAcquisition(nullptr);

    simSet(0, "rate_n_per_mm", 2500.0);
    simSet(0, "position_mm", 60.5);
    motor.SetSpeed(120.0f);
    QVERIFY(motor.CommandDown());
    waitFor([&] { return trips.load() > 0; });
    QCOMPARE(movingAtTrip, 0.0);
    QVERIFY2(loadAtTrip >= 5150.0f, qPrintable(QString::number(loadAtTrip)));
    QVERIFY(forceAtTrip < 5150.0 + 2500.0 * 120.0 / 60000.0 * 5);  // stopped within a few readings' travel
    QCOMPARE(load.tripKind(), TripKind::CompressionOverload);
    QCOMPARE(motor.state(), MotionState::Stopped);

    QVERIFY(!motor.CommandDown());
    QCOMPARE(motor.state(), MotionState::BlockedByOverload);
    QTest::qWait(100);
    QCOMPARE(trips.load(), 1);
    QVERIFY(motor.CommandUp());
    waitFor([&] { return load.armed(); });
    motor.CommandStop();
    QVERIFY(session.shutdown().isEmpty());
}

void TestSimAcquisition::autoGearFollowsTheLoad() {
    ProfileFile(m_dir->file("init0.dat")).writeString("Load", "auto_gear", "1");
    MachineSession session(m_dir->path());
    ScriptedPrompts prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
    CardSlot& card = session.cards().cards[0];
    std::atomic<int> messages{0};
    WindowTarget gear([&](int) { messages.fetch_add(1); });
    card.load->setGearTarget(&gear);
    session.startAcquisition(nullptr);
    QCOMPARE(card.load->currentGear(), 3);

    simSet(0, "rate_n_per_mm", 1000.0);
    simSet(0, "position_mm", 58.8);  // about 1200 N: past gear 3 (1000 N), inside gear 2 (2500 N)
    waitFor([&] { return card.load->currentGear() == 2 && card.load->shownGear() == 2; });
    QTest::qWait(50);
    QCOMPARE(card.load->currentGear(), 2);
    QVERIFY(messages.load() >= 2);  // from the channel and from the loop
    const double force = simGet(0, "force");
    QVERIFY2(std::abs(card.record.load.load() - force) <= 0.005 * force + 0.5,
             qPrintable(QStringLiteral("%1 vs %2").arg(card.record.load.load()).arg(force)));
    QVERIFY(session.shutdown().isEmpty());
}

void TestSimAcquisition::displacementContinuesAfterRestart() {
    float before = 0;
    {
        MachineSession session(m_dir->path());
        ScriptedPrompts prompts;
        QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
        session.startAcquisition(nullptr);
        CardSlot& card = session.cards().cards[0];
        simSet(0, "position_mm", 170.0);  // 20 mm above the start
        waitFor([&] { return card.record.displacement.load() > 19.9f; });
        QTest::qWait(30);
        before = card.record.displacement.load();
        QVERIFY(session.shutdown().isEmpty());
    }
    MachineSession session(m_dir->path());
    ScriptedPrompts prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
    session.startAcquisition(nullptr);
    CardSlot& card = session.cards().cards[0];
    const uint64_t c = session.acquisition()->cycles();
    waitFor([&] { return session.acquisition()->cycles() > c + 5; });
    QCOMPARE(card.record.displacement.load(), before);
    QVERIFY(session.shutdown().isEmpty());
}

void TestSimAcquisition::missingDriverStopsStartUp() {
    writeMachine("CardType=7");
    MachineSession session(m_dir->path());
    ScriptedPrompts prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::DriverMissing);
    QCOMPARE(prompts.shown, QStringList{"无法找到文件！！"});
    QVERIFY(!session.isRunning());
    session.startAcquisition(nullptr);
    QVERIFY(session.acquisition() == nullptr);
    QVERIFY(session.shutdown().isEmpty());
}

void TestSimAcquisition::unopenedCardAsksTheOperator_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes runs on") << true;
    QTest::newRow("No ends") << false;
}

void TestSimAcquisition::unopenedCardAsksTheOperator() {
    QFETCH(bool, yes);
    writeMachine("CardSum=2");
    simSet(1, "fail_open", 1);
    MachineSession session(m_dir->path());
    ScriptedPrompts prompts;
    prompts.answerYes = yes;
    QCOMPARE(session.start(prompts),
             yes ? MachineSession::Outcome::Running : MachineSession::Outcome::Aborted);
    QCOMPARE(prompts.shown, QStringList{"无法打开RX720控制卡,请勿操作机器，避免不必要的损坏"});
    QCOMPARE(session.cards().count, yes ? 2 : 0);
    session.shutdown();
}

void TestSimAcquisition::cardCountIsClamped() {
    writeMachine("CardSum=9");
    MachineSession session(m_dir->path());
    ScriptedPrompts prompts;
    QCOMPARE(session.start(prompts), MachineSession::Outcome::Running);
    QCOMPARE(session.cards().count, 5);
    session.startAcquisition(nullptr);
    const uint64_t c = session.acquisition()->cycles();
    waitFor([&] { return session.acquisition()->cycles() > c + 3; });
    QVERIFY(session.shutdown().isEmpty());
    QVERIFY(QFile::exists(m_dir->file("init4.dat")));  // card 4 saved its displacement
}

QTEST_GUILESS_MAIN(TestSimAcquisition)
#include "tst_sim_acquisition.moc"
