#include "windows/editor/SchemeForm.h"

namespace springtest {

namespace {

QString limitOrZero(const QString& limit) {
    return limit.isEmpty() ? QStringLiteral("0") : limit;
}

}  // namespace

std::optional<QVariantMap> schemeSaveValues(const SchemeForm& form) {
    bool ok = false;
    const int count = form.count.trimmed().toInt(&ok);
    if (!ok || count < 1 || count > kSchemePoints || count > form.rows.size() || form.style < 0)
        return std::nullopt;
    QVariantMap values{{QStringLiteral("scheme_name"), form.name},
                       {QStringLiteral("scheme_style"), QString::number(form.style)},
                       {QStringLiteral("scheme_jh"), form.returnStroke ? 2 : 1},
                       {QStringLiteral("scheme_load"), form.initialForce},
                       {QStringLiteral("scheme_sum"), form.count},
                       {QStringLiteral("scheme_gangdu_max"), form.stiffnessMax},
                       {QStringLiteral("scheme_gangdu_min"), form.stiffnessMin},
                       {QStringLiteral("scheme_type"), form.compression},
                       {QStringLiteral("scheme_yb"), form.solidHeight}};
    for (int k = 1; k <= count; ++k) {
        const SchemePointText& row = form.rows[k - 1];
        values.insert(schemePointColumn(k), row.value);
        values.insert(schemePointMaxColumn(k), limitOrZero(row.upper));
        values.insert(schemePointMinColumn(k), limitOrZero(row.lower));
    }
    return values;
}

}  // namespace springtest
