#include "platform/OperatorIdentity.h"

#include <QDir>

#include <mutex>

namespace springtest {

namespace {

std::mutex& identityMutex() {
    static std::mutex m;
    return m;
}

QString& loggedIn() {
    static QString account;
    return account;
}

QString operatingSystemUser() {
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable).trimmed();
        if (!name.isEmpty()) return name;
    }
    // Services and containers often run without those variables; the home folder is named after the user.
    if (const QString home = QDir::home().dirName(); !home.isEmpty()) return home;
    return QStringLiteral("unknown");
}

}  // namespace

void setLoggedInOperator(const QString& account) {
    std::lock_guard lock(identityMutex());
    loggedIn() = account.trimmed();
}

QString loggedInOperator() {
    std::lock_guard lock(identityMutex());
    return loggedIn();
}

QString currentOperatorName() {
    const QString account = loggedInOperator();
    return account.isEmpty() ? operatingSystemUser() : account;
}

}  // namespace springtest
