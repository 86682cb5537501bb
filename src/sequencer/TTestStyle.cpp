#include "sequencer/TTestStyle.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/OperatorIdentity.h"
#include "platform/WindowTarget.h"
#include "sequencer/CurveSink.h"
#include "sequencer/PathSink.h"
#include "sequencer/PointReadout.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace springtest {

TTestStyle::TTestStyle(int machineType, CardTables& cards, QObject* parent)
    : QObject(parent),
      m_machineType(machineType),
      m_cards(cards),
      m_curveTimer(std::chrono::milliseconds(100), [this] { ChartFeed(); }) {
    m_repeatTimer = new QTimer(this);
    m_repeatTimer->setSingleShot(true);
    connect(m_repeatTimer, &QTimer::timeout, this, &TTestStyle::OnRepeatTimer);
    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(500);
    connect(m_saveTimer, &QTimer::timeout, this, &TTestStyle::OnSaveTimer);
    if (m_machineType == 5) {
        m_turntableTimer = new QTimer(this);
        m_turntableTimer->setInterval(100);
        connect(m_turntableTimer, &QTimer::timeout, this, &TTestStyle::OnTurntableTimer);
    }
}

TTestStyle::~TTestStyle() {
    m_sampleSlot.running.store(false, std::memory_order_release);
    m_curveTimer.stop();
}

TTestStyle::LoadOutcome TTestStyle::LoadScheme(ResultGrid* grid, const QString& connection, ttest_info& out) {
    if (!m_loader) return {false, QString()};
    return m_loader(*this, grid, connection, out);
}

void TTestStyle::InstallProcedure(std::shared_ptr<SampleProcedure> procedure) {
    // Only while no test runs: the acquisition loop reads the pointer only while `running` is set.
    if (running()) return;
    m_sampleSlot.procedure.store(procedure.get(), std::memory_order_release);
    m_procedure = std::move(procedure);
}

void TTestStyle::setScheme(const ttest_info& scheme) {
    if (running()) return;
    m_scheme = scheme;
    m_xuhao.store(scheme.xuhao, std::memory_order_relaxed);
}

ttest_info TTestStyle::scheme() const {
    ttest_info s = m_scheme;
    s.xuhao = xuhao();
    return s;
}

void TTestStyle::closeBatch() {
    if (running()) return;
    setScheme(ttest_info{});
    m_sampleSlot.procedure.store(nullptr, std::memory_order_release);
    m_procedure.reset();
}

void TTestStyle::StartTest(int cardIndex) {
    // The callers ask testStartRefusal first; this only keeps a running test or series from being restarted.
    if (cardIndex < 0 || cardIndex >= m_cards.count || running() || seriesInProgress()) return;
    m_startPosition.store(m_cards.cards[static_cast<size_t>(cardIndex)].record.displacement.load(),
                          std::memory_order_relaxed);
    if (IsAutoRepeat()) {
        m_series.store(++m_seriesStarted, std::memory_order_relaxed);
        m_repeatsDone.store(1, std::memory_order_relaxed);
        m_repeatTimer->setInterval(std::max(0, m_repeatPause_s) * 1000);
    }
    RunTest(cardIndex);
}

void TTestStyle::SetPrecompressCount(int operatorCount) {
    if (running()) return;
    m_precompressCycles.store(std::clamp(operatorCount, 0, kMaxPrecompressions) + 1,
                              std::memory_order_relaxed);
}

void TTestStyle::RunTest(int cardIndex) {
    beginRun(cardIndex, true);
}

void TTestStyle::RunNextCycle(int cardIndex) {
    beginRun(cardIndex, false);
}

