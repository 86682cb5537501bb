#pragma once

#include "measurement/CardSlot.h"
#include "measurement/SampleSlot.h"
#include "platform/PeriodicTimer.h"
#include "sequencer/FinishedTest.h"
#include "sequencer/FullRateRecorder.h"
#include "sequencer/TestTypes.h"

#include "platform/WindowTarget.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QTimer;

namespace springtest {

class CurveSink;
class PathSink;
class ResultGrid;
class WindowTarget;

// Test states reported to the control panel.
enum class TestState : int {
    Started = 0,
    PointCaptured = 1,
    Storing = 2,
    Stored = 3,
    StoreFailed = 4,
    Stopped = 5,
    TurntableStarted = 6,
    TurntableRefused = 7,
    TurntablePositioned = 8,
};

// Where the forward stroke of the standard test is.
enum class TestStep : int {
    SeekInitialForce,  // toward the spring until the initial force, or on past where any spring would be felt
    BackOff,           // away until the initial force is released
    TakeHeight,        // slowly back to the initial force: the spring's height
    CapturePoints,
    SolidSearch,  // compression spring, when the scheme searches the solid height
    Settle,       // one sample before a compression spring is released
    Reverse,
    PressToPrecompressionLoad,  // leaf spring, pre-compression: on to the pre-compression load
    PressToMaximumLoad,         // leaf spring: on until the maximum test load, then back
    ReturnToFreeHeight,         // lateral spring: back to where the drive carries nothing, after a stroke
};

// The most pre-compressions a leaf-spring test takes: its cycles are counted in a byte.
inline constexpr int kMaxPrecompressions = 254;

// How the test speed is held: not chosen yet (no test may start), constant, or slowed down before each point.
enum class SpeedMode : int { NotSet = 0, Constant = 1, Variable = 2 };

// The single test sequencer: holds the loaded scheme, the speed and series settings, runs one test at a
// time on one card, records the curve, reports its state to the control panel and stores each test.
//
// Threads: the per-sample procedure runs on the acquisition thread; the curve feed on the curve timer's
// thread; everything else (start, stop, timers, storing) on the GUI thread, the thread this object lives on.
// Fields the procedure and the panel both read are atomics; the result array, the curve and the finished
// tests waiting to be stored are guarded by short locks; the panel reads a captured point while the procedure
// waits in SetState.
class TTestStyle : public QObject {
    Q_OBJECT
public:
    struct LoadOutcome {
        bool ok = false;
        QString message;  // for the operator when not ok
    };
    struct StoreOutcome {
        bool ok = false;
        QString error;
        int serial = 0;  // what the test was stored under, when the storer numbered it; 0: the serial handed
    };
    // Reads a batch's scheme and next serial into `out`, lays out the grid and installs the per-sample
    // procedure.
    using SchemeLoader =
        std::function<LoadOutcome(TTestStyle&, ResultGrid*, const QString& connection, ttest_info& out)>;
    // Stores one finished test: its result rows and its curve, all or nothing.
    using TestStorer = std::function<StoreOutcome(const FinishedTest&)>;

    TTestStyle(int machineType, CardTables& cards, QObject* parent = nullptr);
    ~TTestStyle() override;

    int machineType() const { return m_machineType; }
    CardTables& cards() { return m_cards; }
    const CardTables& cards() const { return m_cards; }
    SampleSlot& sampleSlot() { return m_sampleSlot; }

    // Procedure slots, fixed by machine type at creation (or by a test).
    void setSchemeLoader(SchemeLoader loader) { m_loader = std::move(loader); }
    void setTestStorer(TestStorer storer) { m_storer = std::move(storer); }
    bool hasSchemeLoader() const { return static_cast<bool>(m_loader); }
    LoadOutcome LoadScheme(ResultGrid* grid, const QString& connection, ttest_info& out);
    void InstallProcedure(std::shared_ptr<SampleProcedure> procedure);
    bool hasProcedure() const { return m_sampleSlot.procedure.load() != nullptr; }

    void setScheme(const ttest_info& scheme);
    ttest_info scheme() const;
    // After a batch failed to open: no scheme, no procedure and no batch to store into, so that no test can
    // go into the batch opened before under a serial of the one that failed. Not while a test runs.
    void closeBatch();
    bool hasBatch() const { return !m_scheme.connection.isEmpty(); }
    // The serial the next finished test is stored under.
    int xuhao() const { return m_xuhao.load(std::memory_order_relaxed); }
    // The serial of the test the current state is about: the running one's from its start to its end, the
    // stored one's while it is stored. GUI thread.
    int testSerial() const { return m_testSerial.load(std::memory_order_relaxed); }

