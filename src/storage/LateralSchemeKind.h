#pragma once

#include <QString>

#include <optional>

namespace springtest {

// The two kinds of scheme on the lateral-stiffness machine. They share the standard scheme table:
// `scheme_type` true is an axial scheme ("轴向"), false a lateral one ("横向").
enum class LateralSchemeKind { Axial, Lateral };

// "轴向" or "横向", as the editor and the listings name the kind.
QString lateralKindCaption(LateralSchemeKind kind);
// The kind typed on the command line or in a scheme file: "axial" or "lateral" (any case), or the captions.
std::optional<LateralSchemeKind> lateralKindFromText(const QString& text);

// What a kind stores: an axial test measures its forward stroke only, a lateral test pushes the spring both
// ways and is measured in both strokes.
bool lateralKindSchemeType(LateralSchemeKind kind);
int lateralKindStrokes(LateralSchemeKind kind);
LateralSchemeKind lateralKindOfSchemeType(bool schemeType);

// Whether a scheme of `style` may be of `kind`. A lateral push is given and measured in deformations and
// loads only (styles 1 and 3); the styles that give or measure the drive's position (0 and 2) are for axial
// schemes. The editor and the command line both ask here, so neither stores what the other refuses.
bool lateralKindAllowsStyle(LateralSchemeKind kind, int style);
// Why a lateral scheme cannot have a displacement style, in the operator's words.
QString lateralStyleRefusal();

}  // namespace springtest
