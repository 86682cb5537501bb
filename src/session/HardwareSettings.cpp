#include "session/HardwareSettings.h"

#include "platform/NumberEntry.h"
#include "platform/ProfileFile.h"

#include <QDir>

#include <limits>

namespace springtest {

namespace {

const QString kStyle = QStringLiteral("style");
const QString kCard = QStringLiteral("card");
const QString kLoad = QStringLiteral("load");
const QString kDisplacement = QStringLiteral("Displacement");
const QString kMotor = QStringLiteral("Motor_status");
const QString kDirection = QStringLiteral("Direction");

QString gearKey(int gear, const char* suffix) {
    return QStringLiteral("Gear") + QString::number(gear) + QLatin1String(suffix);
}

bool reversed(const ProfileSnapshot& ini, const QString& section) {
    return ini.readInt(section, kDirection, 1) == -1;
}

QString direction(bool reversed) {
    return reversed ? QStringLiteral("-1") : QStringLiteral("1");
}

bool positiveNumber(const QString& text) {
    const std::optional<double> value = readFloat(text);
    return value && *value > 0.0;
}

bool wholeNumberIn(const QString& text, int lowest, int highest) {
    const std::optional<int> value = readInteger(text);
    return value && *value >= lowest && *value <= highest;
}

}  // namespace

std::optional<HardwareSettings::Problem> HardwareSettings::problem() const {
    if (!positiveNumber(loadMax)) return Problem{QStringLiteral("Max_Range"), kBadLoadRange};
    if (!wholeNumberIn(gearTotal, 1, kHardwareGears))
        return Problem{QStringLiteral("Gear_Total"), kBadGearTotal};
    for (int g = 1; g <= kHardwareGears; ++g) {
        if (!wholeNumberIn(magnification[size_t(g - 1)], 1, std::numeric_limits<int>::max()))
            return Problem{gearKey(g, "_Magnification"), kBadMagnification};
        if (!wholeNumberIn(gearDecimals[size_t(g - 1)], 0, 6))
            return Problem{gearKey(g, "_Decimal_Places"), kBadDecimals};
    }
    const std::optional<double> overload = readFloat(overloadProportion);
    if (!overload || *overload <= 0.0 || *overload > kHighestOverloadProportion)
        return Problem{QStringLiteral("Overload_proportion"), kOverloadOutOfRange};
    if (!wholeNumberIn(zeroDifference, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()))
        return Problem{QStringLiteral("zero_poor"), kBadZeroDifference};
    if (!wholeNumberIn(coderPulses, 1, std::numeric_limits<int>::max()))
        return Problem{QStringLiteral("coder_pulse"), kBadCoderPulses};
    if (!positiveNumber(screwPitch_mm)) return Problem{QStringLiteral("screws"), kBadScrewPitch};
    if (!positiveNumber(displacementCoefficient))
        return Problem{QStringLiteral("coefficient"), kBadDisplacementCoefficient};
    if (!wholeNumberIn(displacementDecimals, 0, 6))
        return Problem{QStringLiteral("Decimal_Places"), kBadDecimals};
    return std::nullopt;
}

QString hardwareSettingsFile(const QString& applicationFolder) {
    return QDir(applicationFolder).filePath(QStringLiteral("init.ini"));
}

HardwareSettings HardwareSettings::read(const QString& applicationFolder) {
    const ProfileSnapshot ini = ProfileFile(hardwareSettingsFile(applicationFolder)).snapshot();
    HardwareSettings s;
    s.machineStyle = ini.readInt(kStyle, QStringLiteral("sb_style"), s.machineStyle);
    s.cardName = ini.readString(kCard, QStringLiteral("card_name"), s.cardName);
    s.loadMax = ini.readString(kLoad, QStringLiteral("Max_Range"), s.loadMax);
    s.loadUnits = ini.readString(kLoad, QStringLiteral("units"), s.loadUnits);
    s.gearTotal = ini.readString(kLoad, QStringLiteral("Gear_Total"), s.gearTotal);
    for (int g = 1; g <= kHardwareGears; ++g) {
        auto& magnification = s.magnification[static_cast<size_t>(g - 1)];
        magnification = ini.readString(kLoad, gearKey(g, "_Magnification"), magnification);
        auto& decimals = s.gearDecimals[static_cast<size_t>(g - 1)];
        decimals = ini.readString(kLoad, gearKey(g, "_Decimal_Places"), decimals);
    }
    s.autoGearPercent = ini.readString(kLoad, QStringLiteral("auto_gear_proportion"), s.autoGearPercent);
    s.autoGear = ini.readBool(kLoad, QStringLiteral("auto_gear"), s.autoGear);
    s.overloadProportion = ini.readString(kLoad, QStringLiteral("Overload_proportion"), s.overloadProportion);
    s.zeroDifference = ini.readString(kLoad, QStringLiteral("zero_poor"), s.zeroDifference);
    s.coderPulses = ini.readString(kDisplacement, QStringLiteral("coder_pulse"), s.coderPulses);
    s.screwPitch_mm = ini.readString(kDisplacement, QStringLiteral("screws"), s.screwPitch_mm);
    s.displacementCoefficient =
        ini.readString(kDisplacement, QStringLiteral("coefficient"), s.displacementCoefficient);
    s.displacementDecimals =
        ini.readString(kDisplacement, QStringLiteral("Decimal_Places"), s.displacementDecimals);
    s.loadReversed = reversed(ini, kLoad);
    s.displacementReversed = reversed(ini, kDisplacement);
    s.motorReversed = reversed(ini, kMotor);
    return s;
}

bool HardwareSettings::write(const QString& applicationFolder, QString* error) const {
    QList<ProfileSetting> keys{
        {kStyle, QStringLiteral("sb_style"), QString::number(machineStyle)},
        {kCard, QStringLiteral("card_name"), cardName},
        {kLoad, QStringLiteral("Max_Range"), loadMax},
        {kLoad, QStringLiteral("units"), loadUnits},
        {kLoad, QStringLiteral("Gear_Total"), gearTotal},
    };
    for (int g = 1; g <= kHardwareGears; ++g) {
        keys.append({kLoad, gearKey(g, "_Magnification"), magnification[static_cast<size_t>(g - 1)]});
        keys.append({kLoad, gearKey(g, "_Decimal_Places"), gearDecimals[static_cast<size_t>(g - 1)]});
    }
    keys += QList<ProfileSetting>{
        {kLoad, QStringLiteral("auto_gear_proportion"), autoGearPercent},
        {kLoad, QStringLiteral("auto_gear"), autoGear ? QStringLiteral("1") : QStringLiteral("0")},
        {kLoad, QStringLiteral("Overload_proportion"), overloadProportion},
        {kLoad, QStringLiteral("Zero_Poor"), zeroDifference},
        {kDisplacement, QStringLiteral("coder_pulse"), coderPulses},
        {kDisplacement, QStringLiteral("screws"), screwPitch_mm},
        {kDisplacement, QStringLiteral("coefficient"), displacementCoefficient},
        {kDisplacement, QStringLiteral("Decimal_Places"), displacementDecimals},
        {kLoad, kDirection, direction(loadReversed)},
        {kDisplacement, kDirection, direction(displacementReversed)},
        {kMotor, kDirection, direction(motorReversed)},
    };
    return ProfileFile(hardwareSettingsFile(applicationFolder)).writeSettings(keys, error);
}

std::optional<double> displacementPerEdge_mm(double pulsesPerTurn, double screwPitch_mm) {
    if (pulsesPerTurn == 0.0) return std::nullopt;
    return screwPitch_mm / (pulsesPerTurn * 4.0);
}

}  // namespace springtest
