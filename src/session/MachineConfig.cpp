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
    return c;
}

}  // namespace springtest
