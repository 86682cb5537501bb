#include "workbook/CellAddress.h"

#include <QStringList>
#include <algorithm>

namespace springtest {

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}
bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Characters that continue a name, a number or a function: a reference cannot start right after one of them
// nor end right before one.
bool continuesName(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') || c == QLatin1Char('\\');
}

struct Part {
    bool absolute = false;
    int value = 0;
    int end = 0;  // index after the part
};

// `$`? letters{1,3} starting at i.
std::optional<Part> readColumn(const QString& s, int i) {
    Part p;
    if (i < s.size() && s[i] == QLatin1Char('$')) {
        p.absolute = true;
        ++i;
    }
    int n = 0;
    int value = 0;
    while (i < s.size() && isAsciiLetter(s[i]) && n < 4) {
        value = value * 26 + (s[i].toUpper().unicode() - 'A' + 1);
        ++i;
        ++n;
    }
    if (n == 0 || n > 3 || value > kMaxSheetColumns) return std::nullopt;
    p.value = value;
    p.end = i;
    return p;
}

// `$`? digits starting at i.
std::optional<Part> readRow(const QString& s, int i) {
    Part p;
    if (i < s.size() && s[i] == QLatin1Char('$')) {
        p.absolute = true;
        ++i;
    }
    qint64 value = 0;
    int n = 0;
    while (i < s.size() && isAsciiDigit(s[i])) {
        value = value * 10 + (s[i].unicode() - '0');
        if (value > kMaxSheetRows) return std::nullopt;
        ++i;
        ++n;
    }
    if (n == 0 || value < 1) return std::nullopt;
    p.value = static_cast<int>(value);
    p.end = i;
    return p;
}

bool endsReference(const QString& s, int i) {
    return i >= s.size() || !(continuesName(s[i]) || s[i] == QLatin1Char('(') || s[i] == QLatin1Char('[') ||
                              s[i] == QLatin1Char('$'));
}

QString columnText(const Part& p, int shift, bool* lost) {
    const int v = p.absolute ? p.value : p.value + shift;
    if (v < 1 || v > kMaxSheetColumns) *lost = true;
    return (p.absolute ? QStringLiteral("$") : QString()) + columnLetters(v);
}

QString rowText(const Part& p, int shift, bool* lost) {
    const int v = p.absolute ? p.value : p.value + shift;
    if (v < 1 || v > kMaxSheetRows) *lost = true;
    return (p.absolute ? QStringLiteral("$") : QString()) + QString::number(v);
}

// A reference starting at i, shifted: a cell ("B3"), whole columns ("B:D") or whole rows ("3:5").
std::optional<std::pair<QString, int>> shiftedReference(const QString& s, int i, int rows, int columns) {
    bool lost = false;
    if (const auto col = readColumn(s, i)) {
        if (const auto row = readRow(s, col->end); row && endsReference(s, row->end)) {
            QString text = columnText(*col, columns, &lost) + rowText(*row, rows, &lost);
            return std::pair{lost ? QStringLiteral("#REF!") : text, row->end};
        }
        if (col->end < s.size() && s[col->end] == QLatin1Char(':')) {
            if (const auto col2 = readColumn(s, col->end + 1); col2 && endsReference(s, col2->end)) {
                QString text =
                    columnText(*col, columns, &lost) + QLatin1Char(':') + columnText(*col2, columns, &lost);
                return std::pair{lost ? QStringLiteral("#REF!") : text, col2->end};
            }
        }
        return std::nullopt;
    }
    if (const auto row = readRow(s, i); row && row->end < s.size() && s[row->end] == QLatin1Char(':')) {
        if (const auto row2 = readRow(s, row->end + 1); row2 && endsReference(s, row2->end)) {
            QString text = rowText(*row, rows, &lost) + QLatin1Char(':') + rowText(*row2, rows, &lost);
            return std::pair{lost ? QStringLiteral("#REF!") : text, row2->end};
        }
    }
    return std::nullopt;
}

// Index after a run delimited by `quote` starting at i, where a doubled quote stands for itself.
int skipQuoted(const QString& s, int i, QChar quote) {
    ++i;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

int skipBrackets(const QString& s, int i) {
    int depth = 0;
    while (i < s.size()) {
        if (s[i] == QLatin1Char('['))
            ++depth;
        else if (s[i] == QLatin1Char(']') && --depth == 0)
            return i + 1;
        ++i;
    }
    return i;
}

}  // namespace

QString columnLetters(int column) {
    if (column < 1 || column > kMaxSheetColumns) return {};
    QString letters;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        letters.prepend(QChar(u'A' + rest));
        column = (column - 1) / 26;
    }
    return letters;
}

QString cellReference(int row, int column) {
    return columnLetters(column) + QString::number(row);
}

std::optional<CellPosition> parseCellReference(const QString& text) {
    const QString s = text.trimmed();
    const auto col = readColumn(s, 0);
    if (!col) return std::nullopt;
    const auto row = readRow(s, col->end);
    if (!row || row->end != s.size()) return std::nullopt;
    return CellPosition{row->value, col->value};
}

std::optional<CellRange> parseRangeAddress(const QString& text) {
    const QStringList corners = text.split(QLatin1Char(':'));
    if (corners.size() > 2) return std::nullopt;
    const auto a = parseCellReference(corners.first());
    if (!a) return std::nullopt;
    const auto b = corners.size() == 2 ? parseCellReference(corners.last()) : a;
    if (!b) return std::nullopt;
    return CellRange{{std::min(a->row, b->row), std::min(a->column, b->column)},
                     {std::max(a->row, b->row), std::max(a->column, b->column)}};
}

QString shiftFormula(const QString& formula, int rows, int columns) {
    if (rows == 0 && columns == 0) return formula;
    QString out;
    out.reserve(formula.size() + 8);
    int i = 0;
    while (i < formula.size()) {
        const QChar c = formula[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = skipQuoted(formula, i, c);
            out += QStringView(formula).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const int end = skipBrackets(formula, i);
            out += QStringView(formula).mid(i, end - i);
            i = end;
            continue;
        }
        const bool atStart = i == 0 || !(continuesName(formula[i - 1]) || formula[i - 1] == QLatin1Char('$'));
        if (atStart && (c == QLatin1Char('$') || isAsciiLetter(c) || isAsciiDigit(c))) {
            if (const auto shifted = shiftedReference(formula, i, rows, columns)) {
                out += shifted->first;
                i = shifted->second;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

}  // namespace springtest
