#include "session/OperatorLogin.h"

#include "platform/ProfileFile.h"

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

QString setOperatorPassword(const QString& applicationFolder, const QString& user, const QString& password) {
    const QString name = user.trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('=')) || name.contains(QLatin1Char('[')))
        return QStringLiteral("a user name must not be empty nor contain '=' or '['");
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), salt.size() / 4);
    salt = salt.toHex();
    ProfileFile file(loginFile(applicationFolder));
    if (!file.writeString(kSection, name, QString::fromLatin1(salt + ':' + digest(salt, password))))
        return QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(loginFile(applicationFolder)));
    return {};
}

}  // namespace springtest