    // A test first moves the crosshead toward the spring: upward only for a tension spring on machine type 6.
    bool startsUpward() const { return m_machineType == 6 && !m_scheme.scheme_type; }
    void StartTest(int cardIndex);
    void RunTest(int cardIndex);
    // The operator's stop: ends the running test unstored and the series it belongs to. A finished test
    // waiting to be stored is stored all the same.
    void StopTest();
    void SetState(TestState state);
    TestState state() const { return static_cast<TestState>(m_state.load(std::memory_order_relaxed)); }
    bool running() const { return m_sampleSlot.running.load(std::memory_order_acquire); }

    void SetAutoRepeat(bool on) { m_autoRepeat.store(on, std::memory_order_relaxed); }
    bool IsAutoRepeat() const { return m_autoRepeat.load(std::memory_order_relaxed); }
    void SetRepeatPause(int seconds) { m_repeatPause_s = seconds; }
    void SetRepeatCount(int n) { m_repeatCount = n; }
    int repeatCount() const { return m_repeatCount; }
    int repeatsDone() const { return m_repeatsDone.load(std::memory_order_relaxed); }
    // A series started with automatic repeat on that has tests still to run or to store.
    bool seriesInProgress() const { return m_series.load(std::memory_order_relaxed) != 0; }
    void SetTestSpeed(float speed_mm_per_min) {
        m_testSpeed.store(speed_mm_per_min, std::memory_order_relaxed);
    }
    float testSpeed() const { return m_testSpeed.load(std::memory_order_relaxed); }
    void SetSpeedMode(SpeedMode mode) { m_speedMode.store(mode, std::memory_order_relaxed); }
    SpeedMode speedMode() const { return m_speedMode.load(std::memory_order_relaxed); }

    // Leaf springs: the operator's count of pre-compressions (0 or more). The spring is pressed count + 1
    // times before its measuring cycle, so a count of 0 still settles it once. Not while a test runs.
    void SetPrecompressCount(int operatorCount);
    int precompressCount() const { return m_precompressCycles.load(std::memory_order_relaxed) - 1; }
    // The pressing cycle of the running test: 1 from its start, up to precompressCount() + 1 for the
    // pre-compressions, then the measuring cycle.
    int cycle() const { return m_cycle.load(std::memory_order_relaxed); }
    bool inMeasuringCycle() const { return cycle() > m_precompressCycles.load(std::memory_order_relaxed); }
    // Leaf springs: the next pressing of the same test, from wherever the crosshead stands toward the
    // spring: the curve starts afresh, the results measured so far (the free arc height of the first
    // pressing) stay with the test.
    void RunNextCycle(int cardIndex);

    void setPanelTarget(WindowTarget* target) { m_panel.store(target, std::memory_order_release); }
    // A null sink keeps the previous one.
    void SetCurveChart(CurveSink* sink);
    void StartCurveTimer();
    void StopCurveTimer();
    // Stops the curve and waits for a tick under way: the ticks read the channels, so this comes before
    // they go at shutdown.
    void StopCurveTimerAndWait();
    bool curveTimerActive() const { return m_curveTimer.isActive(); }
    // One tick of the curve timer; public so tests can feed by hand.
    void ChartFeed();
    // Whether the tests started from now on keep every reading of their curve besides the 100 ms rows.
    void SetFullRate(bool on) { m_fullRate.store(on, std::memory_order_relaxed); }
    bool fullRate() const { return m_fullRate.load(std::memory_order_relaxed); }

    // --- the lateral machine (type 5) ---
    // Where an axial test's sideways path goes; a null sink keeps the previous one.
    void SetLateralChart(PathSink* sink);
    // Turn the turntable by itself after each stored axial test.
    void SetAutoRotate(bool on) { m_autoRotate.store(on, std::memory_order_relaxed); }
    bool autoRotate() const { return m_autoRotate.load(std::memory_order_relaxed); }
    // Turns the turntable so that the offset of the test stored last points to 0°. Only right after a test
    // was stored (state Stored, or TurntableRefused to try again), and only with the axial drive unloaded:
    // otherwise TurntableRefused and no motion. Nothing for an offset without direction. GUI thread.
    void StartTurntablePositioning();
    // One tick of the turntable timer (100 ms, GUI thread); public so tests can drive it by hand.
    void OnTurntableTimer();
    bool turntableTimerActive() const;

    // The end of a test that is to be stored (acquisition thread): stops the curve, hands the test with its
    // serial to the save queue, stops the test and arms the save timer. The next test may start at once.
    void FinishTest();
    // Arms the save timer (from any thread); the waiting tests are stored 500 ms later on the GUI thread.
    void EnableSaveTimer();
    // No test running, none waiting to be stored and no series waiting for its next test. GUI thread.
    bool isIdle() const;
    void OnSaveTimer();
    void OnRepeatTimer();
    bool saveTimerActive() const;
    // Why the last store failed, in the engine's words. GUI thread.
    QString lastStoreError() const { return m_lastStoreError; }
    // The finished test being stored, or stored last. GUI thread.
    const FinishedTest& storingTest() const { return m_storing; }
    bool repeatTimerActive() const;

