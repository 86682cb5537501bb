#include "measurement/TPassage.h"

#include "measurement/ChannelConfig.h"

namespace springtest {

QString TPassage::channelConfigPath() const {
    return channelConfigFile(m_applicationFolder, m_cardIndex);
}

}  // namespace springtest
