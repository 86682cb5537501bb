#include "windows/console/AcquisitionWatch.h"

#include "measurement/Tbankhk.h"

namespace springtest {

std::optional<QString> AcquisitionWatch::newFailure() {
    if (m_reported || !m_loop || !m_loop->failed()) return std::nullopt;
    m_reported = true;
    m_reportedError = m_loop->lastError();
    return QStringLiteral("数据采集出错，测量已停止：") + m_reportedError +
           QStringLiteral("\n请勿操作机器，请重新启动软件!!");
}

}  // namespace springtest
