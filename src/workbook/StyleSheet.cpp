#include "workbook/StyleSheet.h"

#include "workbook/XmlNodes.h"

namespace springtest {

namespace {

pugi::xml_node nth(const pugi::xml_node& list, const char* local, int index) {
    int i = 0;
    for (pugi::xml_node n = xml::child(list, local); n; n = xml::nextSibling(n, local), ++i) {
        if (i == index) return n;
    }
    return {};
}

int countOf(const pugi::xml_node& list, const char* local) {
    int i = 0;
    for (pugi::xml_node n = xml::child(list, local); n; n = xml::nextSibling(n, local)) ++i;
    return i;
}

}  // namespace

QString StyleSheet::attach(pugi::xml_document* doc) {
    const pugi::xml_node root = xml::rootElement(*doc);
    if (!xml::is(root, "styleSheet")) return QStringLiteral("the styles part is no stylesheet");
    m_fonts = xml::child(root, "fonts");
    m_cellXfs = xml::child(root, "cellXfs");
    if (!m_fonts || !xml::child(m_fonts, "font") || !m_cellXfs || !xml::child(m_cellXfs, "xf"))
        return QStringLiteral("the stylesheet has no fonts or no cell formats");
    return {};
}

int StyleSheet::withFontColor(int xf, const QString& argb) {
    const QString key = QString::number(xf) + QLatin1Char(' ') + argb;
    if (const auto it = m_made.constFind(key); it != m_made.constEnd()) return *it;
    const int formats = countOf(m_cellXfs, "xf");
    if (xf < 0 || xf >= formats) xf = 0;

    const pugi::xml_node oldXf = nth(m_cellXfs, "xf", xf);
    const int fonts = countOf(m_fonts, "font");
    int fontId = xml::intAttribute(oldXf, "fontId", 0);
    if (fontId < 0 || fontId >= fonts) fontId = 0;

    pugi::xml_node font = m_fonts.append_copy(nth(m_fonts, "font", fontId));
    xml::removeChildren(font, "color");
    // Office writes the colour after the size; keep that order, as some readers expect it.
    const std::string colorName = xml::prefixOf(font) + "color";
    const pugi::xml_node size = xml::child(font, "sz");
    pugi::xml_node color =
        size ? font.insert_child_after(colorName.c_str(), size) : font.prepend_child(colorName.c_str());
    xml::setAttribute(color, "rgb", argb);
    xml::setAttribute(m_fonts, "count", fonts + 1);

    pugi::xml_node newXf = m_cellXfs.append_copy(oldXf);
    xml::setAttribute(newXf, "fontId", fonts);
    xml::setAttribute(newXf, "applyFont", 1);
    xml::setAttribute(m_cellXfs, "count", formats + 1);
    m_made.insert(key, formats);
    return formats;
}

QByteArray StyleSheet::minimal() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
        "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
        "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
        "borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
        "xfId=\"0\"/></cellXfs>"
        "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
        "</styleSheet>");
}

}  // namespace springtest
