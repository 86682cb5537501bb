#pragma once

#include "storage/Schemes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace springtest {

// The options of `scheme add` on the leaf-spring machine, from the command line or a scheme file, as typed.
// The defaults are the leaf-spring editor's: a new scheme measures load against deformation (style 3).
struct LeafSchemeInput {
    QString name;
    QString style = QStringLiteral("3");
    QStringList points, upper, lower;
    QString initialForce = QStringLiteral("0.5");
    QString returnHeight = QStringLiteral("0.5");
    QString setLoad = QStringLiteral("0");
    QString leafThickness = QStringLiteral("0.5");   // mm, all leaves together
    QString carriageHeight = QStringLiteral("0.5");  // mm, centre of the carriage
    QString mandrelRadius = QStringLiteral("0.5");   // mm
    QString proofLoad = QStringLiteral("0");
    QString maxLoad = QStringLiteral("0");  // the measuring stroke goes on until the load exceeds it
};

// A number of a leaf-spring scheme: its key in a scheme file ("set_load"; the option is "--set-load") and
// where the input keeps it.
struct LeafSchemeNumber {
    QString key;
    QString LeafSchemeInput::*field;
    QString option() const;
};
const QList<LeafSchemeNumber>& leafSchemeNumbers();

// Reads a scheme file with the leaf-spring keys (name, style, points, upper, lower and the numbers above),
// as readSchemeFile reads a standard one.
bool readLeafSchemeFile(const QString& text, LeafSchemeInput& in, QString& error);

// Why an input cannot be stored as a scheme. `usage` when the command line or file is malformed (a style
// outside 0-3, no points, a number that is none); otherwise the operator's message, as the editor says it.
struct SchemeRefusal {
    bool usage = false;
    QString message;
};

// The checks of the leaf-spring editor before it saves: a name, the points in order with each upper limit at
// least its lower one (SchemeCheck), and every number one the editor's fields can hold (0 or more). Nothing
// when the input can be stored. Whether the name is taken is the caller's to ask of the database.
std::optional<SchemeRefusal> leafSchemeRefusal(const LeafSchemeInput& in);

// The row the editor's "保存" stores: two strokes, empty limits as "0". Only for an input without refusal.
LeafSpringScheme leafSchemeRecord(const LeafSchemeInput& in);

}  // namespace springtest
