#pragma once

#include <QHash>
#include <QString>
#include <pugixml.hpp>

namespace springtest {

// The workbook's styles part, grown by the formats that font colours need. Existing fonts and formats are
// never changed: a coloured cell gets a new format that copies its old one with a new font.
class StyleSheet {
public:
    // An error when the part lacks what cell formats are made of.
    QString attach(pugi::xml_document* doc);
    // The index of a cell format like `xf` but with the font colour `argb` ("FFFF0000").
    int withFontColor(int xf, const QString& argb);

    // A stylesheet for a workbook that has none.
    static QByteArray minimal();

private:
    pugi::xml_node m_fonts;
    pugi::xml_node m_cellXfs;
    QHash<QString, int> m_made;  // "xf argb" → new index
};

}  // namespace springtest
