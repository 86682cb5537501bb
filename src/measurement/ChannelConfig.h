#pragma once

#include <QString>

namespace springtest {

// "init0.dat" holds the machine configuration (section `system`) and card 0's channels.
QString machineConfigFile(const QString& applicationFolder);
// "init" + card index + ".dat".
QString channelConfigFile(const QString& applicationFolder, int cardIndex);

}  // namespace springtest