void TTestStyle::beginRun(int cardIndex, bool newTest) {
    if (cardIndex < 0 || cardIndex >= m_cards.count) return;
    // The pressing before fed the curve to its end; none of it belongs to the next one.
    if (!newTest) StopCurveTimer();
    {
        std::lock_guard lock(m_curveMutex);
        m_curve = ttest_chart{};
        m_curveOpen = true;
        m_bottomMax = 0;
        m_leftMax = 0;
        if (m_sink) {
            m_sink->clearCurve();
            m_sink->setAxes(0, 0, 0, 0);
        }
        m_xHalfSpan = 0;
        m_yHalfSpan = 0;
        if (m_machineType == 5 && m_pathSink) {
            m_pathSink->clearPath();
            m_pathSink->setPathAxes(0, 0, 0, 0);
        }
    }
    // A lateral run zeroes the turntable's deformation; its angle (the displacement), from which positioning
    // measures every turn, stays as it stands.
    if (m_machineType == 5 && !m_scheme.scheme_type && m_cards.count > 2) {
        if (TDisplacement* turntable = m_cards.cards[2].displacement.get()) turntable->MarkDeformationZero();
    }
    if (newTest) {
        {
            // Every test starts from an empty result: a point this test does not reach is stored empty, not
            // with an earlier test's value.
            std::lock_guard lock(m_resultMutex);
            m_results.clear();
        }
        // Every test of a series is pressed as often as the first: each starts at the first cycle.
        m_cycle.store(1, std::memory_order_relaxed);
        m_runsStarted.fetch_add(1, std::memory_order_relaxed);
        m_testSerial.store(xuhao(), std::memory_order_relaxed);
    } else {
        m_cycle.fetch_add(1, std::memory_order_relaxed);
    }
    m_sampleSlot.cardIndex.store(cardIndex, std::memory_order_relaxed);
    m_pointIndex.store(1, std::memory_order_relaxed);
    m_step.store(TestStep::SeekInitialForce, std::memory_order_relaxed);
    m_stroke.store(1, std::memory_order_relaxed);
    m_meanStiffness = 0.0f;
    m_solidLoads.clear();
    m_solidDeformations.clear();
    // Nothing of a stopped test or of the pressing before stays with this one. Set before `running`: the
    // loop calls the recorder only once it sees the test running (a next pressing is begun on its thread).
    const bool fullRate = this->fullRate();
    m_fullRateRecorder.begin(fullRate ? FullRateRecorder::kReservedReadings : 0);
    m_sampleSlot.recorder.store(fullRate ? &m_fullRateRecorder : nullptr, std::memory_order_release);

    // The drive is set going before the loop sees the run: a spring already under load is backed off by the
    // loop's first look, and a start command issued after that look would drive the crosshead back into it.
    m_sampleSlot.runsBegun.fetch_add(1, std::memory_order_acq_rel);
    if (TMotor* motor = m_cards.cards[static_cast<size_t>(cardIndex)].motor.get()) {
        motor->SetPendantLatch(PendantLatch::Ignored);
        motor->SetSpeed(testSpeed());
        if (startsUpward())
            motor->CommandUp();
        else
            motor->CommandDown();
    }
    m_sampleSlot.running.store(true, std::memory_order_release);

    SetState(TestState::Started);
}

void TTestStyle::StopTest() {
    endSeries();
    endRun();
}

void TTestStyle::endSeries() {
    m_series.store(0, std::memory_order_relaxed);
    m_repeatTimer->stop();
}

void TTestStyle::endRun() {
    SetState(TestState::Stopped);
    if (TMotor* motor = m_cards.cards[static_cast<size_t>(cardIndex())].motor.get()) {
        motor->SetPendantLatch(PendantLatch::Armed);
        motor->CommandStop();
    }
    m_sampleSlot.running.store(false, std::memory_order_release);
}

void TTestStyle::SetState(TestState state) {
    m_state.store(static_cast<int>(state), std::memory_order_relaxed);
    if (WindowTarget* panel = m_panel.load(std::memory_order_acquire)) panel->send(kMsgTestState);
}

void TTestStyle::setResult(int index, float value) {
    std::lock_guard lock(m_resultMutex);
    m_results[index] = value;
}

ResultArray TTestStyle::results() const {
    std::lock_guard lock(m_resultMutex);
    return m_results;
}

ttest_chart TTestStyle::curve() const {
    std::lock_guard lock(m_curveMutex);
    return m_curve;
}

void TTestStyle::SetCurveChart(CurveSink* sink) {
    if (!sink) return;
    std::lock_guard lock(m_curveMutex);
    m_sink = sink;
}

void TTestStyle::StartCurveTimer() {
    m_fullRateRecorder.startRecording();
    m_curveTimer.start();
}
void TTestStyle::StopCurveTimer() {
    m_fullRateRecorder.stopRecording();
    m_curveTimer.stop();
}

void TTestStyle::StopCurveTimerAndWait() {
    m_fullRateRecorder.stopRecording();
    m_curveTimer.stopAndWait();
}

void TTestStyle::ChartFeed() {
    if (m_machineType == 5) {
        lateralChartFeed();
        return;
    }
    const int card = cardIndex();
    CardSlot& slot = m_cards.cards[static_cast<size_t>(card)];
    const float L = std::fabs(slot.record.load.load(std::memory_order_relaxed));
    const float D = slot.record.displacement.load(std::memory_order_relaxed);
    const float E = slot.record.deformation.load(std::memory_order_relaxed);
    if (!running()) {
        StopCurveTimer();
        return;
    }
    const double X = usesDisplacement(m_scheme.scheme_style) ? D : E;
    const ReadoutFormat format = readoutFormat(slot);

    std::lock_guard lock(m_curveMutex);
    if (!m_curveOpen) return;  // a tick that was under way when the test ended
    if (stroke() == 1) {
        if (L > 0.9 * m_leftMax) m_leftMax = 1.2 * L;
        if (X > 0.9 * m_bottomMax) m_bottomMax = 1.2 * X;
        if (m_sink) {
            m_sink->setAxes(m_bottomMax, m_bottomMax / 10, m_leftMax, m_leftMax / 10);
            m_sink->appendPoint(card, X, L);
        }
        m_curve.stroke << QStringLiteral("1");
    } else {
        if (m_sink) m_sink->appendPoint(1, X, L);
        m_curve.stroke << QStringLiteral("2");
    }
    m_curve.load << FormatByDecimals(format.loadDecimals, L);
    m_curve.displacement << FormatByDecimals(format.displacementDecimals, D);
    m_curve.deformation << FormatByDecimals(format.displacementDecimals, E);
    ++m_curve.count;
}

