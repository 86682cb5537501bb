#include "measurement/Tload.h"

#include "measurement/CardSlot.h"
#include "measurement/ChannelConfig.h"
#include "measurement/TMotor.h"
#include "platform/CardDriver.h"
#include "platform/NumberFormat.h"
#include "platform/OperatorTexts.h"
#include "platform/ProfileFile.h"
#include "platform/SteadyClock.h"
#include "platform/WindowTarget.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace springtest {

namespace {

constexpr int kRangeDivisors[kMaxGears] = {1, 2, 5, 10, 20, 50};
constexpr int kDeadBand = 5;

QString gearKey(int gear, const char* suffix) {
    return QStringLiteral("Gear") + QString::number(gear) + QLatin1String(suffix);
}

QString gearKey(int gear, const char* suffix, int point) {
    return gearKey(gear, suffix) + QString::number(point);
}

double roundTo7(double v) {
    return std::round(v * 1e7) / 1e7;
}

}  // namespace

Tload::Tload(const QString& applicationFolder, int cardIndex, const CardDriver& driver, CardSlot* slot)
    : TPassage(applicationFolder, cardIndex, driver, slot) {
    m_name = kLoadName;
    m_units = QStringLiteral("N");
    LoadConfig();
}

void Tload::LoadConfig() {
    const ProfileSnapshot ini = ProfileFile(channelConfigPath()).snapshot();
    const QString section = loadSection(ini);

    m_fullRange = ini.readFloat(section, QStringLiteral("Max_Range"), 1000.0f);
    // Six gear records exist; a count outside 1…6 is clamped rather than read past them.
    m_gearTotal = std::clamp(ini.readInt(section, QStringLiteral("Gear_Total"), 1), 1, kMaxGears);
    m_shownGear.store(m_gearTotal, std::memory_order_relaxed);
    m_direction = directionFrom(ini.readInt(section, QStringLiteral("Direction"), 1));
    m_name = ini.readString(section, QStringLiteral("Name"), m_name);
    m_units = ini.readString(section, QStringLiteral("Units"), m_units);
    m_load.store(0.0f, std::memory_order_relaxed);

    {
        std::lock_guard lock(m_gearMutex);
        for (int g = 1; g <= m_gearTotal; ++g) {
            GearRecord& r = m_gears[g - 1];
            r.range = m_fullRange / static_cast<float>(kRangeDivisors[g - 1]);
            r.zero = ini.readInt(section, gearKey(g, "_AD_ZERO"), 0);
            for (int k = 1; k <= 3; ++k) {
                r.pressPoint[k - 1] = ini.readInt(section, gearKey(g, "_Press_AD", k), 1);
                r.pressCoefficient[k - 1] =
                    roundTo7(ini.readDouble(section, gearKey(g, "_Press_Coefficient", k), 1.0));
                r.pressReference[k - 1] =
                    ini.readFloat(section, gearKey(g, "_Press_Clibration_value", k), 1.0f);
                r.pullPoint[k - 1] = ini.readInt(section, gearKey(g, "_Pull_AD", k), 1);
                r.pullCoefficient[k - 1] =
                    roundTo7(ini.readDouble(section, gearKey(g, "_Pull_Coefficient", k), 1.0));
                r.pullReference[k - 1] =
                    ini.readFloat(section, gearKey(g, "_Pull_Clibration_value", k), 1.0f);
            }
            r.decimals =
                static_cast<uint8_t>(decimalsOf(ini.readInt(section, gearKey(g, "_Decimal_Places"), 3)));
            r.magnification = ini.readInt(section, gearKey(g, "_Magnification"), 400);
        }
    }

    SelectGear(m_gearTotal);

    m_autoGear.store(ini.readBool(section, QStringLiteral("auto_gear"), false), std::memory_order_relaxed);
    m_gearFraction = ini.readFloat(section, QStringLiteral("auto_gear_proportion"), 95.0f) / 100.0f;
    // Only `Overloadprotection` switches the trip off; a fraction that is no number takes the default.
    m_overloadFraction = ini.readFloat(section, QStringLiteral("OverLoadProportion"), 1.03f);
    m_overloadProtection = ini.readBool(section, QStringLiteral("Overloadprotection"), true);
    m_countProtection = ini.readBool(section, QStringLiteral("ADOverprotection"), true);
    m_countLimit = ini.readInt(section, QStringLiteral("ADOverprotectionValue"), 25000);
    m_armed.store(true, std::memory_order_relaxed);
    m_tripKind.store(static_cast<uint8_t>(TripKind::None), std::memory_order_relaxed);
    m_peak.store(0.0f, std::memory_order_relaxed);
}

