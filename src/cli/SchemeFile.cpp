#include "cli/SchemeFile.h"

#include <QSet>

#include <optional>

namespace springtest {

namespace {

const QStringList kKeys{
    QStringLiteral("name"),          QStringLiteral("style"),         QStringLiteral("points"),
    QStringLiteral("upper"),         QStringLiteral("lower"),         QStringLiteral("initial_force"),
    QStringLiteral("stiffness_max"), QStringLiteral("stiffness_min"), QStringLiteral("return"),
    QStringLiteral("solid"),         QStringLiteral("tension"),       QStringLiteral("kind")};

bool startsComment(const QString& text, qsizetype at) {
    const QChar c = text[at];
    return (c == QLatin1Char(';') || c == QLatin1Char('#')) && (at == 0 || text[at - 1].isSpace());
}

// The line without its comment, trimmed.
QString withoutComment(const QString& line) {
    for (qsizetype i = 0; i < line.size(); ++i)
        if (startsComment(line, i)) return line.left(i).trimmed();
    return line.trimmed();
}

// A value after '=': quoted, up to its closing quote (nothing but a comment may follow); else up to a
// comment.
std::optional<QString> valueOf(const QString& afterEquals) {
    const QString t = afterEquals.trimmed();
    if (!t.startsWith(QLatin1Char('"'))) return withoutComment(t);
    const qsizetype close = t.indexOf(QLatin1Char('"'), 1);
    if (close < 0 || !withoutComment(t.mid(close + 1)).isEmpty()) return std::nullopt;
    return t.mid(1, close - 1);
}

std::optional<bool> switchValue(const QString& text) {
    const QString t = text.toLower();
    if (t == QLatin1String("1") || t == QLatin1String("yes") || t == QLatin1String("true")) return true;
    if (t == QLatin1String("0") || t == QLatin1String("no") || t == QLatin1String("false")) return false;
    return std::nullopt;
}

// Stores one key's value; false with `problem` set when the value cannot be the key's.
bool assign(const QString& key, const QString& value, SchemeInput& in, QString& problem) {
    if (key == QLatin1String("name")) {
        in.name = value;
    } else if (key == QLatin1String("style")) {
        in.style = value;
    } else if (key == QLatin1String("points")) {
        in.points = schemeList(value);
    } else if (key == QLatin1String("upper")) {
        in.upper = schemeList(value);
    } else if (key == QLatin1String("lower")) {
        in.lower = schemeList(value);
    } else if (key == QLatin1String("initial_force")) {
        in.initialForce = value;
    } else if (key == QLatin1String("stiffness_max")) {
        in.stiffnessMax = value;
    } else if (key == QLatin1String("stiffness_min")) {
        in.stiffnessMin = value;
    } else if (key == QLatin1String("kind")) {
        in.kind = value;
    } else {
        const std::optional<bool> on = switchValue(value);
        if (!on) {
            problem = QStringLiteral("%1 must be 1 or 0, not '%2'").arg(key, value);
            return false;
        }
        bool& target = key == QLatin1String("return")  ? in.returnStroke
                       : key == QLatin1String("solid") ? in.solid
                                                       : in.tension;
        target = *on;
    }
    return true;
}

}  // namespace

QStringList schemeList(const QString& text) {
    if (text.trimmed().isEmpty()) return {};
    QStringList items = text.split(QLatin1Char(','));
    for (QString& s : items) s = s.trimmed();
    return items;
}

bool readSchemeFile(const QString& text, SchemeInput& in, QString& error) {
    return readSchemeSection(
        text, kKeys,
        [&in](const QString& key, const QString& value, QString& problem) {
            return assign(key, value, in, problem);
        },
        error);
}

bool readSchemeSection(const QString& text, const QStringList& keys, const SchemeValueSetter& set,
                       QString& error) {
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QStringList lines = normalised.split(QLatin1Char('\n'));
    bool inScheme = false, sawScheme = false;
    QSet<QString> given;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const auto fail = [&](const QString& problem) {
            error = QStringLiteral("line %1: %2").arg(n + 1).arg(problem);
            return false;
        };
        const QString line = withoutComment(lines[n]);
        if (line.isEmpty()) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString section = line.mid(1, line.size() - 2).trimmed();
            if (section.compare(QLatin1String("scheme"), Qt::CaseInsensitive) != 0)
                return fail(QStringLiteral("unknown section [%1]; a scheme file has one [scheme] section")
                                .arg(section));
            if (sawScheme) return fail(QStringLiteral("a second [scheme] section"));
            inScheme = sawScheme = true;
            continue;
        }
        // The '=' must come before any comment; the value is taken from the whole line, since a quoted
        // value may hold what would otherwise start a comment.
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.left(eq).trimmed().isEmpty())
            return fail(QStringLiteral("not a \"key = value\" line: %1").arg(line));
        if (!inScheme) return fail(QStringLiteral("\"%1\" comes before the [scheme] section").arg(line));
        const QString typedKey = line.left(eq).trimmed();
        const QString key = typedKey.toLower();
        if (!keys.contains(key))
            return fail(QStringLiteral("unknown key '%1' (the keys are %2)")
                            .arg(typedKey, keys.join(QStringLiteral(", "))));
        if (given.contains(key)) return fail(QStringLiteral("'%1' is given twice").arg(key));
        given.insert(key);
        const std::optional<QString> value = valueOf(lines[n].mid(lines[n].indexOf(QLatin1Char('=')) + 1));
        if (!value) return fail(QStringLiteral("the quoted value of '%1' does not end in a quote").arg(key));
        QString problem;
        if (!set(key, *value, problem)) return fail(problem);
    }
    if (!sawScheme) {
        error = QStringLiteral("no [scheme] section");
        return false;
    }
    return true;
}

}  // namespace springtest
