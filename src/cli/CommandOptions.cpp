#include "cli/CommandOptions.h"

namespace springtest {

CommandOptions::CommandOptions(const QStringList& args, const QStringList& valued, const QStringList& flags) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            m_error = QStringLiteral("unexpected argument: %1").arg(a);
            return;
        }
        const QString name = a.mid(2);
        if (flags.contains(name)) {
            m_flags.insert(name);
        } else if (valued.contains(name)) {
            if (i + 1 >= args.size()) {
                m_error = QStringLiteral("--%1 needs a value").arg(name);
                return;
            }
            m_values.insert(name, args[++i]);
        } else {
            m_error = QStringLiteral("unknown option: %1").arg(a);
            return;
        }
    }
}

std::optional<double> CommandOptions::number(const QString& name, double min, double max) {
    if (!m_values.contains(name)) return std::nullopt;
    bool ok = false;
    const double v = m_values.value(name).toDouble(&ok);
    if (!ok || v < min || v > max) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("--%1 must be a number from %2 to %3").arg(name).arg(min).arg(max);
        return std::nullopt;
    }
    return v;
}

std::optional<int> CommandOptions::integer(const QString& name, int min, int max) {
    if (!m_values.contains(name)) return std::nullopt;
    bool ok = false;
    const int v = m_values.value(name).toInt(&ok);
    if (!ok || v < min || v > max) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("--%1 must be a whole number from %2 to %3").arg(name).arg(min).arg(max);
        return std::nullopt;
    }
    return v;
}

}  // namespace springtest
