#pragma once

#include "storage/SchemeCheck.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace springtest {

// The leaf-spring scheme as its editor holds it, every number as typed.
struct LeafSchemeForm {
    QString name;
    int style = 3;  // index of the (hidden) scheme-style box
    QString count;  // the point count as typed
    QString initialForce;
    QString returnHeight;
    QString setLoad;
    QString leafThickness_mm;
    QString carriageHeight_mm;
    QString mandrelRadius_mm;
    QString proofLoad;
    QString maxTestLoad;
    QList<SchemePointText> rows;  // rows 1 … of the point table
};

// The columns a save writes. A leaf spring is always measured on the way down and back up, so the stroke
// count is 2 whatever the form says. Limits left empty are stored as "0"; points past the count are not
// written. Nothing when the form cannot be stored: no scheme style, or a point count that is not a number
// from 1 to 10 with a row for every point.
std::optional<QVariantMap> leafSchemeSaveValues(const LeafSchemeForm& form);

}  // namespace springtest
