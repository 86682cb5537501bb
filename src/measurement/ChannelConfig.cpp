#include "ChannelConfig.h"

#include <QDir>

namespace springtest {

QString machineConfigFile(const QString& applicationFolder) { return channelConfigFile(applicationFolder, 0); }

QString channelConfigFile(const QString& applicationFolder, int cardIndex) {
    return QDir(applicationFolder).filePath(QStringLiteral("init") + QString::number(cardIndex) +
                                            QStringLiteral(".dat"));
}

}  // namespace springtest
