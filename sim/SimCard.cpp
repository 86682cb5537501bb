#include "SimCard.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

namespace springtest::sim {

namespace {

using Minutes = std::chrono::duration<double, std::ratio<60>>;
using Seconds = std::chrono::duration<double>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Conversions beyond the awaited one that a waiting reader lets gather before it wakes: half a 68-sample
// reading.
constexpr double kWakeThreshold = 33.0;

int32_t toInt32(double value) {
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::llround(std::clamp(value, lo, hi)));
}

// "relay3" → 2 (the byte index); anything else → -1.
int relayIndex(std::string_view key) {
    if (key.size() != 6 || !equalsIgnoreCase(key.substr(0, 5), "relay")) return -1;
    const int position = key[5] - '0';
    return position >= 1 && position <= 8 ? position - 1 : -1;
}

}  // namespace

void SimCard::reset(const CardConfig& config, int card_index, std::optional<double> position_mm) {
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = Clock::now();
    m_config = config;
    m_index = card_index;

    m_newest = 0;
    m_filled = 1;
    m_history[0] = {now, clampToTravel(position_mm.value_or(config.start_position_mm)), 0.0};
    m_drive = Drive::Direct;
    m_direction = 0;
    m_rate = 0.0f;
    m_encoderZero_mm = m_history[0].x_mm;

    m_servoOutput = 0;
    m_outputEnabled = false;

    m_law = SpringLaw::fromConfig(config);
    m_leaf.reset(config);
    m_cacheValid = false;

    m_magnification = toInt32(config.base_magnification);
    restartConverterLocked(now);
    m_conversionsRead = 0;
    restartStallsLocked(now);
    m_stalls = 0;
    reseedLocked();

    m_keys = 0;
    m_relays.fill(0);
    m_deforMagnification = 0;
    m_opened = false;
    m_failOpen = false;
}

// ---------------------------------------------------------------------------------------------------------------
// Crosshead

double SimCard::clampToTravel(double x_mm) const {
    const double lo = std::min(m_config.lower_limit_mm, m_config.upper_limit_mm);
    const double hi = std::max(m_config.lower_limit_mm, m_config.upper_limit_mm);
    return std::clamp(x_mm, lo, hi);
}

double SimCard::positionAtLocked(Clock::time_point t) const {
    size_t i = m_newest;
    for (size_t n = 0; n < m_filled; ++n) {
        const Segment& s = m_history[i];
        if (s.start <= t) return clampToTravel(s.x_mm + s.v_mm_per_min * Minutes(t - s.start).count());
        if (n + 1 < m_filled) i = (i + kHistory - 1) % kHistory;
    }
    // Older than everything kept: where the oldest stretch began.
    return clampToTravel(m_history[i].x_mm);
}

void SimCard::pushSegmentLocked(const Segment& segment) {
    m_newest = (m_newest + 1) % kHistory;
    m_history[m_newest] = segment;
    m_filled = std::min(m_filled + 1, kHistory);
}

void SimCard::advanceLocked(Clock::time_point now) {
    const Segment& s = currentSegment();
    if (s.v_mm_per_min == 0.0) return;
    const double x = positionAtLocked(now);
    const bool atUpper =
        s.v_mm_per_min > 0.0 && x >= std::max(m_config.lower_limit_mm, m_config.upper_limit_mm);
    const bool atLower =
        s.v_mm_per_min < 0.0 && x <= std::min(m_config.lower_limit_mm, m_config.upper_limit_mm);
    if (atUpper || atLower) {
        // The limit switch cuts the drive; the next command may move away again.
        pushSegmentLocked({now, x, 0.0});
        m_direction = 0;
    }
}

void SimCard::setVelocityLocked(double v_mm_per_min, Clock::time_point now) {
    advanceLocked(now);
    if (!std::isfinite(v_mm_per_min)) v_mm_per_min = 0.0;
    const Segment& s = currentSegment();
    if (s.v_mm_per_min == v_mm_per_min) return;
    pushSegmentLocked({now, positionAtLocked(now), v_mm_per_min});
    advanceLocked(now);  // a command into a limit already reached is cut at once
}

