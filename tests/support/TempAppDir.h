#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace springtest::testing {

// A throw-away application folder for one test.
class TempAppDir {
public:
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(file(name));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace springtest::testing