void TTestStyle::FinishTest() {
    StopCurveTimer();
    WaitingTest waiting;
    waiting.test.scheme = m_scheme;
    waiting.test.results = results();
    {
        std::lock_guard lock(m_curveMutex);
        m_curveOpen = false;
        waiting.test.curve = m_curve;
    }
    waiting.test.fullRate = m_fullRateRecorder.take();
    waiting.test.format = readoutFormat(m_cards.cards[static_cast<size_t>(cardIndex())]);
    if (m_machineType == 5 && m_cards.count > 3) {
        waiting.test.xDecimals = readoutFormat(m_cards.cards[3]).displacementDecimals;
        waiting.test.yDecimals = readoutFormat(m_cards.cards[1]).displacementDecimals;
    }
    waiting.test.operatorName = currentOperatorName();
    waiting.runsStarted = m_runsStarted.load(std::memory_order_relaxed);
    waiting.series = m_series.load(std::memory_order_relaxed);
    // The serial is the test's from here on; the next test, which may start as soon as this one stops, takes
    // the one after it.
    waiting.test.scheme.xuhao = m_xuhao.fetch_add(1, std::memory_order_relaxed);
    {
        // Marked before the test stops, so that nobody watching sees an idle sequencer between the stop and
        // the save.
        std::lock_guard lock(m_waitingMutex);
        m_waiting.push_back(std::move(waiting));
        m_storePending.store(true, std::memory_order_release);
    }
    endRun();
    EnableSaveTimer();
}

void TTestStyle::EnableSaveTimer() {
    m_storePending.store(true, std::memory_order_release);
    m_courier.post([this] { m_saveTimer->start(); });
}

bool TTestStyle::isIdle() const {
    return !running() && !m_storePending.load(std::memory_order_acquire) && !m_saveTimer->isActive() &&
           !m_repeatTimer->isActive();
}

bool TTestStyle::saveTimerActive() const {
    return m_saveTimer->isActive();
}
bool TTestStyle::repeatTimerActive() const {
    return m_repeatTimer->isActive();
}

bool TTestStyle::store(FinishedTest& test) {
    if (!m_storer) {
        m_lastStoreError = QStringLiteral("no storage for this machine type");
        return false;
    }
    const StoreOutcome outcome = m_storer(test);
    m_lastStoreError = outcome.error;
    if (outcome.ok && outcome.serial > 0 && outcome.serial != test.scheme.xuhao) {
        // The batch had moved past the serial: the stored test is known by the one it got, and the next test
        // is numbered after it.
        test.scheme.xuhao = outcome.serial;
        m_testSerial.store(outcome.serial, std::memory_order_relaxed);
        int next = m_xuhao.load(std::memory_order_relaxed);
        while (next <= outcome.serial &&
               !m_xuhao.compare_exchange_weak(next, outcome.serial + 1, std::memory_order_relaxed)) {
        }
    }
    return outcome.ok;
}

void TTestStyle::OnSaveTimer() {
    m_saveTimer->stop();
    // A test that ended while another was being stored is taken up when that one is done.
    if (!m_storeUnderWay) storeNext();
}

void TTestStyle::storeNext() {
    WaitingTest next;
    {
        std::lock_guard lock(m_waitingMutex);
        if (m_waiting.empty()) {
            m_storeUnderWay = false;
            m_storePending.store(false, std::memory_order_release);
            return;
        }
        next = std::move(m_waiting.front());
        m_waiting.pop_front();
    }
    m_storeUnderWay = true;
    m_storing = std::move(next.test);
    m_testSerial.store(m_storing.scheme.xuhao, std::memory_order_relaxed);
    SetState(TestState::Storing);
    // A short settling pause before storing, without holding up the GUI thread.
    QTimer::singleShot(100, this, [this, runsStarted = next.runsStarted, series = next.series] {
        const bool inSeries = series != 0 && series == m_series.load(std::memory_order_relaxed);
        if (store(m_storing)) {
            SetState(TestState::Stored);
            if (inSeries) {
                // Switched off during the series, automatic repeat ends it after the test under way.
                if (IsAutoRepeat() && m_repeatsDone.load(std::memory_order_relaxed) < m_repeatCount)
                    m_repeatTimer->start();
                else
                    endSeries();
            }
            // Not between the tests of a series: the next spring would be turned under the crosshead.
            if (m_machineType == 5 && m_storing.scheme.scheme_type && autoRotate() &&
                !m_repeatTimer->isActive())
                StartTurntablePositioning();
        } else {
            // The serial is free again, unless a test started since already runs under the next one.
            if (runsStarted == m_runsStarted.load(std::memory_order_relaxed))
                m_xuhao.store(m_storing.scheme.xuhao, std::memory_order_relaxed);
            if (inSeries) endSeries();
            SetState(TestState::StoreFailed);
        }
        storeNext();
    });
}

void TTestStyle::OnRepeatTimer() {
    m_repeatTimer->stop();
    if (!seriesInProgress() || running()) return;
    m_repeatsDone.fetch_add(1, std::memory_order_relaxed);
    RunTest(cardIndex());
}

}  // namespace springtest