void SimCard::applyDriveLocked(Clock::time_point now) {
    double v = 0.0;
    if (m_drive == Drive::Direct) {
        v = m_direction * std::fabs(static_cast<double>(m_rate)) * m_config.rate_scale;
    } else if (m_outputEnabled && !pumpStoppedLocked()) {
        v = (static_cast<double>(m_servoOutput) - m_config.valve_zero) * m_config.servo_gain_mm_per_min;
    }
    setVelocityLocked(v, now);
}

// Without oil pressure the servo valve has nothing to drive the cylinder with.
bool SimCard::pumpStoppedLocked() const {
    const long relay = std::lround(m_config.pump_relay);
    return relay >= 1 && relay <= 8 && m_relays[static_cast<size_t>(relay - 1)] == 0;
}

uint8_t SimCard::limitBitsLocked(double x_mm) const {
    uint8_t bits = 0;
    const auto setBit = [&bits](double bit) {
        if (bit >= 0.0 && bit <= 7.0) bits |= static_cast<uint8_t>(1u << static_cast<unsigned>(bit));
    };
    if (x_mm >= std::max(m_config.lower_limit_mm, m_config.upper_limit_mm)) setBit(m_config.upper_limit_bit);
    if (x_mm <= std::min(m_config.lower_limit_mm, m_config.upper_limit_mm)) setBit(m_config.lower_limit_bit);
    return bits;
}

// ---------------------------------------------------------------------------------------------------------------
// Specimen and load cell

SpringLaw::State SimCard::specimenAtLocked(double x_mm) {
    if (!m_cacheValid || m_cacheX_mm != x_mm) {
        if (lateralLocked()) {
            m_cacheState = lateralSpringAt(m_config, x_mm);
        } else if (leafLocked()) {
            const LeafSpring::State leaf = m_leaf.pressAt(x_mm, m_config.frame_compliance_mm_per_n);
            m_cacheState = {leaf.force_n, leaf.gap_mm, leaf.deflection_mm, leaf.rate_n_per_mm};
        } else {
            m_cacheState = m_law.solve(x_mm, m_config.frame_compliance_mm_per_n);
        }
        m_cacheX_mm = x_mm;
        m_cacheValid = true;
    }
    return m_cacheState;
}

// Where the specimen stands; clear of the platens, its nominal rate. Bare platens have no rate of their own
// to show until they touch.
double SimCard::rateWhereItStandsLocked(const SpringLaw::State& state) const {
    if (state.force_n > 0.0) return state.rate_n_per_mm;
    switch (m_config.specimenKind()) {
        case SpecimenKind::Compression:
        case SpecimenKind::Tension:
            return m_config.rate_n_per_mm;
        case SpecimenKind::Ring:
            return m_config.ring_rate_n_per_mm;
        case SpecimenKind::Leaf:
            return m_config.leaf_rate_n_per_mm;
        case SpecimenKind::Lateral:
            return m_config.lateral_rate_n_per_mm;  // pulled out it carries a negative force at the same rate
        case SpecimenKind::None:
            break;
    }
    return 0.0;
}

// How far the spring is pressed (or stretched): its engagement, none while the platens are clear of it.
double SimCard::deflectionLocked(const SpringLaw::State& state) const {
    return std::max(0.0, state.engagement_mm);
}

void SimCard::restartConverterLocked(Clock::time_point now) {
    m_converterStart = now;
    m_nextConversion = 0;
}

void SimCard::restartStallsLocked(Clock::time_point now) {
    m_nextStall = now + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double, std::milli>(m_config.stall_every_ms));
}

// The thread that reads the card is held up now and then, as on a busy machine; the converter runs on and
// its FIFO fills meanwhile.
void SimCard::stallIfDueLocked(std::unique_lock<std::mutex>& lock) {
    if (m_config.stall_ms <= 0.0 || m_config.stall_every_ms <= 0.0) return;
    const Clock::time_point now = Clock::now();
    if (now < m_nextStall) return;
    restartStallsLocked(now);
    ++m_stalls;
    const auto hold = std::chrono::duration<double, std::milli>(m_config.stall_ms);
    lock.unlock();
    std::this_thread::sleep_for(hold);
    lock.lock();
}

void SimCard::reseedLocked() {
    uint64_t seed = 0;
    if (m_config.noise_seed > 0.0) {
        // Each card of a seeded machine gets its own, still reproducible, stream.
        seed = static_cast<uint64_t>(m_config.noise_seed) * 0x9E3779B97F4A7C15ull +
               static_cast<uint64_t>(m_index);
    } else {
        std::random_device device;
        seed = (static_cast<uint64_t>(device()) << 32) ^
               static_cast<uint64_t>(Clock::now().time_since_epoch().count()) ^
               static_cast<uint64_t>(m_index);
    }
    m_noise.seed(seed);
    m_gauss.reset();
}

