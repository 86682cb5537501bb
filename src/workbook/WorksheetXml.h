#pragma once

#include <QString>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <vector>

#include "workbook/CellAddress.h"

namespace springtest {

// One worksheet part, indexed by row and column so that thousands of cell writes stay cheap. Cells keep their
// style when a value replaces what they held; a new cell takes its row's or column's style as it would when
// typed into.
class WorksheetXml {
public:
    // An error when the part is no worksheet.
    QString attach(pugi::xml_document* doc);

    pugi::xml_node findCell(CellPosition at) const;
    pugi::xml_node cell(CellPosition at);  // created when missing

    // An error when a value cannot go there: the cell is part of a formula over several cells.
    QString checkWritable(CellPosition at) const;
    // Clears the cell's value and formula and, when `sharedString` is given, makes it that shared string.
    // A formula shared with other cells is first written out in each of them, so they keep their results.
    void setValue(CellPosition at, std::optional<int> sharedString);
    // Clears the cell's value and formula as setValue does and makes it the number, written as `text`.
    void setNumber(CellPosition at, const QString& text);

    // Every cell that holds a formula, with the formula's text (a shared formula's members give their
    // master's text).
    std::vector<std::pair<CellPosition, QString>> formulas() const;

    int style(const pugi::xml_node& cell) const;
    void setStyle(pugi::xml_node cell, int xf);

    // Brings the used-range record up to date with what was written.
    void finish();

    QString drawingId() const;
    void setDrawingId(const QString& id);

    // Drops the stored results of the sheet's formulas, so that every program computes them afresh when it
    // opens the file (some keep stored results unless told otherwise by their user). True when any was
    // dropped.
    static bool dropFormulaResults(pugi::xml_document& doc);

    // Whether this sheet's tab is selected (Office keeps the active sheet's tab selected, and only that one).
    static bool setTabSelected(pugi::xml_document& doc, bool selected);

private:
    struct Row {
        pugi::xml_node node;
        std::map<int, pugi::xml_node> cells;
    };
    struct ColumnStyle {
        int first = 0, last = 0, xf = 0;
    };
    struct SharedFormula {
        pugi::xml_node master;
        CellPosition masterAt;
        std::vector<std::pair<CellPosition, pugi::xml_node>> members;
    };
    struct BlockFormula {
        CellRange range;
        CellPosition masterAt;
    };

    void index();
    void unshare(const QString& si);
    void noteWritten(CellPosition at);

    pugi::xml_node m_root;
    pugi::xml_node m_sheetData;
    std::map<int, Row> m_rows;
    std::vector<ColumnStyle> m_columnStyles;
    std::map<QString, SharedFormula> m_shared;  // by shared index
    std::vector<BlockFormula> m_blocks;         // array formulas and data tables over several cells
    std::optional<CellRange> m_written;
};

}  // namespace springtest
