#include "storage/LateralSchemeKind.h"

namespace springtest {

namespace {

const QString kAxialCaption = QStringLiteral("轴向");
const QString kLateralCaption = QStringLiteral("横向");

constexpr int kStyleDeformationLoad = 1;  // "变形-负荷"
constexpr int kStyleLoadDeformation = 3;  // "负荷-变形"

}  // namespace

QString lateralKindCaption(LateralSchemeKind kind) {
    return kind == LateralSchemeKind::Axial ? kAxialCaption : kLateralCaption;
}

std::optional<LateralSchemeKind> lateralKindFromText(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("axial"), Qt::CaseInsensitive) == 0 || t == kAxialCaption)
        return LateralSchemeKind::Axial;
    if (t.compare(QLatin1String("lateral"), Qt::CaseInsensitive) == 0 || t == kLateralCaption)
        return LateralSchemeKind::Lateral;
    return std::nullopt;
}

bool lateralKindSchemeType(LateralSchemeKind kind) {
    return kind == LateralSchemeKind::Axial;
}

int lateralKindStrokes(LateralSchemeKind kind) {
    return kind == LateralSchemeKind::Axial ? 1 : 2;
}

LateralSchemeKind lateralKindOfSchemeType(bool schemeType) {
    return schemeType ? LateralSchemeKind::Axial : LateralSchemeKind::Lateral;
}

bool lateralKindAllowsStyle(LateralSchemeKind kind, int style) {
    return kind == LateralSchemeKind::Axial || style == kStyleDeformationLoad ||
           style == kStyleLoadDeformation;
}

QString lateralStyleRefusal() {
    return QStringLiteral("横向试验的试验类型只能是变形-负荷或负荷-变形!!");
}

}  // namespace springtest
