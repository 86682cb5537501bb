#pragma once

#include "storage/SchemeCheck.h"
#include "storage/Schemes.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace springtest {

// The scheme as the editor's window holds it, every number as typed.
struct SchemeForm {
    QString name;
    int style = -1;  // index of the scheme-style box, -1 when none is chosen
    bool returnStroke = false;
    QString count;  // the point count as typed
    QString initialForce;
    QString stiffnessMax;
    QString stiffnessMin;
    bool compression = true;
    bool solidHeight = false;
    QList<SchemePointText> rows;  // rows 1 … of the point table
};

// The columns every machine's scheme writes alike: name, style, initial force, the count, and for points 1 to
// the count the value and each limit, a limit left empty stored as "0". The points past the count are not
// written, so a changed scheme keeps what they held. Nothing when the form cannot be stored: no scheme style,
// or a point count that is not a number from 1 to 10 with a row for every point.
std::optional<QVariantMap> commonSchemeSaveValues(const QString& name, int style, const QString& count,
                                                  const QString& initialForce,
                                                  const QList<SchemePointText>& rows);

// The columns a save writes: every field of the form, and for points 1 to the count the value and each
// limit, a limit left empty stored as "0". The points past the count are not written, so a changed scheme
// keeps what they held. Nothing when the form cannot be stored: no scheme style, or a point count that is
// not a number from 1 to 10 with a row for every point.
std::optional<QVariantMap> schemeSaveValues(const SchemeForm& form);

}  // namespace springtest
