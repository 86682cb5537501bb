#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string_view>

#include "LateralMachine.h"
#include "LeafSpring.h"
#include "SimConfig.h"
#include "Specimen.h"

namespace springtest::sim {

// One card of the simulated machine: a crosshead that moves in real time, its encoder, the specimen between
// the platens, the load cell behind a paced converter, the operator box and the relays.
//
// The crosshead's position is piecewise linear in time. Nothing runs in the background: every call brings the
// state up to the present first (reaching a travel limit stops the crosshead there).
//
// Every public function takes the card's own lock; LoadGetAd releases it while it waits for its conversion.
class SimCard {
public:
    using Clock = std::chrono::steady_clock;

    SimCard() = default;
    SimCard(const SimCard&) = delete;
    SimCard& operator=(const SimCard&) = delete;

    // Back to power-on: the configuration, everything at rest, the clocks restarted. The crosshead stands at
    // `position_mm` when given (where the machine was left), else at the configured start position.
    // card_index makes the noise of a seeded machine differ between its cards.
    void reset(const CardConfig& config, int card_index, std::optional<double> position_mm = std::nullopt);

    // Card driver functions
    bool open(bool allowed);
    void close();
    int32_t loadGetAd();
    void setLoadAmp(int32_t magnification);
    void setDeforAmp(int32_t magnification);
    int32_t readPulse();
    void resetCounter();
    void setRate(float rate);
    void moveUp();
    void moveDown();
    void stop();
    uint8_t outCommand();
    void setRelays(const uint8_t* relays);
    void servoData(uint16_t output);
    void daStart();

    // The lateral machine's couplings (see LateralMachine.h). Each takes this card's lock only, so that the
    // machine reads one card after another and never holds two locks at once. `t` is a moment not in the
    // future: the encoder readings of the sensor cards and the axial card's deflection are taken at one t.
    AxialOffsetSource axialOffsetAt(Clock::time_point t);
    double positionAt(Clock::time_point t);
    // The encoder of a sensor riding on the axial spring's top reads the crosshead plus where the top stands
    // sideways (sensor_offset_mm, at t); CardOpen and ResetMainCountor zero it where both stand.
    bool open(bool allowed, Clock::time_point t, double sensor_offset_mm);
    int32_t readPulse(Clock::time_point t, double sensor_offset_mm);
    void resetCounter(Clock::time_point t, double sensor_offset_mm);

    // Test access. set() returns false for an unknown key or a value the key cannot take; get() returns NaN
    // for an unknown key.
    bool set(std::string_view key, double value);
    double get(std::string_view key);

private:
    enum class Drive { Direct, Servo };

    // A stretch of constant velocity. A short history is kept so that a conversion taken a few milliseconds
    // ago (still waiting in the converter's FIFO) is computed where the crosshead was then.
    struct Segment {
        Clock::time_point start;
        double x_mm;
        double v_mm_per_min;
    };
    static constexpr size_t kHistory = 64;

    void advanceLocked(Clock::time_point now);
    void setVelocityLocked(double v_mm_per_min, Clock::time_point now);
    void applyDriveLocked(Clock::time_point now);
    void pushSegmentLocked(const Segment& segment);
    double positionAtLocked(Clock::time_point t) const;
    double clampToTravel(double x_mm) const;
    const Segment& currentSegment() const { return m_history[m_newest]; }
    SpringLaw::State specimenAtLocked(double x_mm);
    double rateWhereItStandsLocked(const SpringLaw::State& state) const;
    void restartConverterLocked(Clock::time_point now);
    void restartStallsLocked(Clock::time_point now);
    void stallIfDueLocked(std::unique_lock<std::mutex>& lock);
    void reseedLocked();
    uint8_t limitBitsLocked(double x_mm) const;
    bool pumpStoppedLocked() const;
    bool leafLocked() const { return m_config.specimenKind() == SpecimenKind::Leaf; }
    bool lateralLocked() const { return m_config.specimenKind() == SpecimenKind::Lateral; }
    double deflectionLocked(const SpringLaw::State& state) const;

    std::mutex m_mutex;
    CardConfig m_config;
    int m_index = 0;

    // Crosshead
    std::array<Segment, kHistory> m_history{};
    size_t m_newest = 0;
    size_t m_filled = 1;
    Drive m_drive = Drive::Direct;
    int m_direction = 0;            // direct drive: +1 up, -1 down, 0 stopped
    float m_rate = 0.0f;            // direct drive: last SetRate, scaled by rate_scale when applied
    double m_encoderZero_mm = 0.0;  // what the encoder's sensor stood at when the count was zeroed

    // Servo valve
    uint16_t m_servoOutput = 0;
    bool m_outputEnabled = false;

    // Specimen, with the last solution cached: the crosshead often stands still between readings.
    SpringLaw m_law;
    LeafSpring m_leaf;  // specimen = leaf: a spring with a history, in place of the law
    bool m_cacheValid = false;
    double m_cacheX_mm = 0.0;
    SpringLaw::State m_cacheState;

    // Load cell and converter
    int32_t m_magnification = 400;
    Clock::time_point m_converterStart{};
    int64_t m_nextConversion = 0;
    uint64_t m_conversionsRead = 0;
    std::mt19937_64 m_noise;
    std::normal_distribution<double> m_gauss{0.0, 1.0};
    Clock::time_point m_nextStall{};
    uint64_t m_stalls = 0;

    // Operator box, relays, card state
    uint8_t m_keys = 0;
    std::array<uint8_t, 8> m_relays{};
    int32_t m_deforMagnification = 0;
    bool m_opened = false;
    bool m_failOpen = false;
};

}  // namespace springtest::sim
