#include "workbook/StyleSheet.h"

#include "workbook/XmlNodes.h"

#include <algorithm>

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
    m_root = root;
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

int StyleSheet::numberFormatId(const QString& formatCode) {
    // The built-in formats every program knows by number.
    if (formatCode == QLatin1String("0")) return 1;
    if (formatCode == QLatin1String("0.00")) return 2;
    pugi::xml_node list = xml::child(m_root, "numFmts");
    if (!list) {
        // numFmts comes first in a stylesheet.
        list = m_root.prepend_child((xml::prefixOf(m_root) + "numFmts").c_str());
        xml::setAttribute(list, "count", 0);
    }
    int next = 164;  // the first id of a custom format
    int count = 0;
    for (pugi::xml_node f = xml::child(list, "numFmt"); f; f = xml::nextSibling(f, "numFmt"), ++count) {
        const int id = xml::intAttribute(f, "numFmtId", 0);
        if (xml::text(f.attribute("formatCode")) == formatCode) return id;
        next = std::max(next, id + 1);
    }
    pugi::xml_node f = xml::appendElement(list, "numFmt");
    xml::setAttribute(f, "numFmtId", next);
    xml::setAttribute(f, "formatCode", formatCode);
    xml::setAttribute(list, "count", count + 1);
    return next;
}

int StyleSheet::withNumberFormat(int xf, const QString& formatCode) {
    const QString key = QString::number(xf) + QStringLiteral(" fmt ") + formatCode;
    if (const auto it = m_made.constFind(key); it != m_made.constEnd()) return *it;
    const int formats = countOf(m_cellXfs, "xf");
    if (xf < 0 || xf >= formats) xf = 0;
    const int id = numberFormatId(formatCode);
    pugi::xml_node newXf = m_cellXfs.append_copy(nth(m_cellXfs, "xf", xf));
    xml::setAttribute(newXf, "numFmtId", id);
    xml::setAttribute(newXf, "applyNumberFormat", 1);
    xml::setAttribute(m_cellXfs, "count", formats + 1);
    m_made.insert(key, formats);
    return formats;
}

QString StyleSheet::numberFormatOf(int xf) const {
    const int id = xml::intAttribute(nth(m_cellXfs, "xf", xf), "numFmtId", 0);
    if (id == 1) return QStringLiteral("0");
    if (id == 2) return QStringLiteral("0.00");
    if (id == 22) return QStringLiteral("m/d/yyyy h:mm");
    for (pugi::xml_node f = xml::child(xml::child(m_root, "numFmts"), "numFmt"); f;
         f = xml::nextSibling(f, "numFmt"))
        if (xml::intAttribute(f, "numFmtId", -1) == id) return xml::text(f.attribute("formatCode"));
    return {};
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
