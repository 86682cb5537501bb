#include "cli/CommandOptions.h"

#include <cmath>

namespace springtest {

namespace {

bool isOptionOf(const QString& arg, const QStringList& valued, const QStringList& flags) {
    if (!arg.startsWith(QLatin1String("--"))) return false;
    const QString name = arg.mid(2);
    return valued.contains(name) || flags.contains(name);
}

}  // namespace

CommandOptions::CommandOptions(const QStringList& args, const QStringList& valued, const QStringList& flags) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            m_error = QStringLiteral("unexpected argument: %1").arg(a);
            return;
        }
        const QString name = a.mid(2);
        if (has(name)) {
            m_error = QStringLiteral("--%1 is given twice").arg(name);
            return;
        }
        if (flags.contains(name)) {
            m_flags.insert(name);
        } else if (valued.contains(name)) {
            // "--batch --speed 10" forgot the batch; taking "--speed" as its value would only confuse.
            if (i + 1 >= args.size() || isOptionOf(args[i + 1], valued, flags)) {
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
    // "nan" reads as a number, yet compares neither below min nor above max.
    if (!ok || !std::isfinite(v) || v < min || v > max) {
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
