#include "windows/editor/LeafSchemeForm.h"

#include "storage/Schemes.h"

namespace springtest {

namespace {

QString limitOrZero(const QString& limit) {
    return limit.isEmpty() ? QStringLiteral("0") : limit;
}

}  // namespace

std::optional<QVariantMap> leafSchemeSaveValues(const LeafSchemeForm& form) {
    bool ok = false;
    const int count = form.count.trimmed().toInt(&ok);
    if (!ok || count < 1 || count > kSchemePoints || count > form.rows.size() || form.style < 0)
        return std::nullopt;
    QVariantMap values{{QStringLiteral("scheme_name"), form.name},
                       {QStringLiteral("scheme_style"), QString::number(form.style)},
                       {QStringLiteral("scheme_jh"), 2},
                       {QStringLiteral("scheme_height"), form.returnHeight},
                       {QStringLiteral("scheme_load"), form.initialForce},
                       {QStringLiteral("scheme_sum"), form.count},
                       {QStringLiteral("scheme_sdload"), form.setLoad},
                       {QStringLiteral("scheme_th_height"), form.leafThickness_mm},
                       {QStringLiteral("scheme_xc_height"), form.carriageHeight_mm},
                       {QStringLiteral("scheme_xbbj"), form.mandrelRadius_mm},
                       {QStringLiteral("scheme_yyload"), form.proofLoad},
                       {QStringLiteral("scheme_returnLOAD"), form.maxTestLoad}};
    for (int k = 1; k <= count; ++k) {
        const SchemePointText& row = form.rows[k - 1];
        values.insert(schemePointColumn(k), row.value);
        values.insert(schemePointMaxColumn(k), limitOrZero(row.upper));
        values.insert(schemePointMinColumn(k), limitOrZero(row.lower));
    }
    return values;
}

}  // namespace springtest
