#include "cli/LeafSchemeInput.h"

#include "cli/SchemeFile.h"
#include "platform/OperatorTexts.h"
#include "session/PlainName.h"
#include "storage/SchemeCheck.h"

#include <cmath>

namespace springtest {

namespace {

const QStringList& listKeys() {
    static const QStringList keys{QStringLiteral("points"), QStringLiteral("upper"), QStringLiteral("lower")};
    return keys;
}

QStringList* listOf(const QString& key, LeafSchemeInput& in) {
    if (key == QLatin1String("points")) return &in.points;
    if (key == QLatin1String("upper")) return &in.upper;
    if (key == QLatin1String("lower")) return &in.lower;
    return nullptr;
}

// What the editor's number fields can hold: digits and one decimal point, so no sign and no exponent.
bool isFieldNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0;
}

QString storedLimit(const QString& limit) {
    return limit.isEmpty() ? QStringLiteral("0") : limit;
}

}  // namespace

QString LeafSchemeNumber::option() const {
    return QStringLiteral("--") + QString(key).replace(QLatin1Char('_'), QLatin1Char('-'));
}

const QList<LeafSchemeNumber>& leafSchemeNumbers() {
    static const QList<LeafSchemeNumber> numbers{
        {QStringLiteral("initial_force"), &LeafSchemeInput::initialForce},
        {QStringLiteral("return_height"), &LeafSchemeInput::returnHeight},
        {QStringLiteral("set_load"), &LeafSchemeInput::setLoad},
        {QStringLiteral("leaf_thickness"), &LeafSchemeInput::leafThickness},
        {QStringLiteral("carriage_height"), &LeafSchemeInput::carriageHeight},
        {QStringLiteral("mandrel_radius"), &LeafSchemeInput::mandrelRadius},
        {QStringLiteral("proof_load"), &LeafSchemeInput::proofLoad},
        {QStringLiteral("max_load"), &LeafSchemeInput::maxLoad},
    };
    return numbers;
}

bool readLeafSchemeFile(const QString& text, LeafSchemeInput& in, QString& error) {
    QStringList keys{QStringLiteral("name"), QStringLiteral("style")};
    keys += listKeys();
    for (const LeafSchemeNumber& n : leafSchemeNumbers()) keys << n.key;
    const auto set = [&in](const QString& key, const QString& value, QString&) {
        if (key == QLatin1String("name")) {
            in.name = value;
        } else if (key == QLatin1String("style")) {
            in.style = value;
        } else if (QStringList* list = listOf(key, in)) {
            *list = schemeList(value);
        } else {
            for (const LeafSchemeNumber& n : leafSchemeNumbers())
                if (n.key == key) in.*n.field = value;
        }
        return true;
    };
    return readSchemeSection(text, keys, set, error);
}

std::optional<SchemeRefusal> leafSchemeRefusal(const LeafSchemeInput& in) {
    const auto usage = [](const QString& message) { return SchemeRefusal{true, message}; };
    const auto refusal = [](const QString& message) { return SchemeRefusal{false, message}; };
    if (in.name.trimmed().isEmpty()) return refusal(kNoSchemeName);
    if (!isPlainName(in.name))
        return refusal(QStringLiteral("a scheme name must not contain line breaks or control characters"));
    if (!QStringList{"0", "1", "2", "3"}.contains(in.style))
        return usage(
            QStringLiteral("--style must be 0 (位移-负荷), 1 (变形-负荷), 2 (负荷-位移) or 3 (负荷-变形)"));
    if (in.points.isEmpty() || in.points.size() > kSchemePoints)
        return usage(QStringLiteral("give 1 to 10 points"));
    if (in.upper.size() > in.points.size() || in.lower.size() > in.points.size())
        return usage(QStringLiteral("more limits than points"));
    for (const LeafSchemeNumber& n : leafSchemeNumbers()) {
        const QString& text = in.*n.field;
        if (!isFieldNumber(text))
            return usage(QStringLiteral("%1 (%2) must be a number of 0 or more, not '%3'")
                             .arg(n.option(), n.key, text));
    }
    QList<SchemePointText> rows;
    for (int k = 0; k < in.points.size(); ++k)
        rows.append({in.points[k], in.upper.value(k), in.lower.value(k)});
    // A leaf spring has no spring kind: its points are checked as a compression spring's.
    const SchemeCheckResult check =
        checkSchemePoints(in.style, QString::number(in.points.size()), true, rows);
    if (!check.ok) return refusal(check.message);
    return std::nullopt;
}

LeafSpringScheme leafSchemeRecord(const LeafSchemeInput& in) {
    LeafSpringScheme s;
    s.scheme_name = in.name;
    s.scheme_style = in.style;
    s.scheme_jh = 2;
    s.scheme_height = in.returnHeight.trimmed();
    s.scheme_load = in.initialForce.trimmed();
    s.scheme_sum = QString::number(in.points.size());
    for (int k = 0; k < in.points.size(); ++k)
        s.points[static_cast<size_t>(k)] = {in.points[k], storedLimit(in.upper.value(k)),
                                            storedLimit(in.lower.value(k))};
    s.scheme_sdload = in.setLoad.trimmed();
    s.scheme_th_height = in.leafThickness.trimmed();
    s.scheme_xc_height = in.carriageHeight.trimmed();
    s.scheme_xbbj = in.mandrelRadius.trimmed();
    s.scheme_yyload = in.proofLoad.trimmed();
    s.scheme_returnLOAD = in.maxLoad.trimmed();
    return s;
}

}  // namespace springtest
