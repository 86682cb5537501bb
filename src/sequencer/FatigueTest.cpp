#include "sequencer/FatigueTest.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "platform/ProfileFile.h"

#include <QDir>

#include <cmath>

namespace springtest {

namespace {

constexpr int kCounterCard = 1;
constexpr uint8_t kBreakWireBit = 0x04;

const QString kSection = QStringLiteral("稳定杆疲劳试验");
const QString kKeptCountKey = QStringLiteral("当前试验次数");
const QString kTargetKey = QStringLiteral("试验次数");

}  // namespace

FatigueTest::FatigueTest(QString applicationFolder, CardTables& cards, int card)
    : m_applicationFolder(std::move(applicationFolder)), m_cards(cards), m_card(card) {}

QString FatigueTest::counterFilePath(const QString& applicationFolder) {
    return QDir(applicationFolder).filePath(QStringLiteral("ini.init"));
}

CardSlot& FatigueTest::card() const {
    return m_cards.cards[static_cast<size_t>(m_card)];
}

CardSlot* FatigueTest::counterCard() const {
    return kCounterCard < m_cards.count ? &m_cards.cards[kCounterCard] : nullptr;
}

float FatigueTest::counterDisplacement() const {
    const CardSlot* counter = counterCard();
    return counter ? counter->record.displacement.load(std::memory_order_relaxed) : 0.0f;
}

int FatigueTest::done() const {
    // Counted in whole millimetres, so that a reading a hair short of a cycle still counts it.
    return m_keptCount +
           static_cast<int>(std::trunc(std::round(counterDisplacement()) / kDisplacementPerCycle_mm));
}

bool FatigueTest::breakWireConnected() const {
    const TMotor* motor = card().motor.get();
    return motor && (motor->lastInput() & kBreakWireBit) != 0;
}

void FatigueTest::switchDrive(bool on) {
    if (TMotor* motor = card().motor.get()) motor->setFatigueDrive(on);
}

void FatigueTest::zeroCounter() {
    if (CardSlot* counter = counterCard(); counter && counter->displacement)
        counter->displacement->ClearDisplacement();
}

void FatigueTest::loadCounterFile() {
    const ProfileSnapshot file = ProfileFile(counterFilePath(m_applicationFolder)).snapshot();
    m_keptCount = file.readInt(kSection, kKeptCountKey, 0);
    m_keptTarget = file.readString(kSection, kTargetKey, QStringLiteral("1000"));
}

std::optional<FatigueTest::StartRefusal> FatigueTest::startRefusal() const {
    if (!breakWireConnected()) return StartRefusal::BreakWireOpen;
    const TMotor* motor = card().motor.get();
    if (!motor || !motor->mainsPowerOn()) return StartRefusal::MainsOff;
    return std::nullopt;
}

void FatigueTest::start(int target) {
    m_target = target;
    zeroCounter();
    m_counterAtLastFrequency_mm = 0.0f;
    m_ticks = 0;
    m_state = State::Running;
    switchDrive(true);
}

FatigueTest::Progress FatigueTest::tick(bool breakStopArmed) {
    Progress progress;
    progress.done = done();
    if (m_state != State::Running) return progress;
    const bool broken = breakStopArmed && !breakWireConnected();
    if (broken || m_target < progress.done) {
        switchDrive(false);
        progress.ended = true;
        return progress;
    }
    if (++m_ticks >= kTicksPerFrequency) {
        const float now = counterDisplacement();
        progress.frequency_hz = (now - m_counterAtLastFrequency_mm) / kDisplacementPerCycle_mm;
        m_counterAtLastFrequency_mm = now;
        m_ticks = 0;
    }
    return progress;
}

bool FatigueTest::stop() {
    switchDrive(false);
    const bool wasRunning = m_state == State::Running;
    m_state = State::Stopped;
    m_doneAtStop = done();
    return wasRunning && m_doneAtStop < m_target;
}

QString FatigueTest::keepCount(const QString& targetText) {
    QString error;
    if (!ProfileFile(counterFilePath(m_applicationFolder))
             .writeSettings({{kSection, kKeptCountKey, QString::number(m_doneAtStop)},
                             {kSection, kTargetKey, targetText}},
                            &error))
        return error;
    m_keptCount = m_doneAtStop;
    m_keptTarget = targetText;
    return {};
}

QString FatigueTest::clearCount() {
    m_keptCount = 0;
    zeroCounter();
    QString error;
    if (!ProfileFile(counterFilePath(m_applicationFolder))
             .writeString(kSection, kKeptCountKey, QStringLiteral("0"), &error))
        return error;
    return {};
}

void FatigueTest::setServoOutput(int value) {
    if (TMotor* motor = card().motor.get()) motor->SetServoOutput(value);
}

}  // namespace springtest
