#include "windows/editor/LeafSchemeForm.h"

#include "windows/editor/SchemeForm.h"

namespace springtest {

std::optional<QVariantMap> leafSchemeSaveValues(const LeafSchemeForm& form) {
    std::optional<QVariantMap> values =
        commonSchemeSaveValues(form.name, form.style, form.count, form.initialForce, form.rows);
    if (!values) return std::nullopt;
    values->insert(QStringLiteral("scheme_jh"), 2);
    values->insert(QStringLiteral("scheme_height"), form.returnHeight);
    values->insert(QStringLiteral("scheme_sdload"), form.setLoad);
    values->insert(QStringLiteral("scheme_th_height"), form.leafThickness_mm);
    values->insert(QStringLiteral("scheme_xc_height"), form.carriageHeight_mm);
    values->insert(QStringLiteral("scheme_xbbj"), form.mandrelRadius_mm);
    values->insert(QStringLiteral("scheme_yyload"), form.proofLoad);
    values->insert(QStringLiteral("scheme_returnLOAD"), form.maxTestLoad);
    return values;
}

}  // namespace springtest
