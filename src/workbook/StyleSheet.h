#pragma once

#include <QHash>
#include <QString>
#include <pugixml.hpp>

namespace springtest {

// The workbook's styles part, grown by the formats that font colours and number formats need. Existing fonts
// and formats are never changed: a coloured cell gets a new format that copies its old one with a new font.
class StyleSheet {
public:
    // An error when the part lacks what cell formats are made of.
    QString attach(pugi::xml_document* doc);
    // The index of a cell format like `xf` but with the font colour `argb` ("FFFF0000").
    int withFontColor(int xf, const QString& argb);
    // The index of a cell format like `xf` but showing numbers in `formatCode` ("0.00", "yyyy-mm-dd").
    int withNumberFormat(int xf, const QString& formatCode);
    // The number format code of a cell format: a custom one's code, a built-in one's as Office defines it
    // for the few the exports use; empty for General and every other.
    QString numberFormatOf(int xf) const;

    // A stylesheet for a workbook that has none.
    static QByteArray minimal();

private:
    int numberFormatId(const QString& formatCode);

    pugi::xml_node m_root;
    pugi::xml_node m_fonts;
    pugi::xml_node m_cellXfs;
    QHash<QString, int> m_made;  // "xf argb" → new index
};

}  // namespace springtest
