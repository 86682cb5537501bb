#pragma once

#include "measurement/PulseHistory.h"
#include "measurement/ReadingAge.h"
#include "measurement/TPassage.h"

#include <atomic>
#include <mutex>

namespace springtest {

// The displacement channel: encoder pulses turned into crosshead displacement in millimetres, with a
// compression and a tension side that keep their own zero and offset, frame compensation, and the spring
// deformation measured from a reference. Its state is saved at destruction and continued at the next start.
//
// Readings run on the acquisition thread; zeroing, presetting and the side switch come from the GUI thread.
// The zero/offset pairs change together under a short lock, so no reading mixes an old zero with a new
// offset.
class TDisplacement : public TPassage {
public:
    TDisplacement(const QString& applicationFolder, int cardIndex, const CardDriver& driver, CardSlot* slot);
    ~TDisplacement() override;

    // The displacement where the crosshead was when the load it is paired with was converted, once that is
    // more than a reading ago: a load the converter had buffered, or a loop held up between the two readings,
    // never sets a load against a later position. Without a load's time, where the crosshead is now.
    float ReadDisplacement(ReadingTime loadTime = {});
    float ReadDeformation();

    void MarkDeformationZero();
    void ClearDisplacement();
    void SetDisplacement(float value);
    // Both return false when the channel's file could not be written, with the operator's message in
    // `error`.
    bool SetCompensation(float value, QString* error = nullptr);
    bool SaveDisplacementState(QString* error = nullptr);

    // 1 compression side, -1 tension side.
    int side() const { return m_side.load(std::memory_order_relaxed); }
    void setSide(int side) { m_side.store(side < 0 ? int8_t(-1) : int8_t(1), std::memory_order_relaxed); }

    float displacement() const { return m_displacement.load(std::memory_order_relaxed); }
    float deformation() const { return m_deformation.load(std::memory_order_relaxed); }
    int32_t pulseCount() const { return m_pulseCount.load(std::memory_order_relaxed); }
    // The compression and tension pulses saved at the last end (fixed from construction on) and where they
    // stand now.
    int32_t savedPressPulses() const { return m_savedPressPulses; }
    int32_t pressPulsesNow() const { return m_pressPulsesNow.load(std::memory_order_relaxed); }
    int32_t savedPullPulses() const { return m_savedPullPulses; }
    int32_t pullPulsesNow() const { return m_pullPulsesNow.load(std::memory_order_relaxed); }
    float coefficient() const { return m_coefficient; }
    float compensation() const { return m_compensation.load(std::memory_order_relaxed); }
    int decimals() const { return m_decimals; }
    double deformationReference() const { return m_deformationReference.load(std::memory_order_relaxed); }

    // Rounds to the nearest hundredth of a millimetre, ties to even, and stores it in single precision.
    static float roundToHundredth(double value);

private:
    void LoadDisplacementConfig();
    void zeroCurrentSide();

    float m_coefficient = 0.00025f;
    int m_decimals = 3;
    std::atomic<float> m_compensation{0.0f};

    std::atomic<int32_t> m_pulseCount{0};
    PulseHistory m_pulseHistory;  // the thread that takes the readings only
    int32_t m_savedPressPulses = 0;
    int32_t m_savedPullPulses = 0;
    std::atomic<int32_t> m_pressPulsesNow{0};
    std::atomic<int32_t> m_pullPulsesNow{0};

    struct Zeroes {
        int32_t pressZero = 0;
        int32_t pullZero = 0;
        // Kept and saved in double precision: a value on a half hundredth by the count sits a shade above it
        // by the float coefficient, and single precision would put it back below on the next start.
        double pressOffset = 0.0;
        double pullOffset = 0.0;
    };
    mutable std::mutex m_zeroMutex;
    Zeroes m_zeroes;

    std::atomic<int8_t> m_side{1};
    std::atomic<double> m_pressValue{0.0};
    std::atomic<double> m_pullValue{0.0};
    std::atomic<float> m_displacement{0.0f};
    std::atomic<double> m_deformationReference{0.0};
    std::atomic<float> m_deformation{0.0f};
    bool m_stateSaved = false;  // touched only by the owner thread, after the acquisition thread has ended
};

}  // namespace springtest
