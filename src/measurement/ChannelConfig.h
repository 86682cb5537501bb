#pragma once

#include <QString>

namespace springtest {
class ProfileSnapshot;
}

namespace springtest {

// "init0.dat" holds the machine configuration (section `system`) and card 0's channels.
QString machineConfigFile(const QString& applicationFolder);
// "init" + card index + ".dat".
QString channelConfigFile(const QString& applicationFolder, int cardIndex);

// The section a card's load channel reads its settings from: "Load", or "Load" + `LoadNo` of its `system`
// section when the card names another load cell.
QString loadSection(const ProfileSnapshot& channelConfig);
// The load unit text a card's channel shows (its `Units`), read without opening the card.
QString configuredLoadUnits(const QString& applicationFolder, int cardIndex);

}  // namespace springtest
