#include "session/SingleInstance.h"

#include "platform/Prompts.h"

#include <QDir>

namespace springtest {

SingleInstance::SingleInstance(const QString& name)
    : m_path(QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock"))), m_lock(m_path) {
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryClaim() {
    if (m_lock.isLocked()) return true;
    return m_lock.tryLock(0);
}

bool claimSingleInstance(SingleInstance& instance) {
    if (instance.tryClaim()) return true;
    prompts().message(QStringLiteral("程序正在运行!!"), QStringLiteral("ERROR"), PromptIcon::Critical);
    return false;
}

}  // namespace springtest
