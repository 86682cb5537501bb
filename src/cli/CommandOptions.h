#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace springtest {

// The options of one command: "--name value" pairs and "--flag" switches, checked against what the command
// accepts so that a misspelt option is an error, not silently ignored.
class CommandOptions {
public:
    CommandOptions(const QStringList& args, const QStringList& valued, const QStringList& flags);

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    bool has(const QString& name) const { return m_values.contains(name) || m_flags.contains(name); }
    QString text(const QString& name, const QString& def = {}) const { return m_values.value(name, def); }
    // A number option; records an error when present and not a number (or outside [min, max]).
    std::optional<double> number(const QString& name, double min, double max);
    std::optional<int> integer(const QString& name, int min, int max);

private:
    QMap<QString, QString> m_values;
    QSet<QString> m_flags;
    QString m_error;
};

}  // namespace springtest