    // --- what the per-sample procedures work on ---
    int cardIndex() const { return m_sampleSlot.cardIndex.load(std::memory_order_relaxed); }
    float startPosition() const { return m_startPosition.load(std::memory_order_relaxed); }
    int pointIndex() const { return m_pointIndex.load(std::memory_order_relaxed); }
    void setPointIndex(int k) { m_pointIndex.store(k, std::memory_order_relaxed); }
    TestStep step() const { return m_step.load(std::memory_order_relaxed); }
    void setStep(TestStep s) { m_step.store(s, std::memory_order_relaxed); }
    int stroke() const { return m_stroke.load(std::memory_order_relaxed); }
    void setStroke(int s) { m_stroke.store(s, std::memory_order_relaxed); }
    float meanStiffness() const { return m_meanStiffness; }
    void setMeanStiffness(float v) { m_meanStiffness = v; }
    std::vector<float>& solidLoads() { return m_solidLoads; }
    std::vector<float>& solidDeformations() { return m_solidDeformations; }
    const ttest_info& procedureScheme() const { return m_scheme; }  // stable while a test runs
    void setResult(int index, float value);
    ResultArray results() const;
    ttest_chart curve() const;

private:
    // Ends the running test on the card: the state, the operator box and the motor.
    void endRun();
    // Starts one pressing toward the spring with an empty curve; a new test also starts with empty results.
    void beginRun(int cardIndex, bool newTest);
    void endSeries();
    void storeNext();
    void lateralChartFeed();
    bool store(FinishedTest& test);

    const int m_machineType;
    CardTables& m_cards;
    SampleSlot m_sampleSlot;
    std::shared_ptr<SampleProcedure> m_procedure;  // owns what m_sampleSlot points at
    SchemeLoader m_loader;
    TestStorer m_storer;
    ttest_info m_scheme;  // written on the GUI thread only while no test runs
    std::atomic<int> m_xuhao{1};
    std::atomic<int> m_testSerial{1};
    std::atomic<unsigned> m_runsStarted{0};

    std::atomic<int> m_state{static_cast<int>(TestState::Stopped)};
    std::atomic<float> m_startPosition{0.0f};
    std::atomic<int> m_pointIndex{1};
    std::atomic<TestStep> m_step{TestStep::SeekInitialForce};
    std::atomic<int> m_stroke{1};
    std::atomic<int> m_precompressCycles{1};
    std::atomic<int> m_cycle{1};
    float m_meanStiffness = 0.0f;  // acquisition thread only, while running
    std::vector<float> m_solidLoads, m_solidDeformations;

    std::atomic<bool> m_autoRepeat{false};
    int m_repeatCount = 0;
    std::atomic<int> m_repeatsDone{0};
    int m_repeatPause_s = 0;
    // The series StartTest started with automatic repeat on, 0 when none: a finished test continues only
    // the series it was run in, never one started while it waited to be stored.
    std::atomic<unsigned> m_series{0};
    unsigned m_seriesStarted = 0;
    std::atomic<float> m_testSpeed{0.0f};
    std::atomic<SpeedMode> m_speedMode{SpeedMode::NotSet};

    std::atomic<WindowTarget*> m_panel{nullptr};
    std::atomic<bool> m_storePending{false};

    mutable std::mutex m_resultMutex;
    ResultArray m_results;

    mutable std::mutex m_curveMutex;
    ttest_chart m_curve;
    CurveSink* m_sink = nullptr;
    bool m_curveOpen = false;  // closed when the finished test takes its curve
    double m_bottomMax = 0, m_leftMax = 0;
    PeriodicTimer m_curveTimer;
    std::atomic<bool> m_fullRate{false};
    FullRateRecorder m_fullRateRecorder{m_cards, m_stroke};

    // Finished tests in the order they ended, each with the count of runs started when it ended: a serial
    // whose store failed is given back only when no later test has been started under the next one.
    struct WaitingTest {
        FinishedTest test;
        unsigned runsStarted = 0;
        unsigned series = 0;
    };
    mutable std::mutex m_waitingMutex;
    std::deque<WaitingTest> m_waiting;
    FinishedTest m_storing;
    bool m_storeUnderWay = false;

    // The lateral machine's X–Y path; guarded by m_curveMutex as the curve is.
    PathSink* m_pathSink = nullptr;
    double m_xHalfSpan = 0, m_yHalfSpan = 0;

    // Turntable positioning (GUI thread only): the angle reading where the turn started and the signed turn
    // still to make from there, in degrees.
    std::atomic<bool> m_autoRotate{false};
    QTimer* m_turntableTimer = nullptr;
    float m_turnStart_deg = 0.0f;
    float m_turn_deg = 0.0f;

    QString m_lastStoreError;
    QTimer* m_saveTimer = nullptr;
    QTimer* m_repeatTimer = nullptr;
    ThreadCourier m_courier{this};  // timer starts and stops asked from other threads
};

}  // namespace springtest
