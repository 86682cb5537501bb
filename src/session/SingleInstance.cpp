#include "session/SingleInstance.h"

#include "platform/Prompts.h"

#include <QDir>

namespace springtest {

SingleInstance::SingleInstance(const QString& applicationFolder)
    : m_path(QDir(applicationFolder).absoluteFilePath(QString::fromLatin1(kInstanceLockFile))),
      m_lock(m_path) {
    m_lock.setStaleLockTime(0);
}

SingleInstance::Claim SingleInstance::tryClaim() {
    if (m_lock.isLocked() || m_lock.tryLock(0)) return Claim::Claimed;
    return m_lock.error() == QLockFile::LockFailedError ? Claim::HeldElsewhere : Claim::Failed;
}

QString SingleInstance::failureText() const {
    return QStringLiteral("cannot make the lock file %1: the application folder must be writable")
        .arg(QDir::toNativeSeparators(m_path));
}

bool claimSingleInstance(SingleInstance& instance) {
    switch (instance.tryClaim()) {
        case SingleInstance::Claim::Claimed:
            return true;
        case SingleInstance::Claim::HeldElsewhere:
            prompts().message(kProgramRunningText, QStringLiteral("ERROR"), PromptIcon::Critical);
            return false;
        case SingleInstance::Claim::Failed:
            prompts().message(instance.failureText(), QStringLiteral("ERROR"), PromptIcon::Critical);
            return false;
    }
    return false;
}

}  // namespace springtest
