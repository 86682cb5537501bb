#include "sequencer/TTestStyle.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/WindowTarget.h"
#include "sequencer/CurveSink.h"

#include <QTimer>

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

void TTestStyle::StartTest(int cardIndex) {
    if (cardIndex < 0 || cardIndex >= m_cards.count) return;
    m_startPosition.store(m_cards.cards[static_cast<size_t>(cardIndex)].record.displacement.load(),
                          std::memory_order_relaxed);
    m_repeatArmed = IsAutoRepeat();
    if (m_repeatArmed) {
        m_repeatsDone.store(1, std::memory_order_relaxed);
        m_repeatTimer->setInterval(std::max(0, m_repeatPause_s) * 1000);
    }
    RunTest(cardIndex);
}

void TTestStyle::RunTest(int cardIndex) {
    if (cardIndex < 0 || cardIndex >= m_cards.count) return;
    {
        std::lock_guard lock(m_curveMutex);
        m_curve = ttest_chart{};
        m_bottomMax = 0;
        m_leftMax = 0;
        if (m_sink) {
            m_sink->clearCurve();
            m_sink->setAxes(0, 0, 0, 0);
        }
    }
    {
        // Every test starts from an empty result: a point this test does not reach is stored empty, not with
        // an earlier test's value.
        std::lock_guard lock(m_resultMutex);
        m_results.clear();
    }
    m_sampleSlot.cardIndex.store(cardIndex, std::memory_order_relaxed);
    m_pointIndex.store(1, std::memory_order_relaxed);
    m_step.store(0, std::memory_order_relaxed);
    m_stroke.store(1, std::memory_order_relaxed);
    m_meanStiffness = 0.0f;
    m_solidLoads.clear();
    m_solidDeformations.clear();
    m_sampleSlot.running.store(true, std::memory_order_release);

    SetState(TestState::Started);

    TMotor* motor = m_cards.cards[static_cast<size_t>(cardIndex)].motor.get();
    if (!motor) return;
    motor->SetPendantLatch(2);
    motor->SetSpeed(testSpeed());
    if (m_machineType == 6 && !m_scheme.scheme_type)
        motor->CommandUp();
    else
        motor->CommandDown();
}

void TTestStyle::StopTest() {
    SetState(TestState::Stopped);
    if (TMotor* motor = m_cards.cards[static_cast<size_t>(cardIndex())].motor.get()) {
        motor->SetPendantLatch(1);
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
    m_curveTimer.start();
}
void TTestStyle::StopCurveTimer() {
    m_curveTimer.stop();
}

void TTestStyle::ChartFeed() {
    const int card = cardIndex();
    CardSlot& slot = m_cards.cards[static_cast<size_t>(card)];
    const float L = std::fabs(slot.record.load.load(std::memory_order_relaxed));
    const float D = slot.record.displacement.load(std::memory_order_relaxed);
    const float E = slot.record.deformation.load(std::memory_order_relaxed);
    if (!running()) {
        StopCurveTimer();
        return;
    }
    const int style = m_scheme.scheme_style;
    const double X = (style == 0 || style == 2) ? D : E;
    const int loadDecimals = slot.load ? slot.load->decimals() : 3;
    const int dispDecimals = slot.displacement ? slot.displacement->decimals() : 3;

    std::lock_guard lock(m_curveMutex);
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
    m_curve.load << FormatByDecimals(loadDecimals, L);
    m_curve.displacement << FormatByDecimals(dispDecimals, D);
    m_curve.deformation << FormatByDecimals(dispDecimals, E);
    ++m_curve.count;
}

void TTestStyle::FinishTest() {
    // Marked before the test stops, so that nobody watching sees an idle sequencer between the stop and the
    // save.
    m_storePending.store(true, std::memory_order_release);
    StopTest();
    if (curveTimerActive()) StopCurveTimer();
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

bool TTestStyle::store() {
    if (!m_storer) {
        m_lastStoreError = QStringLiteral("no storage for this machine type");
        return false;
    }
    const StoreOutcome outcome = m_storer(scheme(), results(), curve());
    m_lastStoreError = outcome.error;
    return outcome.ok;
}

void TTestStyle::OnSaveTimer() {
    m_saveTimer->stop();
    SetState(TestState::Storing);
    if (!IsAutoRepeat()) {
        // A short settling pause before storing, without holding up the GUI thread.
        QTimer::singleShot(100, this, [this] {
            if (!store()) {
                SetState(TestState::StoreFailed);
            } else {
                SetState(TestState::Stored);
                m_xuhao.fetch_add(1, std::memory_order_relaxed);
            }
            m_storePending.store(false, std::memory_order_release);
        });
        return;
    }
    if (!store()) {
        SetState(TestState::StoreFailed);
    } else {
        SetState(TestState::Stored);
        startRepeatTimer();
    }
    m_storePending.store(false, std::memory_order_release);
}

void TTestStyle::startRepeatTimer() {
    // A series runs on only when it was started with automatic repeat on: switched on afterwards, the repeat
    // timer has no interval and the series does not continue.
    if (m_repeatArmed) m_repeatTimer->start();
}

void TTestStyle::OnRepeatTimer() {
    m_repeatTimer->stop();
    if (m_repeatsDone.load(std::memory_order_relaxed) < m_repeatCount) {
        m_repeatsDone.fetch_add(1, std::memory_order_relaxed);
        m_xuhao.fetch_add(1, std::memory_order_relaxed);
        RunTest(cardIndex());
    } else {
        m_sampleSlot.running.store(false, std::memory_order_release);
        m_xuhao.fetch_add(1, std::memory_order_relaxed);
        m_repeatArmed = false;
    }
}

}  // namespace springtest
