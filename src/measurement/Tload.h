#pragma once

#include "measurement/ReadingAge.h"
#include "measurement/TPassage.h"

#include <array>
#include <atomic>
#include <mutex>

namespace springtest {

class WindowTarget;

// One gear (measuring range of the amplifier) of a load channel.
struct GearRecord {
    float range = 0.0f;
    int32_t zero = 0;
    uint8_t decimals = 0;
    std::array<double, 3> pullCoefficient{};
    std::array<float, 3> pullReference{};
    std::array<double, 3> pressCoefficient{};
    std::array<float, 3> pressReference{};
    std::array<int32_t, 3> pullPoint{};
    std::array<int32_t, 3> pressPoint{};
    int32_t magnification = 0;
};

enum class TripKind : uint8_t {
    CompressionOverload = 0,
    TensionOverload = 1,
    CountHigh = 2,
    CountLow = 3,
    None = 4
};

inline constexpr int kMaxGears = 6;
inline constexpr int kSamplesPerReading = 68;
// The conversions the card's converter keeps for a reader that is late; older ones are lost.
inline constexpr int kConverterFifoConversions = 1024;

// The load channel: raw counts of the load cell turned into a calibrated load in load units, with up to six
// gears, overload and raw-count protection, automatic gear change and the calibration procedures.
//
// ReadLoad runs on the acquisition thread; gear selection, zeroing, calibration, the peak reset and the
// auto-gear switch come from the GUI thread. The gear records are guarded by a short lock that is never held
// across driver calls or file writes; every other shared field is an atomic.
class Tload : public TPassage {
public:
    Tload(const QString& applicationFolder, int cardIndex, const CardDriver& driver, CardSlot* slot);

    float ReadLoad();
    void SelectGear(int gear);
    GearRecord GetGearRecord(int gear) const;

    // Returns false when the configuration file could not be written, with the operator's message in
    // `error`.
    bool ClearLoadZero(QString* error = nullptr);

    struct CalibrationOutcome {
        enum class Status { Ok, ZeroDivisor, WriteFailed, BadKind };
        Status status = Status::Ok;
        QString coefficient;  // "#0.0000000"
        QString writeError;   // the operator's message when WriteFailed
    };
    // Kinds 1…3 are the compression points, 4…6 the tension points. A count equal to the previous point's
    // would give an infinite coefficient: the point is refused and the calibration left as it was.
    CalibrationOutcome CalibratePoint(int kind, float reference);
    CalibrationOutcome AdjustCoefficient(int kind, int8_t step, float base);

    int32_t AverageAd();

    // When the last reading's newest conversion was made: well before the reading ended only while the loop
    // catches up with readings the converter buffered while the loop was held up.
    ReadingTime readingTime() const {
        return {std::chrono::microseconds(m_convertedAt_us.load(std::memory_order_relaxed)),
                std::chrono::microseconds(m_readingPace_us.load(std::memory_order_relaxed))};
    }

    float load() const { return m_load.load(std::memory_order_relaxed); }
    int32_t currentCount() const { return m_currentCount.load(std::memory_order_relaxed); }
    int gearTotal() const { return m_gearTotal; }
    int currentGear() const { return m_currentGear.load(std::memory_order_relaxed); }
    int shownGear() const { return m_shownGear.load(std::memory_order_relaxed); }
    float fullRange() const { return m_fullRange; }
    int decimals() const;  // of the current gear

    bool autoGear() const { return m_autoGear.load(std::memory_order_relaxed); }
    void setAutoGear(bool on) { m_autoGear.store(on, std::memory_order_relaxed); }
    float gearFraction() const { return m_gearFraction; }

    bool overloadProtection() const { return m_overloadProtection; }
    bool countProtection() const { return m_countProtection; }
    int32_t countLimit() const { return m_countLimit; }
    float overloadFraction() const { return m_overloadFraction; }

    bool armed() const { return m_armed.load(std::memory_order_relaxed); }
    TripKind tripKind() const { return static_cast<TripKind>(m_tripKind.load(std::memory_order_relaxed)); }
    // Motion toward a tripped overload is refused: Down after a compression or count-high trip,
    // Up after a tension or count-low trip.
    bool blocksDown() const;
    bool blocksUp() const;

    float peak() const { return m_peak.load(std::memory_order_relaxed); }
    void resetPeak() { m_peak.store(0.0f, std::memory_order_relaxed); }

    void setOverloadTarget(WindowTarget* t) { m_overloadTarget.store(t, std::memory_order_release); }
    void setGearTarget(WindowTarget* t) { m_gearTarget.store(t, std::memory_order_release); }
    WindowTarget* gearTarget() const { return m_gearTarget.load(std::memory_order_acquire); }

    // The computation of one reading from an averaged count, without the driver; what ReadLoad uses.
    static float LoadFromCount(const GearRecord& gear, int32_t a, float previous);

private:
    void LoadConfig();
    void CheckProtection();
    void trip(TripKind kind);
    void sendTo(const std::atomic<WindowTarget*>& target);
    QString loadSectionForWrite() const { return QStringLiteral("LOAD"); }

    float m_fullRange = 1000.0f;
    int m_gearTotal = 1;
    float m_gearFraction = 0.95f;
    bool m_overloadProtection = true;
    float m_overloadFraction = 1.03f;
    bool m_countProtection = true;
    int32_t m_countLimit = 25000;

    mutable std::mutex m_gearMutex;
    std::array<GearRecord, kMaxGears> m_gears{};  // gears 1…6 at indices 0…5

    std::atomic<float> m_load{0.0f};
    std::atomic<int32_t> m_currentCount{0};
    std::atomic<int> m_currentGear{0};
    std::atomic<int> m_shownGear{0};
    std::atomic<bool> m_autoGear{false};
    std::atomic<bool> m_armed{true};
    std::atomic<uint8_t> m_tripKind{static_cast<uint8_t>(TripKind::None)};
    std::atomic<float> m_peak{0.0f};
    ReadingAge m_readingAge{double(kConverterFifoConversions) /
                            kSamplesPerReading};  // the reading thread only
    std::atomic<int64_t> m_convertedAt_us{0};
    std::atomic<int64_t> m_readingPace_us{0};
    std::atomic<WindowTarget*> m_overloadTarget{nullptr};
    std::atomic<WindowTarget*> m_gearTarget{nullptr};
};

}  // namespace springtest
