#pragma once

#include <QColor>
#include <QList>
#include <QString>

namespace springtest {

// The looks the operator can give the whole console: a Qt style, the palette's window and button colours,
// and a style sheet over them. The first is the console's look at start-up; the choice is not kept.
struct Skin {
    QString name;       // as the skin choice lists it
    QString styleName;  // a Qt style; Fusion where this one is not installed
    QColor window;
    QColor buttonFace;  // also the curve window's chart background
    QColor text;
    QString styleSheet;
    // The main window's strip runs from one to the other, top to bottom.
    QColor stripTop;
    QColor stripBottom;
};

const QList<Skin>& skins();

// Makes skin `index` the application's look; an index outside the table changes nothing and returns false.
bool applySkin(int index);

// The main window's own sheet for its strip of menu buttons in `skin`. Only the strip's direct buttons are
// styled: the operator windows are its children, and a wide padding on their tool buttons would push the
// curve window's tools off its tool bar.
QString stripStyleSheet(const Skin& skin);

}  // namespace springtest
