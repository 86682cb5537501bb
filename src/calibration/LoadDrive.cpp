#include "calibration/LoadDrive.h"

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/SteadyClock.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace springtest {

namespace {

// The last tenth of the way is taken at a quarter of the loading speed, so the crosshead is slow when the
// stop comes.
constexpr double kSlowdownShare = 0.9;
constexpr float kSlowdownFactor = 0.25f;

// A crosshead commanded to move that has covered less than a tenth of its way for this long is standing
// (at a travel limit without a switch, a drive switched off), and no force will come however long one waits.
constexpr uint64_t kStallWindow_ms = 3000;

bool crossheadStalled(float moved_mm, float speed_mm_per_min, uint64_t elapsed_ms) {
    const double expected_mm = double(speed_mm_per_min) / 60000.0 * double(elapsed_ms);
    // Too slow a speed to tell standing from creeping.
    if (expected_mm < 0.02) return false;
    return moved_mm < 0.1 * expected_mm;
}

}  // namespace

LoadDrive::LoadDrive(CardSlot& card, LoadSide side, LoadDriveSettings settings, Pause pause)
    : m_card(card), m_side(side), m_settings(settings), m_pause(std::move(pause)) {}

LoadDrive::Pause LoadDrive::defaultPause() {
    return [] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
}

double LoadDrive::indicated() const {
    const double load = m_card.record.load.load(std::memory_order_relaxed);
    return m_side == LoadSide::Compression ? load : -load;
}

double LoadDrive::contactLoad() const {
    const Tload& load = *m_card.load;
    return m_settings.contactShare * load.GetGearRecord(load.currentGear()).range;
}

void LoadDrive::cancel() {
    m_cancelled.store(true, std::memory_order_relaxed);
    m_card.motor->CommandStop();
}

bool LoadDrive::fail(const QString& message) {
    m_card.motor->CommandStop();
    m_error = message;
    return false;
}

bool LoadDrive::start(Direction direction, float speed_mm_per_min) {
    if (cancelled()) return fail(QStringLiteral("stopped"));
    TMotor& motor = *m_card.motor;
    motor.SetSpeed(speed_mm_per_min);
    const bool down = (direction == Direction::Loading) == m_settings.loadDownward;
    if (down ? motor.CommandDown() : motor.CommandUp()) return true;
    return fail(down ? QStringLiteral("the crosshead would not move down (lower limit or overload)")
                     : QStringLiteral("the crosshead would not move up (upper limit or overload)"));
}

bool LoadDrive::moveUntil(const std::function<bool()>& reached, const std::function<void()>& onEachLook) {
    const TMotor& motor = *m_card.motor;
    const MotionState moving = motor.state();
    const uint64_t deadline = steadyMs() + uint64_t(m_settings.moveTimeout_ms);
    uint64_t windowStart = steadyMs();
    float windowFrom = m_card.record.displacement.load(std::memory_order_relaxed);
    while (!reached()) {
        if (cancelled()) return fail(QStringLiteral("stopped"));
        if (motor.state() != moving)
            return fail(m_card.load->armed()
                            ? QStringLiteral("the crosshead stopped by itself (limit switch)")
                            : QStringLiteral("the load overload protection stopped the crosshead"));
        const uint64_t now = steadyMs();
        if (now > deadline)
            return fail(
                QStringLiteral("the force did not come within %1 s").arg(m_settings.moveTimeout_ms / 1000));
        if (now - windowStart >= kStallWindow_ms) {
            const float at = m_card.record.displacement.load(std::memory_order_relaxed);
            if (crossheadStalled(std::abs(at - windowFrom), motor.speed(), now - windowStart))
                return fail(
                    QStringLiteral("the crosshead does not move (at a travel limit, or the drive is off)"));
            windowStart = now;
            windowFrom = at;
        }
        if (onEachLook) onEachLook();
        m_pause();
    }
    m_card.motor->CommandStop();
    return true;
}

bool LoadDrive::loadTo(double target) {
    const double contact = contactLoad();
    if (indicated() < contact && target > contact) {
        if (!start(Direction::Loading, m_settings.approachSpeed_mm_per_min)) return false;
        if (!moveUntil([&] { return indicated() >= std::min(contact, target); })) return false;
    }
    if (indicated() >= target) return true;
    if (!start(Direction::Loading, m_settings.loadingSpeed_mm_per_min)) return false;
    bool slowed = false;
    return moveUntil([&] { return indicated() >= target; },
                     [&] {
                         if (slowed || indicated() < kSlowdownShare * target) return;
                         slowed = true;
                         m_card.motor->SetSpeed(m_settings.loadingSpeed_mm_per_min * kSlowdownFactor);
                     });
}

bool LoadDrive::unload() {
    const double contact = contactLoad();
    if (!start(Direction::Unloading, m_settings.approachSpeed_mm_per_min)) return false;
    if (!moveUntil([&] { return indicated() < contact; })) return false;
    // Backed off by the displacement, which goes on counting where the load reads nothing.
    const float from = m_card.record.displacement.load(std::memory_order_relaxed);
    if (!start(Direction::Unloading, m_settings.approachSpeed_mm_per_min)) return false;
    return moveUntil([&] {
        return std::abs(m_card.record.displacement.load(std::memory_order_relaxed) - from) >=
               m_settings.clearance_mm;
    });
}

std::optional<HeldReading> LoadDrive::settledReading() {
    const auto waitFor = [&](int ms, const std::function<void()>& onEachLook) {
        const uint64_t until = steadyMs() + uint64_t(std::max(ms, 0));
        while (steadyMs() < until) {
            if (cancelled()) return false;
            if (onEachLook) onEachLook();
            m_pause();
        }
        return true;
    };
    if (!waitFor(m_settings.settle_ms, {})) {
        fail(QStringLiteral("stopped"));
        return std::nullopt;
    }
    HeldReading reading{0.0, indicated(), indicated()};
    double sum = 0.0;
    int count = 0;
    const bool held = waitFor(std::max(m_settings.averaging_ms, 1), [&] {
        const double now = indicated();
        sum += now;
        ++count;
        reading.lowest = std::min(reading.lowest, now);
        reading.highest = std::max(reading.highest, now);
    });
    if (!held) {
        fail(QStringLiteral("stopped"));
        return std::nullopt;
    }
    reading.mean = count > 0 ? sum / count : indicated();
    return reading;
}

FixedGear::FixedGear(Tload& load, int gear) : m_load(load), m_autoGear(load.autoGear()) {
    m_load.setAutoGear(false);
    m_load.SelectGear(gear);
}

FixedGear::~FixedGear() {
    m_load.setAutoGear(m_autoGear);
}

}  // namespace springtest
