#include "results/StandardQuantities.h"

#include "measurement/ChannelConfig.h"
#include "platform/OperatorTexts.h"
#include "platform/ProfileFile.h"

#include <QSet>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace springtest {

namespace {

const QString kForward = QStringLiteral("进");
const QString kReturn = QStringLiteral("回");

// Limits left empty are stored as 0: a pair of zeros sets none.
std::optional<QuantityLimits> limitsOf(const DbRow& scheme, const QString& upperColumn,
                                       const QString& lowerColumn) {
    const double upper = scheme.toDouble(upperColumn), lower = scheme.toDouble(lowerColumn);
    if (upper == 0.0 && lower == 0.0) return std::nullopt;
    return QuantityLimits{upper, lower};
}

// Where a column stands in the rows of one select: found once, since a batch of ten thousand tests has
// hundreds of thousands of cells to read.
class ColumnAt {
public:
    ColumnAt(const QList<DbRow>& rows, const QString& column) : m_column(column) {
        if (rows.isEmpty()) return;
        m_columns = &rows.first().columns();
        m_index = m_columns->indexOf(column, 0);
        for (qsizetype i = 0; m_index < 0 && i < m_columns->size(); ++i)
            if (m_columns->at(i).compare(column, Qt::CaseInsensitive) == 0) m_index = i;
    }
    QVariant of(const DbRow& row) const {
        // A row of another select (a caller's own list) is read by name.
        return &row.columns() == m_columns ? row.valueAt(m_index) : row.value(m_column);
    }

private:
    QString m_column;
    const QStringList* m_columns = nullptr;
    qsizetype m_index = -1;
};

// Appends the cell's number to the quantity; an empty or unreadable cell is no value.
void take(Quantity& q, const QVariant& cell, int test) {
    if (cell.isNull()) return;
    if (cell.typeId() == QMetaType::QString) {
        const auto number = parseStoredNumber(cell.toString());
        if (!number) return;
        q.values.append({test, number->value});
        q.decimals = std::max(q.decimals, number->decimals);
        return;
    }
    bool ok = false;
    const double v = cell.toDouble(&ok);
    if (ok && std::isfinite(v)) q.values.append({test, v});
}

// A serial as the grid reads it: "3" and "3.0" are test 3.
int serialOf(const QVariant& cell) {
    bool ok = false;
    const QString text = cell.toString().trimmed();
    const int whole = text.toInt(&ok);
    if (ok) return whole;
    const double d = text.toDouble(&ok);
    return ok && std::isfinite(d) && std::abs(d) < 2e9 ? static_cast<int>(std::lround(d)) : 0;
}

Quantity named(const QString& name, const QString& column, const QString& stroke, const QString& unit) {
    Quantity q;
    q.name = stroke.isEmpty() ? name : name + QLatin1Char(' ') + stroke;
    q.column = column;
    q.stroke = stroke;
    q.unit = unit;
    q.decimals = 0;  // raised by the values read
    return q;
}

}  // namespace

BatchUnits configuredBatchUnits(const QString& applicationFolder) {
    BatchUnits units;
    if (const QString load = configuredLoadUnits(applicationFolder, 0); !load.isEmpty()) units.load = load;
    const QString displacement =
        ProfileFile(channelConfigFile(applicationFolder, 0))
            .snapshot()
            .readString(QStringLiteral("Displacement"), QStringLiteral("Units"), QString());
    if (!displacement.isEmpty()) units.displacement = displacement;
    return units;
}

QList<QuantityRow> standardBatchStatistics(const QList<DbRow>& results, const QList<DbRow>& scheme,
                                           const BatchUnits& units) {
    if (scheme.isEmpty()) return {};
    return batchStatistics(standardQuantities(results, scheme.first(), units));
}

