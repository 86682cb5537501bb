#include "measurement/ChannelConfig.h"

#include "platform/ProfileFile.h"

#include <QDir>

namespace springtest {

QString machineConfigFile(const QString& applicationFolder) {
    return channelConfigFile(applicationFolder, 0);
}

QString channelConfigFile(const QString& applicationFolder, int cardIndex) {
    return QDir(applicationFolder)
        .filePath(QStringLiteral("init") + QString::number(cardIndex) + QStringLiteral(".dat"));
}

QString loadSection(const ProfileSnapshot& channelConfig) {
    const QString loadNo =
        channelConfig.readString(QStringLiteral("system"), QStringLiteral("LoadNo"), QString());
    return (loadNo.isEmpty() || loadNo == QLatin1String("0")) ? QStringLiteral("Load")
                                                              : QStringLiteral("Load") + loadNo;
}

QString configuredLoadUnits(const QString& applicationFolder, int cardIndex) {
    const ProfileSnapshot ini = ProfileFile(channelConfigFile(applicationFolder, cardIndex)).snapshot();
    return ini.readString(loadSection(ini), QStringLiteral("Units"), QString());
}

}  // namespace springtest
