#include "measurement/TDisplacement.h"

#include "measurement/CardSlot.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/NumberFormat.h"
#include "platform/OperatorTexts.h"
#include "platform/ProfileFile.h"
#include "platform/SteadyClock.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace springtest {

namespace {
const QString kSection = QStringLiteral("Displacement");
// Enough decimals that a saved value reads back on the same side of every half hundredth it was shown on.
constexpr int kSavedValueDecimals = 10;

// A saved value beyond what a channel could ever show is no position: the start is taken as 0.
double savedValue(const ProfileSnapshot& ini, const QString& key) {
    const double v = ini.readDouble(kSection, key, 0.0);
    return std::fabs(v) <= double(std::numeric_limits<float>::max()) ? v : 0.0;
}
}  // namespace

TDisplacement::TDisplacement(const QString& applicationFolder, int cardIndex, const CardDriver& driver,
                             CardSlot* slot)
    : TPassage(applicationFolder, cardIndex, driver, slot) {
    m_name = kDisplacementName;
    m_units = QStringLiteral("mm");
    LoadDisplacementConfig();
}

TDisplacement::~TDisplacement() {
    // The shutdown sequence saves explicitly so that it can report a failure; a channel freed any other
    // way still keeps its place for the next start.
    if (!m_stateSaved) SaveDisplacementState();
}

void TDisplacement::LoadDisplacementConfig() {
    const ProfileSnapshot ini = ProfileFile(channelConfigPath()).snapshot();
    m_coefficient = ini.readFloat(kSection, QStringLiteral("coefficient"), 0.00025f);
    m_decimals = decimalsOf(ini.readInt(kSection, QStringLiteral("Decimal_Places"), 3));
    m_compensation.store(ini.readFloat(kSection, QStringLiteral("Compensation_coefficient"), 0.0f),
                         std::memory_order_relaxed);
    m_savedPressPulses = ini.readInt(kSection, QStringLiteral("press_save_pulse"), 0);
    m_savedPullPulses = ini.readInt(kSection, QStringLiteral("pull_save_pulse"), 0);
    m_pressPulsesNow.store(m_savedPressPulses, std::memory_order_relaxed);
    m_pullPulsesNow.store(m_savedPullPulses, std::memory_order_relaxed);
    {
        std::lock_guard lock(m_zeroMutex);
        m_zeroes = Zeroes{};
        m_zeroes.pressOffset = savedValue(ini, QStringLiteral("press_SAVE_VALUE"));
        m_zeroes.pullOffset = savedValue(ini, QStringLiteral("pull_SAVE_VALUE"));
        m_pressValue.store(m_zeroes.pressOffset, std::memory_order_relaxed);
        m_pullValue.store(m_zeroes.pullOffset, std::memory_order_relaxed);
        m_displacement.store(roundToHundredth(m_zeroes.pressOffset), std::memory_order_relaxed);
    }
    m_direction = directionFrom(ini.readInt(kSection, QStringLiteral("Direction"), 1));
    m_name = ini.readString(kSection, QStringLiteral("Name"), m_name);
    m_units = ini.readString(kSection, QStringLiteral("Units"), m_units);
}

float TDisplacement::roundToHundredth(double value) {
    // The hundredths are taken from the value as computed, not from its decimal text.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double hundredths = std::nearbyint(value * 100.0);
    std::fesetround(previous);
    return static_cast<float>(hundredths / 100.0);
}

float TDisplacement::ReadDisplacement(ReadingTime loadTime) {
    const int32_t n = m_driver.readPulse(m_cardIndex);
    const std::chrono::microseconds now = steadyMicros();
    m_pulseHistory.add(now, n);
    const bool loadIsOlder =
        loadTime.pace > std::chrono::microseconds{0} && now - loadTime.convertedAt > loadTime.pace;
    const double paired = loadIsOlder ? m_pulseHistory.at(loadTime.convertedAt) : double(n);
    m_pulseCount.store(n, std::memory_order_relaxed);
    m_pressPulsesNow.store(n + m_savedPressPulses, std::memory_order_relaxed);
    m_pullPulsesNow.store(m_savedPullPulses - n, std::memory_order_relaxed);

    // The fields are single precision; the arithmetic is not, so a product lands where the float
    // coefficient puts it (4020 pulses of 0.00025 read 1.01, not 1.00).
    const double load = (m_slot && m_slot->load) ? m_slot->load->load() : 0.0;
    const double frame = load * double(m_compensation.load(std::memory_order_relaxed));
    const double dir = m_direction;
    const double coefficient = m_coefficient;

    Zeroes z;
    {
        std::lock_guard lock(m_zeroMutex);
        z = m_zeroes;
    }
    const double press = (paired - z.pressZero) * coefficient * dir + z.pressOffset + frame;
    const double pull = (z.pullZero - paired) * coefficient * dir + z.pullOffset + frame;
    m_pressValue.store(press, std::memory_order_relaxed);
    m_pullValue.store(pull, std::memory_order_relaxed);

    const float value = roundToHundredth(side() == 1 ? press : pull);
    m_displacement.store(value, std::memory_order_relaxed);
    return value;
}

