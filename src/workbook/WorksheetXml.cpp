#include "workbook/WorksheetXml.h"

#include <algorithm>

#include "workbook/XmlNodes.h"

namespace springtest {

namespace {

// The order of a worksheet's children that Office insists on.
const std::initializer_list<const char*> kWorksheetOrder = {"sheetPr",
                                                            "dimension",
                                                            "sheetViews",
                                                            "sheetFormatPr",
                                                            "cols",
                                                            "sheetData",
                                                            "sheetCalcPr",
                                                            "sheetProtection",
                                                            "protectedRanges",
                                                            "scenarios",
                                                            "autoFilter",
                                                            "sortState",
                                                            "dataConsolidate",
                                                            "customSheetViews",
                                                            "mergeCells",
                                                            "phoneticPr",
                                                            "conditionalFormatting",
                                                            "dataValidations",
                                                            "hyperlinks",
                                                            "printOptions",
                                                            "pageMargins",
                                                            "pageSetup",
                                                            "headerFooter",
                                                            "rowBreaks",
                                                            "colBreaks",
                                                            "customProperties",
                                                            "cellWatches",
                                                            "ignoredErrors",
                                                            "smartTags",
                                                            "drawing",
                                                            "legacyDrawing",
                                                            "legacyDrawingHF",
                                                            "drawingHF",
                                                            "picture",
                                                            "oleObjects",
                                                            "controls",
                                                            "webPublishItems",
                                                            "tableParts",
                                                            "extLst"};

bool isTrue(const pugi::xml_attribute& a) {
    const QString v = xml::text(a);
    return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

CellRange unite(const std::optional<CellRange>& a, const CellRange& b) {
    if (!a) return b;
    return {{std::min(a->first.row, b.first.row), std::min(a->first.column, b.first.column)},
            {std::max(a->last.row, b.last.row), std::max(a->last.column, b.last.column)}};
}

}  // namespace

QString WorksheetXml::attach(pugi::xml_document* doc) {
    m_root = xml::rootElement(*doc);
    if (!xml::is(m_root, "worksheet")) return QStringLiteral("the part is no worksheet");
    m_sheetData = xml::child(m_root, "sheetData");
    if (!m_sheetData) m_sheetData = xml::insertInOrder(m_root, "sheetData", kWorksheetOrder);
    index();
    return {};
}

void WorksheetXml::index() {
    m_rows.clear();
    m_columnStyles.clear();
    m_shared.clear();
    m_blocks.clear();
    for (pugi::xml_node cols = xml::child(m_root, "cols"); cols; cols = xml::nextSibling(cols, "cols")) {
        for (pugi::xml_node col = xml::child(cols, "col"); col; col = xml::nextSibling(col, "col")) {
            if (col.attribute("style"))
                m_columnStyles.push_back({xml::intAttribute(col, "min", 0), xml::intAttribute(col, "max", 0),
                                          xml::intAttribute(col, "style", 0)});
        }
    }
    int lastRow = 0;
    for (pugi::xml_node row = xml::child(m_sheetData, "row"); row; row = xml::nextSibling(row, "row")) {
        // Rows and cells may leave their number out when it follows the previous one; give them one, so that
        // what is inserted later sits at the right place.
        int r = xml::intAttribute(row, "r", 0);
        if (r < 1 || r > kMaxSheetRows) {
            r = lastRow + 1;
            xml::setAttribute(row, "r", r);
        }
        lastRow = r;
        if (m_rows.contains(r)) continue;
        Row& entry = m_rows[r];
        entry.node = row;
        int lastColumn = 0;
        for (pugi::xml_node c = xml::child(row, "c"); c; c = xml::nextSibling(c, "c")) {
            const auto at = parseCellReference(xml::text(c.attribute("r")));
            const int column = at ? at->column : lastColumn + 1;
            if (!at || at->row != r) xml::setAttribute(c, "r", cellReference(r, column));
            lastColumn = column;
            if (entry.cells.contains(column)) continue;
            entry.cells[column] = c;
            const pugi::xml_node f = xml::child(c, "f");
            if (!f) continue;
            const QString type = xml::text(f.attribute("t"));
            const CellPosition pos{r, column};
            if (type == QLatin1String("shared")) {
                SharedFormula& group = m_shared[xml::text(f.attribute("si"))];
                group.members.emplace_back(pos, c);
                if (f.attribute("ref") && !xml::text(f).isEmpty()) {
                    group.master = c;
                    group.masterAt = pos;
                }
            } else if (type == QLatin1String("array") || type == QLatin1String("dataTable")) {
                const auto range = parseRangeAddress(xml::text(f.attribute("ref")));
                if (range && !range->isSingleCell()) m_blocks.push_back({*range, pos});
            }
        }
    }
}

pugi::xml_node WorksheetXml::findCell(CellPosition at) const {
    const auto row = m_rows.find(at.row);
    if (row == m_rows.end()) return {};
    const auto c = row->second.cells.find(at.column);
    return c == row->second.cells.end() ? pugi::xml_node() : c->second;
}

pugi::xml_node WorksheetXml::cell(CellPosition at) {
    auto row = m_rows.find(at.row);
    if (row == m_rows.end()) {
        const auto next = m_rows.upper_bound(at.row);
        const std::string name = xml::prefixOf(m_sheetData) + "row";
        Row entry;
        entry.node = next == m_rows.end() ? m_sheetData.append_child(name.c_str())
                                          : m_sheetData.insert_child_before(name.c_str(), next->second.node);
        xml::setAttribute(entry.node, "r", at.row);
        row = m_rows.emplace(at.row, entry).first;
    }
    Row& r = row->second;
    if (const auto c = r.cells.find(at.column); c != r.cells.end()) return c->second;

    const auto next = r.cells.upper_bound(at.column);
    const std::string name = xml::prefixOf(r.node) + "c";
    pugi::xml_node c = next == r.cells.end() ? r.node.append_child(name.c_str())
                                             : r.node.insert_child_before(name.c_str(), next->second);
    xml::setAttribute(c, "r", cellReference(at.row, at.column));
    int xf = 0;
    if (isTrue(r.node.attribute("customFormat"))) {
        xf = xml::intAttribute(r.node, "s", 0);
    } else {
        for (const ColumnStyle& s : m_columnStyles) {
            if (at.column >= s.first && at.column <= s.last) xf = s.xf;
        }
    }
    if (xf > 0) xml::setAttribute(c, "s", xf);
    // The row's span hint would no longer cover the cell; it is only a hint, so drop it.
    r.node.remove_attribute("spans");
    r.cells.emplace(at.column, c);
    return c;
}

QString WorksheetXml::checkWritable(CellPosition at) const {
    for (const BlockFormula& b : m_blocks) {
        if (b.range.contains(at))
            return QStringLiteral("cell %1 is part of the formula over %2:%3")
                .arg(cellReference(at.row, at.column), cellReference(b.range.first.row, b.range.first.column),
                     cellReference(b.range.last.row, b.range.last.column));
    }
    return {};
}

void WorksheetXml::unshare(const QString& si) {
    const auto group = m_shared.find(si);
    if (group == m_shared.end()) return;
    if (group->second.master) {
        const QString formula = xml::text(xml::child(group->second.master, "f"));
        const CellPosition origin = group->second.masterAt;
        for (const auto& [pos, c] : group->second.members) {
            pugi::xml_node f = xml::child(c, "f");
            if (!f) continue;
            f.remove_attribute("t");
            f.remove_attribute("ref");
            f.remove_attribute("si");
            f.text().set(
                shiftFormula(formula, pos.row - origin.row, pos.column - origin.column).toUtf8().constData());
        }
    }
    m_shared.erase(group);
}

void WorksheetXml::setValue(CellPosition at, std::optional<int> sharedString) {
    pugi::xml_node c = cell(at);
    if (const pugi::xml_node f = xml::child(c, "f");
        f && xml::text(f.attribute("t")) == QLatin1String("shared"))
        unshare(xml::text(f.attribute("si")));
    xml::removeChildren(c, "f");
    xml::removeChildren(c, "v");
    xml::removeChildren(c, "is");
    c.remove_attribute("t");
    // Cell metadata and value metadata describe the value being replaced.
    c.remove_attribute("cm");
    c.remove_attribute("vm");
    if (sharedString) {
        xml::setAttribute(c, "t", QStringLiteral("s"));
        const pugi::xml_node extensions = xml::child(c, "extLst");
        pugi::xml_node v = extensions ? c.insert_child_before((xml::prefixOf(c) + "v").c_str(), extensions)
                                      : xml::appendElement(c, "v");
        v.text().set(*sharedString);
    }
    noteWritten(at);
}

void WorksheetXml::setNumber(CellPosition at, const QString& text) {
    setValue(at, std::nullopt);
    pugi::xml_node c = cell(at);
    const pugi::xml_node extensions = xml::child(c, "extLst");
    pugi::xml_node v = extensions ? c.insert_child_before((xml::prefixOf(c) + "v").c_str(), extensions)
                                  : xml::appendElement(c, "v");
    v.text().set(text.toUtf8().constData());
}

std::vector<std::pair<CellPosition, QString>> WorksheetXml::formulas() const {
    std::vector<std::pair<CellPosition, QString>> out;
    for (const auto& [r, row] : m_rows) {
        for (const auto& [column, c] : row.cells) {
            const pugi::xml_node f = xml::child(c, "f");
            if (!f) continue;
            QString text = xml::text(f);
            if (text.isEmpty() && xml::text(f.attribute("t")) == QLatin1String("shared")) {
                const auto it = m_shared.find(xml::text(f.attribute("si")));
                if (it != m_shared.end()) text = xml::text(it->second.master);
            }
            out.push_back({{r, column}, text});
        }
    }
    return out;
}

int WorksheetXml::style(const pugi::xml_node& cell) const {
    return std::max(0, xml::intAttribute(cell, "s", 0));
}

void WorksheetXml::setStyle(pugi::xml_node cell, int xf) {
    if (xf == 0 && !cell.attribute("s")) return;
    // `s` goes right after `r`, where Office writes it.
    if (!cell.attribute("s")) cell.insert_attribute_after("s", cell.attribute("r"));
    xml::setAttribute(cell, "s", xf);
    if (const auto at = parseCellReference(xml::text(cell.attribute("r")))) noteWritten(*at);
}

void WorksheetXml::noteWritten(CellPosition at) {
    m_written = unite(m_written, CellRange{at, at});
}

void WorksheetXml::finish() {
    if (!m_written) return;
    pugi::xml_node dimension = xml::child(m_root, "dimension");
    if (!dimension) return;
    const auto range = parseRangeAddress(xml::text(dimension.attribute("ref")));
    const CellRange used = range ? unite(m_written, *range) : *m_written;
    QString ref = cellReference(used.first.row, used.first.column);
    if (!used.isSingleCell()) ref += QLatin1Char(':') + cellReference(used.last.row, used.last.column);
    xml::setAttribute(dimension, "ref", ref);
}

QString WorksheetXml::drawingId() const {
    return xml::text(xml::relationshipAttribute(xml::child(m_root, "drawing"), "id"));
}

void WorksheetXml::setDrawingId(const QString& id) {
    pugi::xml_node drawing = xml::child(m_root, "drawing");
    if (!drawing) drawing = xml::insertInOrder(m_root, "drawing", kWorksheetOrder);
    xml::setRelationshipAttribute(drawing, "id", id);
}

bool WorksheetXml::dropFormulaResults(pugi::xml_document& doc) {
    bool dropped = false;
    const pugi::xml_node sheetData = xml::child(xml::rootElement(doc), "sheetData");
    for (pugi::xml_node row = xml::child(sheetData, "row"); row; row = xml::nextSibling(row, "row")) {
        for (pugi::xml_node c = xml::child(row, "c"); c; c = xml::nextSibling(c, "c")) {
            if (!xml::child(c, "f")) continue;
            if (xml::child(c, "v") || c.attribute("t")) dropped = true;
            xml::removeChildren(c, "v");
            // The type describes the stored result.
            c.remove_attribute("t");
        }
    }
    return dropped;
}

bool WorksheetXml::setTabSelected(pugi::xml_document& doc, bool selected) {
    pugi::xml_node view = xml::child(xml::child(xml::rootElement(doc), "sheetViews"), "sheetView");
    if (!view) return false;
    pugi::xml_attribute a = view.attribute("tabSelected");
    if (selected == (a && isTrue(a))) return false;
    if (selected) {
        xml::setAttribute(view, "tabSelected", 1);
    } else {
        view.remove_attribute(a);
    }
    return true;
}

}  // namespace springtest
