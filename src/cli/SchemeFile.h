#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace springtest {

// The options of `scheme add`, from the command line or from a scheme file, as typed.
struct SchemeInput {
    QString name, style = QStringLiteral("0"), initialForce = QStringLiteral("0.5");
    QStringList points, upper, lower;
    QString stiffnessMax = QStringLiteral("0"), stiffnessMin = QStringLiteral("0");
    bool returnStroke = false, solid = false, tension = false;
    QString kind;  // the lateral machine's "axial" or "lateral", as typed; empty when not given
};

// Reads the text of a scheme file into `in`: one [scheme] section of "key = value" lines (keys without regard
// to case). ';' and '#' start a comment at the start of a line or after a blank, so "style = 0 ; 位移-负荷"
// is style 0 while "name = A#1" keeps its '#'; a value in double quotes is taken as it stands. Keys the file
// leaves out keep the values `in` has. False, with `error` naming the line and what is wrong with it, for an
// unknown key or section, a key given twice, a line that is no "key = value", or a switch that is not 1/0.
bool readSchemeFile(const QString& text, SchemeInput& in, QString& error);

// The reading under readSchemeFile, for any scheme kind: `keys` are the lower-case keys the section may hold,
// and `set` takes each one's value (false, with `problem` set, when the value cannot be that key's).
using SchemeValueSetter = std::function<bool(const QString& key, const QString& value, QString& problem)>;
bool readSchemeSection(const QString& text, const QStringList& keys, const SchemeValueSetter& set,
                       QString& error);

// A comma-separated list as typed, each item trimmed; empty for a blank text.
QStringList schemeList(const QString& text);

}  // namespace springtest
