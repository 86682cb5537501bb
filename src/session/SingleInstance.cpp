#include "session/SingleInstance.h"

#include "platform/FileReplace.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/statvfs.h>

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
    // The lock file does not say why it could not be written; a full disk is the cause an operator can
    // mend, so it is told apart from a folder the program may not write to.
    struct statvfs disk {};
    if (::statvfs(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), &disk) == 0) {
        if (disk.f_flag & ST_RDONLY) return writeFailureText(m_path, EROFS);
        if (disk.f_bavail == 0) return writeFailureText(m_path, ENOSPC);
    }
    if (m_lock.error() == QLockFile::PermissionError) return writeFailureText(m_path, EACCES);
    return kCannotWrite + QDir::toNativeSeparators(m_path);
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