int32_t SimCard::loadGetAd() {
    std::unique_lock lock(m_mutex);
    stallIfDueLocked(lock);
    Clock::time_point at = Clock::now();
    const double rate_hz = m_config.conversion_rate_hz;
    if (rate_hz > 0.0) {
        // Conversion k completes at start + k / rate. A reader that fell more than a FIFO behind has lost the
        // oldest conversions; one that is ahead waits for the converter.
        const auto newest =
            static_cast<int64_t>(std::floor(Seconds(at - m_converterStart).count() * rate_hz));
        const auto depth = std::max<int64_t>(1, std::llround(m_config.fifo_depth));
        if (newest - m_nextConversion >= depth) m_nextConversion = newest - depth + 1;
        const int64_t k = m_nextConversion++;
        const Clock::time_point due = m_converterStart + std::chrono::duration_cast<Clock::duration>(
                                                             Seconds(static_cast<double>(k) / rate_hz));
        if (due > at) {
            // Like a driver woken by a FIFO threshold, wait for a batch of conversions at once (never more
            // than the FIFO holds): a wake-up per 15 µs conversion would cost more than the reading itself.
            const double batch = std::min(kWakeThreshold, static_cast<double>(depth - 1));
            const Clock::time_point wake =
                due + std::chrono::duration_cast<Clock::duration>(Seconds(batch / rate_hz));
            lock.unlock();
            std::this_thread::sleep_until(wake);
            lock.lock();
        }
        at = due;
    }
    advanceLocked(std::max(at, Clock::now()));
    const SpringLaw::State state = specimenAtLocked(positionAtLocked(at));
    ++m_conversionsRead;

    const double ratio =
        m_config.base_magnification > 0.0 ? m_magnification / m_config.base_magnification : 1.0;
    double counts = m_config.zero_offset_counts + m_config.load_sign *
                                                      m_config.indicatedForce(state.force_n) *
                                                      m_config.counts_per_unit * ratio;
    if (m_config.noise_counts > 0.0) counts += m_config.noise_counts * m_gauss(m_noise);
    const double limit = std::fabs(m_config.adc_limit);
    return toInt32(std::clamp(counts, -limit, limit));
}

// ---------------------------------------------------------------------------------------------------------------
// Card driver functions

bool SimCard::open(bool allowed) {
    return open(allowed, Clock::now(), 0.0);
}

bool SimCard::open(bool allowed, Clock::time_point t, double sensor_offset_mm) {
    std::lock_guard lock(m_mutex);
    if (!allowed || m_failOpen) return false;
    advanceLocked(Clock::now());
    m_encoderZero_mm = positionAtLocked(t) + sensor_offset_mm;
    m_opened = true;
    return true;
}

void SimCard::close() {
    std::lock_guard lock(m_mutex);
    m_drive = Drive::Direct;
    m_direction = 0;
    setVelocityLocked(0.0, Clock::now());
    m_opened = false;
}

void SimCard::setLoadAmp(int32_t magnification) {
    std::lock_guard lock(m_mutex);
    m_magnification = magnification;
}

void SimCard::setDeforAmp(int32_t magnification) {
    std::lock_guard lock(m_mutex);
    m_deforMagnification = magnification;
}

int32_t SimCard::readPulse() {
    return readPulse(Clock::now(), 0.0);
}

int32_t SimCard::readPulse(Clock::time_point t, double sensor_offset_mm) {
    std::lock_guard lock(m_mutex);
    advanceLocked(Clock::now());
    return toInt32((positionAtLocked(t) + sensor_offset_mm - m_encoderZero_mm) / m_config.mm_per_pulse);
}

void SimCard::resetCounter() {
    resetCounter(Clock::now(), 0.0);
}

void SimCard::resetCounter(Clock::time_point t, double sensor_offset_mm) {
    std::lock_guard lock(m_mutex);
    advanceLocked(Clock::now());
    m_encoderZero_mm = positionAtLocked(t) + sensor_offset_mm;
}

