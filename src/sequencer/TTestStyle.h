#pragma once

#include "measurement/CardSlot.h"
#include "measurement/SampleSlot.h"
#include "platform/PeriodicTimer.h"
#include "sequencer/TestTypes.h"

#include "platform/WindowTarget.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QTimer;

namespace springtest {

class CurveSink;
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

// The single test sequencer: holds the loaded scheme, the speed and series settings, runs one test at a
// time on one card, records the curve, reports its state to the control panel and stores each test.
//
// Threads: the per-sample procedure runs on the acquisition thread; the curve feed on the curve timer's
// thread; everything else (start, timers, storing) on the GUI thread, the thread this object lives on.
// Fields the procedure and the panel both read are atomics; the result array and the curve are guarded by
// short locks; the panel reads a captured point while the procedure waits in SetState.
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
    };
    // Reads a batch's scheme and next serial into `out`, lays out the grid and installs the per-sample
    // procedure.
    using SchemeLoader =
        std::function<LoadOutcome(TTestStyle&, ResultGrid*, const QString& connection, ttest_info& out)>;
    // Stores one finished test: its result rows and its curve, all or nothing.
    using TestStorer = std::function<StoreOutcome(const ttest_info&, const ResultArray&, const ttest_chart&)>;

    TTestStyle(int machineType, CardTables& cards, QObject* parent = nullptr);
    ~TTestStyle() override;

    int machineType() const { return m_machineType; }
    CardTables& cards() { return m_cards; }
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
    int xuhao() const { return m_xuhao.load(std::memory_order_relaxed); }

    void StartTest(int cardIndex);
    void RunTest(int cardIndex);
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
    void SetTestSpeed(float speed_mm_per_min) {
        m_testSpeed.store(speed_mm_per_min, std::memory_order_relaxed);
    }
    float testSpeed() const { return m_testSpeed.load(std::memory_order_relaxed); }
    void SetSpeedMode(int mode) { m_speedMode.store(mode, std::memory_order_relaxed); }
    int speedMode() const { return m_speedMode.load(std::memory_order_relaxed); }

    void setPanelTarget(WindowTarget* target) { m_panel.store(target, std::memory_order_release); }
    // A null sink keeps the previous one.
    void SetCurveChart(CurveSink* sink);
    void StartCurveTimer();
    void StopCurveTimer();
    bool curveTimerActive() const { return m_curveTimer.isActive(); }
    // One tick of the curve timer; public so tests can feed by hand.
    void ChartFeed();

    // The end of a test that is to be stored: stops it, stops the curve and arms the save timer.
    void FinishTest();
    // Arms the save timer (from any thread); the test is stored 500 ms later on the GUI thread.
    void EnableSaveTimer();
    // No test running, none waiting to be stored and no series waiting for its next test. GUI thread.
    bool isIdle() const;
    void OnSaveTimer();
    void OnRepeatTimer();
    bool saveTimerActive() const;
    // Why the last store failed, in the engine's words. GUI thread.
    QString lastStoreError() const { return m_lastStoreError; }
    bool repeatTimerActive() const;

    // --- what the per-sample procedures work on ---
    int cardIndex() const { return m_sampleSlot.cardIndex.load(std::memory_order_relaxed); }
    float startPosition() const { return m_startPosition.load(std::memory_order_relaxed); }
    int pointIndex() const { return m_pointIndex.load(std::memory_order_relaxed); }
    void setPointIndex(int k) { m_pointIndex.store(k, std::memory_order_relaxed); }
    int step() const { return m_step.load(std::memory_order_relaxed); }
    void setStep(int s) { m_step.store(s, std::memory_order_relaxed); }
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
    void startRepeatTimer();
    bool store();

    const int m_machineType;
    CardTables& m_cards;
    SampleSlot m_sampleSlot;
    std::shared_ptr<SampleProcedure> m_procedure;  // owns what m_sampleSlot points at
    SchemeLoader m_loader;
    TestStorer m_storer;
    ttest_info m_scheme;  // written on the GUI thread only while no test runs
    std::atomic<int> m_xuhao{1};

    std::atomic<int> m_state{static_cast<int>(TestState::Stopped)};
    std::atomic<float> m_startPosition{0.0f};
    std::atomic<int> m_pointIndex{1};
    std::atomic<int> m_step{0};
    std::atomic<int> m_stroke{1};
    float m_meanStiffness = 0.0f;  // acquisition thread only, while running
    std::vector<float> m_solidLoads, m_solidDeformations;

    std::atomic<bool> m_autoRepeat{false};
    int m_repeatCount = 0;
    std::atomic<int> m_repeatsDone{0};
    int m_repeatPause_s = 0;
    bool m_repeatArmed = false;  // a series started by StartTest with auto repeat on
    std::atomic<float> m_testSpeed{0.0f};
    std::atomic<int> m_speedMode{0};

    std::atomic<WindowTarget*> m_panel{nullptr};
    std::atomic<bool> m_storePending{false};

    mutable std::mutex m_resultMutex;
    ResultArray m_results;

    mutable std::mutex m_curveMutex;
    ttest_chart m_curve;
    CurveSink* m_sink = nullptr;
    double m_bottomMax = 0, m_leftMax = 0;
    PeriodicTimer m_curveTimer;

    QString m_lastStoreError;
    QTimer* m_saveTimer = nullptr;
    QTimer* m_repeatTimer = nullptr;
    ThreadCourier m_courier{this};  // timer starts and stops asked from other threads
};

}  // namespace springtest