void Tload::SelectGear(int gear) {
    if (gear < 1 || gear > kMaxGears) return;
    if (m_currentGear.load(std::memory_order_relaxed) == gear) return;
    int32_t magnification = 0;
    {
        std::lock_guard lock(m_gearMutex);
        magnification = m_gears[gear - 1].magnification;
    }
    m_currentGear.store(gear, std::memory_order_relaxed);
    m_driver.setLoadAmp(m_cardIndex, magnification);
}

GearRecord Tload::GetGearRecord(int gear) const {
    if (gear < 1 || gear > kMaxGears) return {};
    std::lock_guard lock(m_gearMutex);
    return m_gears[gear - 1];
}

int Tload::decimals() const {
    return GetGearRecord(currentGear()).decimals;
}

int32_t Tload::AverageAd() {
    std::array<int32_t, kSamplesPerReading> samples;
    for (int32_t& s : samples) s = m_driver.loadGetAd(m_cardIndex);
    std::sort(samples.begin(), samples.end());
    int64_t sum = 0;
    for (int i = 30; i <= 37; ++i) sum += samples[i];
    return static_cast<int32_t>(sum / 8);
}

float Tload::LoadFromCount(const GearRecord& g, int32_t a, float previous) {
    // Sums in double; each segment boundary is shifted kDeadBand counts outward.
    const double z = g.zero;
    const double A = a;
    const double d = A - z;
    const auto& P = g.pressPoint;
    const auto& C = g.pressCoefficient;
    const auto& Q = g.pullPoint;
    const auto& D = g.pullCoefficient;
    double load = previous;
    if (d >= kDeadBand) {
        if (z <= P[0]) {
            if (A <= P[0] + kDeadBand)
                load = d * C[0];
            else if (A <= P[1] + kDeadBand)
                load = (P[0] - z) * C[0] + (A - P[0]) * C[1];
            else
                load = (P[0] - z) * C[0] + double(P[1] - P[0]) * C[1] + (A - P[1]) * C[2];
        } else if (z <= P[1]) {
            if (A <= P[1] + kDeadBand)
                load = d * C[1];
            else
                load = (P[1] - z) * C[1] + (A - P[1]) * C[2];
        } else if (z <= P[2]) {
            load = d * C[2];
        } else if (z > 65535) {
            load = d * C[2];
        }
    } else if (d <= -kDeadBand) {
        if (z >= Q[0]) {
            if (A >= Q[0] - kDeadBand)
                load = d * D[0];
            else if (A >= Q[1] - kDeadBand)
                load = (Q[0] - z) * D[0] + (A - Q[0]) * D[1];
            else
                load = (Q[0] - z) * D[0] + double(Q[1] - Q[0]) * D[1] + (A - Q[1]) * D[2];
        } else if (z >= Q[1]) {
            if (A >= Q[1] - kDeadBand)
                load = d * D[1];
            else
                load = (Q[1] - z) * D[1] + (A - Q[1]) * D[2];
        } else if (z >= Q[2]) {
            load = d * D[2];
        } else if (z < 65535) {
            load = d * D[2];
        }
    } else {
        load = 0.0;
    }
    return static_cast<float>(load);
}

float Tload::ReadLoad() {
    const int gear = m_currentGear.load(std::memory_order_relaxed);
    if (gear != m_shownGear.load(std::memory_order_relaxed)) {
        // The amplifier has just been switched; its first conversions are not trusted.
        m_shownGear.store(gear, std::memory_order_relaxed);
        return m_load.load(std::memory_order_relaxed);
    }
    const int32_t a = AverageAd() * m_direction;
    const std::chrono::microseconds completed = steadyMicros();
    const std::chrono::microseconds age = m_readingAge.onReading(completed);
    m_convertedAt_us.store((completed - age).count(), std::memory_order_relaxed);
    m_readingPace_us.store(m_readingAge.pace().count(), std::memory_order_relaxed);
    m_currentCount.store(a, std::memory_order_relaxed);
    const GearRecord record = GetGearRecord(gear);
    const float load = LoadFromCount(record, a, m_load.load(std::memory_order_relaxed));
    m_load.store(load, std::memory_order_relaxed);

    // The peak follows the largest signed value; a reset from the GUI thread is never overwritten by a
    // reading that started before it.
    float peak = m_peak.load(std::memory_order_relaxed);
    while (!(peak >= load) && !m_peak.compare_exchange_weak(peak, load, std::memory_order_relaxed)) {
    }

    CheckProtection();
    return load;
}