AxialOffsetSource SimCard::axialOffsetAt(Clock::time_point t) {
    std::lock_guard lock(m_mutex);
    if (m_config.lateral_offset_per_mm == 0.0) return {};  // nothing sideways: no spring to solve
    advanceLocked(Clock::now());
    return {deflectionLocked(specimenAtLocked(positionAtLocked(t))), m_config.lateral_offset_per_mm,
            m_config.lateral_offset_angle_deg};
}

double SimCard::positionAt(Clock::time_point t) {
    std::lock_guard lock(m_mutex);
    advanceLocked(Clock::now());
    return positionAtLocked(t);
}

void SimCard::setRate(float rate) {
    std::lock_guard lock(m_mutex);
    m_rate = std::isfinite(rate) ? rate : 0.0f;
    if (m_drive == Drive::Direct) applyDriveLocked(Clock::now());
}

void SimCard::moveUp() {
    std::lock_guard lock(m_mutex);
    m_drive = Drive::Direct;
    m_direction = 1;
    applyDriveLocked(Clock::now());
}

void SimCard::moveDown() {
    std::lock_guard lock(m_mutex);
    m_drive = Drive::Direct;
    m_direction = -1;
    applyDriveLocked(Clock::now());
}

void SimCard::stop() {
    std::lock_guard lock(m_mutex);
    m_drive = Drive::Direct;
    m_direction = 0;
    applyDriveLocked(Clock::now());
}

uint8_t SimCard::outCommand() {
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = Clock::now();
    advanceLocked(now);
    return static_cast<uint8_t>(m_keys | limitBitsLocked(positionAtLocked(now)));
}

void SimCard::setRelays(const uint8_t* relays) {
    std::lock_guard lock(m_mutex);
    std::copy(relays, relays + m_relays.size(), m_relays.begin());
    applyDriveLocked(Clock::now());  // the pump may have started or stopped
}

void SimCard::servoData(uint16_t output) {
    std::lock_guard lock(m_mutex);
    m_servoOutput = output;
    // Until the output stage is started the value only sits in the converter's register.
    if (!m_outputEnabled) return;
    m_drive = Drive::Servo;
    m_direction = 0;
    applyDriveLocked(Clock::now());
}

void SimCard::daStart() {
    // Starting the output stage moves nothing by itself: the register may still hold 0, which would drive the
    // valve fully open downwards. Motion follows the next servodata.
    std::lock_guard lock(m_mutex);
    m_outputEnabled = true;
}

// ---------------------------------------------------------------------------------------------------------------
// Test access

bool SimCard::set(std::string_view key, double value) {
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = Clock::now();
    advanceLocked(now);
    if (!std::isfinite(value)) return false;

    if (equalsIgnoreCase(key, "keys")) {
        if (value < 0.0 || value > 255.0 || value != std::round(value)) return false;
        m_keys = static_cast<uint8_t>(value);
        return true;
    }
    if (equalsIgnoreCase(key, "position_mm")) {
        pushSegmentLocked({now, clampToTravel(value), currentSegment().v_mm_per_min});
        advanceLocked(now);
        return true;
    }
    if (equalsIgnoreCase(key, "fail_open")) {
        m_failOpen = value != 0.0;
        return true;
    }

    double* field = cardConfigField(m_config, key);
    if (!field || !validCardConfigValue(key, value)) return false;
    *field = value;

    m_law = SpringLaw::fromConfig(m_config);
    // A leaf spring keeps what it has been through when one of its values changes; put in anew, it
    // starts fresh.
    if (equalsIgnoreCase(key, "specimen"))
        m_leaf.reset(m_config);
    else
        m_leaf.configure(m_config);
    m_cacheValid = false;
    if (equalsIgnoreCase(key, "conversion_rate_hz") || equalsIgnoreCase(key, "fifo_depth"))
        restartConverterLocked(now);
    if (equalsIgnoreCase(key, "noise_seed")) reseedLocked();
    if (equalsIgnoreCase(key, "stall_ms") || equalsIgnoreCase(key, "stall_every_ms"))
        restartStallsLocked(now);
    // Scale, gain, valve zero and limits act on the running drive at once.
    applyDriveLocked(now);
    return true;
}

