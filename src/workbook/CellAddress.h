#pragma once

#include <QString>
#include <optional>

namespace springtest {

// A spreadsheet's limits (rows and columns counted from 1).
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetColumns = 16384;

struct CellPosition {
    int row = 0;
    int column = 0;
    friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

struct CellRange {
    CellPosition first;
    CellPosition last;
    bool contains(CellPosition p) const {
        return p.row >= first.row && p.row <= last.row && p.column >= first.column && p.column <= last.column;
    }
    bool isSingleCell() const { return first == last; }
};

// 1 → "A", 27 → "AA"; empty outside 1 … 16384.
QString columnLetters(int column);
// (3, 2) → "B3".
QString cellReference(int row, int column);
// "B3" or "$B$3" (case-insensitive) → (3, 2); nothing when it is no cell of a sheet.
std::optional<CellPosition> parseCellReference(const QString& text);
// "A9", "B3:H20" or "$B$3:$H$20"; the corners are ordered, so "H20:B3" is the same range as "B3:H20".
std::optional<CellRange> parseRangeAddress(const QString& text);

// The formula as it reads in a cell `rows` below and `columns` right of the cell it was written for: relative
// references move, `$` parts stay, and a reference moved off the sheet becomes #REF!. Strings, quoted sheet
// names, structured references and function names are left as they are.
QString shiftFormula(const QString& formula, int rows, int columns);

}  // namespace springtest
