#include "cli/SchemeFileText.h"

#include "cli/LeafSchemeInput.h"
#include "storage/LateralSchemeKind.h"

#include <QStringList>

#include <array>

namespace springtest {

namespace {

const std::array<QString, 4> kStyleNames{QStringLiteral("位移-负荷"), QStringLiteral("变形-负荷"),
                                         QStringLiteral("负荷-位移"), QStringLiteral("负荷-变形")};

// Whether the file's reader would take part of `value` for a comment or cut its blanks.
bool needsQuotes(const QString& value) {
    if (value != value.trimmed() || value.startsWith(QLatin1Char('"'))) return true;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if ((c == QLatin1Char(';') || c == QLatin1Char('#')) && (i == 0 || value[i - 1].isSpace()))
            return true;
    }
    return false;
}

// The lines of one [scheme] section; the first text that cannot be written stops it.
class SchemeSection {
public:
    SchemeSection() : m_text(QStringLiteral("[scheme]\n")) {}

    void value(const QString& key, const QString& value, const QString& comment = {}) {
        if (!needsQuotes(value)) return line(key, value, comment);
        if (value.contains(QLatin1Char('"')))
            return fail(
                QStringLiteral("%1 '%2' cannot be written in a scheme file: it needs quotes and holds one")
                    .arg(key, value));
        line(key, QLatin1Char('"') + value + QLatin1Char('"'), comment);
    }
    void list(const QString& key, const QStringList& items) {
        for (const QString& item : items) {
            if (item.contains(QLatin1Char(',')) || needsQuotes(item) || item.contains(QLatin1Char('"')))
                return fail(
                    QStringLiteral("%1 '%2' cannot be written in a scheme file's list").arg(key, item));
        }
        line(key, items.join(QStringLiteral(", ")), {});
    }
    void style(const QString& style) {
        bool ok = false;
        const int index = style.trimmed().toInt(&ok);
        value(QStringLiteral("style"), style,
              ok && index >= 0 && index < int(kStyleNames.size()) ? kStyleNames[size_t(index)] : QString());
    }
    std::optional<QString> text(QString& error) const {
        if (!m_error.isEmpty()) {
            error = m_error;
            return std::nullopt;
        }
        return m_text;
    }
    void fail(const QString& error) {
        if (m_error.isEmpty()) m_error = error;
    }

private:
    void line(const QString& key, const QString& value, const QString& comment) {
        m_text += key + QStringLiteral(" = ") + value;
        if (!comment.isEmpty()) m_text += QStringLiteral(" ; ") + comment;
        m_text += QLatin1Char('\n');
    }

    QString m_text;
    QString m_error;
};

// The points up to the stored count, in the three lists of a scheme file.
void writePoints(SchemeSection& section, const QString& count,
                 const std::array<SchemePoint, kSchemePoints>& points) {
    bool ok = false;
    const int n = count.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > kSchemePoints) {
        section.fail(QStringLiteral("the stored point count '%1' is no number from 1 to %2")
                         .arg(count)
                         .arg(kSchemePoints));
        return;
    }
    QStringList values, upper, lower;
    for (int k = 0; k < n; ++k) {
        values << points[size_t(k)].value;
        upper << points[size_t(k)].max;
        lower << points[size_t(k)].min;
    }
    section.list(QStringLiteral("points"), values);
    section.list(QStringLiteral("upper"), upper);
    section.list(QStringLiteral("lower"), lower);
}

QString switchText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

std::optional<QString> standardSchemeFileText(const StandardScheme& s, bool lateralMachine, QString& error) {
    SchemeSection section;
    section.value(QStringLiteral("name"), s.scheme_name);
    if (lateralMachine) {
        const LateralSchemeKind kind = lateralKindOfSchemeType(s.scheme_type);
        section.value(QStringLiteral("kind"),
                      kind == LateralSchemeKind::Axial ? QStringLiteral("axial") : QStringLiteral("lateral"),
                      lateralKindCaption(kind));
    }
    section.style(s.scheme_style);
    writePoints(section, s.scheme_sum, s.points);
    section.value(QStringLiteral("initial_force"), s.scheme_load);
    section.value(QStringLiteral("stiffness_max"), s.scheme_gangdu_max);
    section.value(QStringLiteral("stiffness_min"), s.scheme_gangdu_min);
    if (!lateralMachine) {
        section.value(QStringLiteral("return"), switchText(s.scheme_jh == 2));
        section.value(QStringLiteral("solid"), switchText(s.scheme_yb));
        section.value(QStringLiteral("tension"), switchText(!s.scheme_type));
    }
    return section.text(error);
}

std::optional<QString> leafSchemeFileText(const LeafSpringScheme& s, QString& error) {
    LeafSchemeInput in;
    in.initialForce = s.scheme_load;
    in.returnHeight = s.scheme_height;
    in.setLoad = s.scheme_sdload;
    in.leafThickness = s.scheme_th_height;
    in.carriageHeight = s.scheme_xc_height;
    in.mandrelRadius = s.scheme_xbbj;
    in.proofLoad = s.scheme_yyload;
    in.maxLoad = s.scheme_returnLOAD;
    SchemeSection section;
    section.value(QStringLiteral("name"), s.scheme_name);
    section.style(s.scheme_style);
    writePoints(section, s.scheme_sum, s.points);
    for (const LeafSchemeNumber& n : leafSchemeNumbers()) section.value(n.key, in.*n.field);
    return section.text(error);
}

}  // namespace springtest