void Tload::sendTo(const std::atomic<WindowTarget*>& target) {
    if (WindowTarget* t = target.load(std::memory_order_acquire)) t->send(kMsgLoadChannel);
}

void Tload::trip(TripKind kind) {
    if (!m_armed.load(std::memory_order_relaxed)) return;
    if (m_slot && m_slot->motor) m_slot->motor->CommandStop();
    m_armed.store(false, std::memory_order_relaxed);
    m_tripKind.store(static_cast<uint8_t>(kind), std::memory_order_relaxed);
    sendTo(m_overloadTarget);
}

void Tload::CheckProtection() {
    const int g = m_currentGear.load(std::memory_order_relaxed);
    const float L = m_load.load(std::memory_order_relaxed);
    const int32_t a = m_currentCount.load(std::memory_order_relaxed);
    const bool autoGear = m_autoGear.load(std::memory_order_relaxed);
    float range = 0.0f, nextRange = 0.0f;
    {
        std::lock_guard lock(m_gearMutex);
        range = m_gears[g - 1].range;
        if (g < kMaxGears) nextRange = m_gears[g].range;
    }
    const float absL = std::fabs(L);
    const float p = m_gearFraction;

    if (g != 1 && autoGear) {
        if (absL >= range * p) {
            SelectGear(g - 1);
            sendTo(m_gearTarget);
        } else if (g < m_gearTotal && absL <= nextRange * p) {
            SelectGear(g + 1);
            sendTo(m_gearTarget);
        }
        return;
    }

    const float P = m_overloadFraction;
    const int32_t A = m_countLimit;
    const bool inside = absL < range * P && std::llabs(int64_t(a)) <= A;
    if (inside) {
        bool cleared = true;
        switch (tripKind()) {
            case TripKind::CompressionOverload:
                cleared = L < range;
                break;
            case TripKind::TensionOverload:
                cleared = L > -range;
                break;
            case TripKind::CountHigh:
                cleared = a < 0.9 * A;
                break;
            case TripKind::CountLow:
                cleared = a > -0.9 * A;
                break;
            case TripKind::None:
                cleared = true;
                break;
        }
        if (!cleared) return;
        m_armed.store(true, std::memory_order_relaxed);
    } else {
        if (m_overloadProtection) {
            if (L >= range * P)
                trip(TripKind::CompressionOverload);
            else if (L <= -range * P)
                trip(TripKind::TensionOverload);
        }
        if (m_countProtection) {
            if (a >= A)
                trip(TripKind::CountHigh);
            else if (a <= -A)
                trip(TripKind::CountLow);
        }
    }

    // Gear 1 steps down to gear 2 once the load fits gear 2's range with margin. (Measured against gear 2's
    // range, the same rule that moves any higher gear down; against gear 1's own range the channel would
    // hunt between the two gears for every load between them.) The acquisition loop reports this change.
    if (g == 1 && autoGear && m_gearTotal > 1 && absL <= nextRange * p) SelectGear(2);
}

bool Tload::blocksDown() const {
    if (armed()) return false;
    const TripKind k = tripKind();
    return k == TripKind::CompressionOverload || k == TripKind::CountHigh;
}

bool Tload::blocksUp() const {
    if (armed()) return false;
    const TripKind k = tripKind();
    return k == TripKind::TensionOverload || k == TripKind::CountLow;
}

bool Tload::ClearLoadZero(QString* error) {
    const int g = currentGear();
    const int32_t count = currentCount();
    {
        std::lock_guard lock(m_gearMutex);
        m_gears[g - 1].zero = count;
    }
    ProfileFile ini(channelConfigPath());
    return ini.writeString(QStringLiteral("load"), gearKey(g, "_AD_ZERO"), QString::number(count), error);
}

