#include "session/MachineConfig.h"

#include "calibration/CalibrationRecord.h"
#include "measurement/CardSlot.h"
#include "measurement/ChannelConfig.h"
#include "platform/ProfileFile.h"

#include <algorithm>

namespace springtest {

MachineConfig MachineConfig::read(const QString& applicationFolder) {
    const ProfileSnapshot ini = ProfileFile(machineConfigFile(applicationFolder)).snapshot();
    const QString section = QStringLiteral("system");
    MachineConfig c;
    c.cardType = ini.readInt(section, QStringLiteral("CardType"), 2);
    c.machineType = ini.readInt(section, QStringLiteral("MachineType"), 0);
    c.machineName =
        ini.readString(section, QStringLiteral("MachineName"), QStringLiteral("微机控制弹簧拉压测试系统"));
    c.cardCount = std::clamp(ini.readInt(section, QStringLiteral("CardSum"), 1), 1, kMaxCards);
    c.logoPath = ini.readString(section, QStringLiteral("LogoAdd"), QString());
    c.verificationIntervalMonths = verificationIntervalFromText(
        ini.readString(section, QStringLiteral("VerificationIntervalMonths"), {}));
    c.fullRateCurve = fullRateCurveFromText(ini.readString(section, QStringLiteral("FullRateCurve"), {}));
    return c;
}

bool fullRateCurveFromText(const QString& text) {
    // Only what the program writes: the profile's number rules would read "1.5" or "1x" as 1.
    return text.trimmed() == QLatin1String("1");
}

bool writeFullRateCurve(const QString& applicationFolder, bool on, QString* error) {
    return ProfileFile(machineConfigFile(applicationFolder))
        .writeInt(QStringLiteral("system"), QStringLiteral("FullRateCurve"), on ? 1 : 0, error);
}

}  // namespace springtest