std::optional<StoredNumber> parseStoredNumber(QStringView text) {
    text = text.trimmed();
    // The longest number worth reading; anything longer is no stored number.
    constexpr qsizetype kLongest = 64;
    if (text.isEmpty() || text.size() > kLongest) return std::nullopt;
    char ascii[kLongest];
    qsizetype n = 0;
    for (const QChar c : text) {
        if (c.unicode() > 0x7F) return std::nullopt;
        ascii[n++] = static_cast<char>(c.unicode());
    }
    const char* begin = ascii;
    const char* const end = ascii + n;
    const char* first = begin;
    if (*first == '+' || *first == '-') ++first;
    if (first == end || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return std::nullopt;     // no "inf", "nan", words or a second sign
    if (*begin == '+') ++begin;  // from_chars takes a minus only
    StoredNumber number;
    const auto [stop, error] = std::from_chars(begin, end, number.value);
    if (error != std::errc() || stop != end || !std::isfinite(number.value)) return std::nullopt;
    if (const char* dot = std::find(begin, end, '.'); dot != end) {
        const char* digit = dot + 1;
        while (digit != end && std::isdigit(static_cast<unsigned char>(*digit))) ++digit;
        number.decimals = static_cast<int>(digit - dot - 1);
    }
    return number;
}

int storedDecimals(const QString& text) {
    const QString t = text.trimmed();
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    if (dot < 0) return 0;
    qsizetype end = dot + 1;
    while (end < t.size() && t[end].isDigit()) ++end;
    return static_cast<int>(end - dot - 1);
}

QList<Quantity> standardQuantities(const QList<DbRow>& results, const DbRow& scheme,
                                   const BatchUnits& units) {
    const int points = std::clamp(scheme.toInt(QStringLiteral("scheme_sum")), 0, 10);
    const int style = scheme.toInt(QStringLiteral("scheme_style"));
    const QString valueUnit = style == 2 || style == 3 ? units.displacement : units.load;
    const QString stiffnessUnit = QStringLiteral("N/mm");

    // Each row's test and stroke, read once.
    const ColumnAt serialAt(results, QStringLiteral("xuhao")),
        strokeAt(results, QStringLiteral("jinhuicheng"));
    std::vector<int> tests;
    std::vector<bool> isReturn;
    for (const DbRow& row : results) {
        const QVariant serial = serialAt.of(row);
        tests.push_back(serialOf(serial));
        isReturn.push_back(strokeAt.of(row).toString().trimmed() == kReturn);
    }
    const bool returnStroke = scheme.toInt(QStringLiteral("scheme_jh")) == 2 ||
                              std::find(isReturn.begin(), isReturn.end(), true) != isReturn.end();
    QStringList strokes{kForward};
    if (returnStroke) strokes << kReturn;

    QList<Quantity> quantities;
    for (const QString& stroke : strokes) {
        const qsizetype first = quantities.size();
        for (int k = 1; k <= points; ++k) {
            const QString n = QString::number(k);
            Quantity value =
                named(QStringLiteral("结果") + n, QStringLiteral("result") + n, stroke, valueUnit);
            value.limits = limitsOf(scheme, QStringLiteral("schemedata") + n + QStringLiteral("_max"),
                                    QStringLiteral("schemedata") + n + QStringLiteral("_min"));
            quantities << value;
        }
        for (int k = 1; k <= points; ++k) {
            const QString n = QString::number(k);
            Quantity stiffness =
                named(kStiffnessName + n, QStringLiteral("gangdu") + n, stroke, stiffnessUnit);
            stiffness.limits =
                limitsOf(scheme, QStringLiteral("scheme_gangdu_max"), QStringLiteral("scheme_gangdu_min"));
            quantities << stiffness;
        }
        std::vector<ColumnAt> cells;
        for (qsizetype q = first; q < quantities.size(); ++q) {
            cells.emplace_back(results, quantities[q].column);
            quantities[q].values.reserve(results.size());
        }
        // A row is a stroke's; one without its stroke written is a forward stroke.
        for (qsizetype r = 0; r < results.size(); ++r) {
            if (isReturn[r] != (stroke == kReturn)) continue;
            for (qsizetype q = first; q < quantities.size(); ++q)
                take(quantities[q], cells[q - first].of(results[r]), tests[r]);
        }
    }

    // Both strokes of a test store the same heights: each test counts once, with its first row.
    Quantity height = named(QStringLiteral("弹簧高度"), QStringLiteral("height"), {}, units.displacement);
    Quantity solid = named(QStringLiteral("压并高度"), QStringLiteral("yb_height"), {}, units.displacement);
    const ColumnAt heightAt(results, height.column), solidAt(results, solid.column);
    QSet<int> seen;
    for (qsizetype r = 0; r < results.size(); ++r) {
        if (seen.contains(tests[r])) continue;
        seen.insert(tests[r]);
        take(height, heightAt.of(results[r]), tests[r]);
        take(solid, solidAt.of(results[r]), tests[r]);
    }
    quantities << height;
    if (scheme.toBool(QStringLiteral("scheme_yb")) || !solid.values.isEmpty()) quantities << solid;
    return quantities;
}

}  // namespace springtest
