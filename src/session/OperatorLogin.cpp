#include "session/OperatorLogin.h"

#include "platform/ProfileFile.h"
#include "session/PlainName.h"
#include "session/SettingsAuditing.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>

namespace springtest {

namespace {

const QString kSection = QStringLiteral("users");

QString loginFile(const QString& applicationFolder) {
    return QDir(applicationFolder).filePath(QString::fromLatin1(kLoginFile));
}

QByteArray digest(const QByteArray& salt, const QString& password) {
    return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256).toHex();
}

// Equal-time comparison, so that the time taken says nothing about how much of a guess was right.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

}  // namespace

bool checkOperatorLogin(const QString& applicationFolder, const QString& user, const QString& password) {
    if (user.trimmed().isEmpty()) return false;
    const QString stored =
        ProfileFile(loginFile(applicationFolder)).readString(kSection, user.trimmed(), QString());
    const qsizetype colon = stored.indexOf(QLatin1Char(':'));
    if (colon <= 0) return false;
    const QByteArray salt = stored.left(colon).toLatin1();
    return sameBytes(digest(salt, password), stored.mid(colon + 1).toLatin1());
}

QString operatorNameError(const QString& user) {
    const QString name = user.trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('=')) || name.contains(QLatin1Char('[')))
        return QStringLiteral("a user name must not be empty nor contain '=' or '['");
    if (!isPlainName(name))
        return QStringLiteral("a user name must not contain line breaks or control characters");
    return {};
}

QString setOperatorPassword(const QString& applicationFolder, const QString& user, const QString& password) {
    if (const QString refusal = operatorNameError(user); !refusal.isEmpty()) return refusal;
    const QString name = user.trimmed();
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), salt.size() / 4);
    salt = salt.toHex();
    QString error;
    ProfileFile(loginFile(applicationFolder))
        .writeString(kSection, name, QString::fromLatin1(salt + ':' + digest(salt, password)), &error);
    return error;
}

AccountChange changeOperatorPassword(const QString& applicationFolder, const QString& user,
                                     const QString& password) {
    AccountChange change;
    change.unrecorded =
        recordSettingsSave(loginFile(applicationFolder), auditTargetFor(applicationFolder),
                           [&] { change.error = setOperatorPassword(applicationFolder, user, password); });
    return change;
}

}  // namespace springtest