Tload::CalibrationOutcome Tload::CalibratePoint(int kind, float reference) {
    using Status = CalibrationOutcome::Status;
    if (kind < 1 || kind > 6) return {Status::BadKind, {}, {}};
    const bool compression = kind <= 3;
    const int k = compression ? kind : kind - 3;
    const int g = currentGear();
    const int32_t a = currentCount();

    struct GearWrite {
        int gear;
        int32_t pressPoint;
        double coefficient;
    };
    QList<GearWrite> derived;
    float coefficient = 0.0f;
    uint8_t decimals = 0;
    {
        std::lock_guard lock(m_gearMutex);
        GearRecord& r = m_gears[g - 1];
        auto& points = compression ? r.pressPoint : r.pullPoint;
        auto& refs = compression ? r.pressReference : r.pullReference;
        auto& coefs = compression ? r.pressCoefficient : r.pullCoefficient;
        const int32_t a0 = k == 1 ? r.zero : points[k - 2];
        const float v0 = k == 1 ? 0.0f : refs[k - 2];
        if (a == a0) return {Status::ZeroDivisor, {}, {}};
        coefficient = static_cast<float>((double(reference) - double(v0)) / (double(a) - double(a0)));
        const double stored = roundTo7(coefficient);
        points[k - 1] = a;
        refs[k - 1] = reference;
        coefs[k - 1] = stored;
        decimals = r.decimals;
        if (compression) {
            r.pullPoint[k - 1] = -a;
            r.pullCoefficient[k - 1] = stored;
            const int32_t mag1 = r.magnification;
            if (g == 1 && mag1 != 0) {
                for (int j = 2; j <= m_gearTotal; ++j) {
                    GearRecord& rj = m_gears[j - 1];
                    const float ratio = static_cast<float>(rj.magnification) / static_cast<float>(mag1);
                    if (ratio == 0.0f) continue;
                    rj.pressPoint[k - 1] = static_cast<int32_t>(std::lround(double(a) * ratio));
                    rj.pressCoefficient[k - 1] = roundTo7(double(coefficient) / ratio);
                    rj.pullPoint[k - 1] = -rj.pressPoint[k - 1];
                    rj.pullCoefficient[k - 1] = rj.pressCoefficient[k - 1];
                    derived.append({j, rj.pressPoint[k - 1], double(coefficient) / ratio});
                }
            }
        }
    }

    const QString section = loadSectionForWrite();
    const char* ad = compression ? "_Press_AD" : "_Pull_AD";
    const char* value = compression ? "_Press_Clibration_value" : "_Pull_Clibration_value";
    const char* coef = compression ? "_Press_Coefficient" : "_Pull_Coefficient";
    const QString coefText = FormatCoefficient(coefficient);
    // One calibration point is one write: a point, its coefficient and the gears derived from it are never
    // left half stored.
    QList<ProfileSetting> settings{
        {section, gearKey(g, ad, k), QString::number(a)},
        {section, gearKey(g, value, k), FormatByDecimals(decimals, reference)},
        {section, gearKey(g, coef, k), coefText},
    };
    if (compression) {
        settings.append({section, gearKey(g, "_Pull_AD", k), QString::number(-a)});
        settings.append({section, gearKey(g, "_Pull_Coefficient", k), coefText});
        for (const GearWrite& w : derived) {
            settings.append({section, gearKey(w.gear, "_Press_AD", k), QString::number(w.pressPoint)});
            settings.append(
                {section, gearKey(w.gear, "_Press_Coefficient", k), FormatCoefficient(w.coefficient)});
            settings.append({section, gearKey(w.gear, "_Pull_AD", k), QString::number(-w.pressPoint)});
            settings.append(
                {section, gearKey(w.gear, "_Pull_Coefficient", k), FormatCoefficient(w.coefficient)});
        }
    }
    QString error;
    const bool ok = ProfileFile(channelConfigPath()).writeSettings(settings, &error);
    return {ok ? Status::Ok : Status::WriteFailed, coefText, error};
}

Tload::CalibrationOutcome Tload::AdjustCoefficient(int kind, int8_t step, float base) {
    using Status = CalibrationOutcome::Status;
    if (kind < 1 || kind > 6) return {Status::BadKind, {}, {}};
    const bool compression = kind <= 3;
    const int k = compression ? kind : kind - 3;
    const int g = currentGear();
    const double value = double(step) * 0.0000001 + double(base);
    {
        std::lock_guard lock(m_gearMutex);
        GearRecord& r = m_gears[g - 1];
        (compression ? r.pressCoefficient : r.pullCoefficient)[k - 1] = roundTo7(value);
    }
    const QString text = FormatCoefficient(value);
    QString error;
    const bool ok = ProfileFile(channelConfigPath())
                        .writeString(loadSectionForWrite(),
                                     gearKey(g, compression ? "_Press_Coefficient" : "_Pull_Coefficient", k),
                                     text, &error);
    return {ok ? Status::Ok : Status::WriteFailed, text, error};
}

}  // namespace springtest
