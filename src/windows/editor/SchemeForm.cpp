#include "windows/editor/SchemeForm.h"

namespace springtest {

namespace {

QString limitOrZero(const QString& limit) {
    return limit.isEmpty() ? QStringLiteral("0") : limit;
}

}  // namespace

std::optional<QVariantMap> commonSchemeSaveValues(const QString& name, int style, const QString& count,
                                                  const QString& initialForce,
                                                  const QList<SchemePointText>& rows) {
    bool ok = false;
    const int points = count.trimmed().toInt(&ok);
    if (!ok || points < 1 || points > kSchemePoints || points > rows.size() || style < 0) return std::nullopt;
    QVariantMap values{{QStringLiteral("scheme_name"), name},
                       {QStringLiteral("scheme_style"), QString::number(style)},
                       {QStringLiteral("scheme_load"), initialForce},
                       {QStringLiteral("scheme_sum"), count}};
    for (int k = 1; k <= points; ++k) {
        const SchemePointText& row = rows[k - 1];
        values.insert(schemePointColumn(k), row.value);
        values.insert(schemePointMaxColumn(k), limitOrZero(row.upper));
        values.insert(schemePointMinColumn(k), limitOrZero(row.lower));
    }
    return values;
}

std::optional<QVariantMap> schemeSaveValues(const SchemeForm& form) {
    std::optional<QVariantMap> values =
        commonSchemeSaveValues(form.name, form.style, form.count, form.initialForce, form.rows);
    if (!values) return std::nullopt;
    values->insert(QStringLiteral("scheme_jh"), form.returnStroke ? 2 : 1);
    values->insert(QStringLiteral("scheme_gangdu_max"), form.stiffnessMax);
    values->insert(QStringLiteral("scheme_gangdu_min"), form.stiffnessMin);
    values->insert(QStringLiteral("scheme_type"), form.compression);
    values->insert(QStringLiteral("scheme_yb"), form.solidHeight);
    return values;
}

}  // namespace springtest