double SimCard::get(std::string_view key) {
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = Clock::now();
    advanceLocked(now);
    const double x = positionAtLocked(now);

    if (equalsIgnoreCase(key, "position_mm")) return x;
    if (equalsIgnoreCase(key, "velocity_mm_per_min")) return currentSegment().v_mm_per_min;
    if (equalsIgnoreCase(key, "moving")) return currentSegment().v_mm_per_min != 0.0 ? 1.0 : 0.0;
    if (equalsIgnoreCase(key, "pulses")) return toInt32((x - m_encoderZero_mm) / m_config.mm_per_pulse);

    if (equalsIgnoreCase(key, "force") || equalsIgnoreCase(key, "cell_force") ||
        equalsIgnoreCase(key, "indicated_force") || equalsIgnoreCase(key, "reference_force") ||
        equalsIgnoreCase(key, "gap_mm") || equalsIgnoreCase(key, "rate_n_per_mm") ||
        equalsIgnoreCase(key, "engagement_mm") || equalsIgnoreCase(key, "deflection_mm") ||
        equalsIgnoreCase(key, "lateral_force_n")) {
        const SpringLaw::State state = specimenAtLocked(x);
        if (equalsIgnoreCase(key, "deflection_mm")) return deflectionLocked(state);
        if (equalsIgnoreCase(key, "lateral_force_n")) return lateralLocked() ? state.force_n : kNaN;
        if (equalsIgnoreCase(key, "force")) return state.force_n;
        if (equalsIgnoreCase(key, "cell_force")) return m_config.load_sign * state.force_n;
        if (equalsIgnoreCase(key, "indicated_force"))
            return m_config.load_sign * m_config.indicatedForce(state.force_n);
        // Only a ring carries a reference transducer; a reading without one must not pass for a reference.
        if (equalsIgnoreCase(key, "reference_force"))
            return m_config.specimenKind() == SpecimenKind::Ring ? state.force_n : kNaN;
        if (equalsIgnoreCase(key, "gap_mm")) return state.gap_mm;
        if (equalsIgnoreCase(key, "engagement_mm")) return state.engagement_mm;
        return rateWhereItStandsLocked(state);
    }
    if (equalsIgnoreCase(key, "solid_rate_n_per_mm")) return m_config.solidRate();
    if (equalsIgnoreCase(key, "arc_height_mm") || equalsIgnoreCase(key, "leaf_pressings") ||
        equalsIgnoreCase(key, "leaf_set_now_mm") || equalsIgnoreCase(key, "leaf_contact_mm") ||
        equalsIgnoreCase(key, "leaf_loading_arc_mm") || equalsIgnoreCase(key, "leaf_unloading_arc_mm")) {
        if (!leafLocked()) return kNaN;
        const SpringLaw::State state = specimenAtLocked(x);  // brings the spring's history up to now
        if (equalsIgnoreCase(key, "arc_height_mm"))
            return state.gap_mm - m_config.leaf_thickness_mm - m_config.carriage_height_mm;
        if (equalsIgnoreCase(key, "leaf_pressings")) return m_leaf.pressings();
        if (equalsIgnoreCase(key, "leaf_set_now_mm")) return m_leaf.setNow_mm();
        if (equalsIgnoreCase(key, "leaf_contact_mm")) return m_leaf.contactGap_mm();
        return m_leaf.arcHeightAt(m_config.leaf_probe_load_n, equalsIgnoreCase(key, "leaf_loading_arc_mm"));
    }

    if (equalsIgnoreCase(key, "magnification")) return m_magnification;
    if (equalsIgnoreCase(key, "defor_magnification")) return m_deforMagnification;
    if (equalsIgnoreCase(key, "servo_output")) return m_servoOutput;
    if (equalsIgnoreCase(key, "output_enabled")) return m_outputEnabled ? 1.0 : 0.0;
    if (const int relay = relayIndex(key); relay >= 0) return m_relays[static_cast<size_t>(relay)];
    if (equalsIgnoreCase(key, "conversions")) return static_cast<double>(m_conversionsRead);
    if (equalsIgnoreCase(key, "stalls")) return static_cast<double>(m_stalls);
    if (equalsIgnoreCase(key, "keys")) return m_keys;
    if (equalsIgnoreCase(key, "out_command")) return m_keys | limitBitsLocked(x);
    if (equalsIgnoreCase(key, "opened")) return m_opened ? 1.0 : 0.0;
    if (equalsIgnoreCase(key, "fail_open")) return m_failOpen ? 1.0 : 0.0;

    if (const double* field = cardConfigField(m_config, key)) return *field;
    return kNaN;
}

}  // namespace springtest::sim