float TDisplacement::ReadDeformation() {
    const double reference = m_deformationReference.load(std::memory_order_relaxed);
    const double x = m_displacement.load(std::memory_order_relaxed);
    const float deformation = static_cast<float>(side() == 1 ? reference - x : x - reference);
    m_deformation.store(deformation, std::memory_order_relaxed);
    return std::fabs(deformation);
}

void TDisplacement::MarkDeformationZero() {
    const float x = m_slot ? m_slot->record.displacement.load(std::memory_order_relaxed)
                           : m_displacement.load(std::memory_order_relaxed);
    m_deformationReference.store(x, std::memory_order_relaxed);
}

void TDisplacement::zeroCurrentSide() {
    const int32_t n = m_pulseCount.load(std::memory_order_relaxed);
    std::lock_guard lock(m_zeroMutex);
    if (side() == 1) {
        m_zeroes.pressZero = n;
        m_zeroes.pressOffset = 0.0;
    } else {
        m_zeroes.pullZero = n;
        m_zeroes.pullOffset = 0.0;
    }
}

void TDisplacement::ClearDisplacement() {
    zeroCurrentSide();
    TMotor* motor = m_slot ? m_slot->motor.get() : nullptr;
    if (!motor || motor->controlMode() != ControlMode::PidServo) return;
    if (motor->servo().pidMode == 2) return;  // holding a load: the displacement set point does not apply
    switch (motor->state()) {
        case MotionState::Up:
            motor->RampDisplacement(-motor->speed());
            break;
        case MotionState::Down:
            motor->RampDisplacement(motor->speed());
            break;
        case MotionState::Stopped:
            motor->HoldDisplacement(0.0f);
            break;
        default:
            break;
    }
}

void TDisplacement::SetDisplacement(float value) {
    ClearDisplacement();
    {
        std::lock_guard lock(m_zeroMutex);
        (side() == 1 ? m_zeroes.pressOffset : m_zeroes.pullOffset) = value;
    }
    TMotor* motor = m_slot ? m_slot->motor.get() : nullptr;
    if (motor && motor->controlMode() == ControlMode::PidServo) motor->HoldDisplacement(value);
}

bool TDisplacement::SetCompensation(float value, QString* error) {
    m_compensation.store(value, std::memory_order_relaxed);
    return ProfileFile(channelConfigPath())
        .writeString(kSection, QStringLiteral("Compensation_coefficient"), FormatCoefficient(value), error);
}

bool TDisplacement::SaveDisplacementState(QString* error) {
    // The pulses and the values belong together: the next start continues from the pair, so they are
    // written in one go and a kill in between leaves the previous pair. The values keep every digit the
    // channel holds, not only its display decimals: 83.0052 written as "83.005" would read back below the
    // hundredth and the crosshead would show 83.00 on the next start after 83.01 on this one.
    const bool ok =
        ProfileFile(channelConfigPath())
            .writeSettings(
                {
                    {kSection, QStringLiteral("press_save_pulse"), QString::number(m_pressPulsesNow.load())},
                    {kSection, QStringLiteral("pull_save_pulse"), QString::number(m_pullPulsesNow.load())},
                    {kSection, QStringLiteral("press_SAVE_VALUE"),
                     QString::number(m_pressValue.load(), 'f', kSavedValueDecimals)},
                    {kSection, QStringLiteral("pull_SAVE_VALUE"),
                     QString::number(m_pullValue.load(), 'f', kSavedValueDecimals)},
                    {QStringLiteral("close"), QStringLiteral("close_flag"), QStringLiteral("1")},
                },
                error);
    m_stateSaved = true;
    return ok;
}

}  // namespace springtest
