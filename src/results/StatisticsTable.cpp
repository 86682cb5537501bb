#include "results/StatisticsTable.h"

#include "results/CsvText.h"

#include <QJsonValue>

namespace springtest {

namespace {

QVariant number(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant();
}

QVariant count(const std::optional<int>& v) {
    return v ? QVariant(*v) : QVariant();
}

QVariant limit(const QuantityRow& row, bool upper) {
    if (!row.quantity.limits) return {};
    return upper ? row.quantity.limits->upper : row.quantity.limits->lower;
}

QString fixed(const QVariant& v, int decimals) {
    return v.isValid() ? QString::number(v.toDouble(), 'f', decimals) : QString();
}

QString whole(const QVariant& v) {
    return v.isValid() ? QString::number(v.toInt()) : QString();
}

QJsonValue json(const QVariant& v) {
    return v.isValid() ? QJsonValue::fromVariant(v) : QJsonValue(QJsonValue::Null);
}

// Column positions in statisticsCells.
enum Column { Name, Unit, N, Mean, Sd, Min, Max, Range, Upper, Lower, Cp, Cpk, Within, Above, Below };

}  // namespace

const QStringList& statisticsTitles() {
    static const QStringList titles{
        QStringLiteral("项目"),   QStringLiteral("单位"),   QStringLiteral("n"),
        QStringLiteral("平均值"), QStringLiteral("标准差"), QStringLiteral("最小值"),
        QStringLiteral("最大值"), QStringLiteral("极差"),   QStringLiteral("上限"),
        QStringLiteral("下限"),   QStringLiteral("Cp"),     QStringLiteral("Cpk"),
        QStringLiteral("合格"),   QStringLiteral("强"),     QStringLiteral("弱")};
    return titles;
}

QVariantList statisticsCells(const QuantityRow& row) {
    const QuantityStatistics& s = row.statistics;
    return {row.quantity.name,
            row.quantity.unit,
            s.n,
            number(s.mean),
            number(s.standardDeviation),
            number(s.minimum),
            number(s.maximum),
            number(s.range),
            limit(row, true),
            limit(row, false),
            number(s.cp),
            number(s.cpk),
            count(s.within),
            count(s.above),
            count(s.below)};
}

QStringList statisticsTexts(const QuantityRow& row) {
    const QVariantList c = statisticsCells(row);
    const int d = row.quantity.decimals;
    return {c[Name].toString(),  c[Unit].toString(), whole(c[N]),      fixed(c[Mean], d + 1),
            fixed(c[Sd], d + 2), fixed(c[Min], d),   fixed(c[Max], d), fixed(c[Range], d),
            fixed(c[Upper], d),  fixed(c[Lower], d), fixed(c[Cp], 2),  fixed(c[Cpk], 2),
            whole(c[Within]),    whole(c[Above]),    whole(c[Below])};
}

QList<QStringList> statisticsCsvRows(const QList<QuantityRow>& rows) {
    QList<QStringList> out{statisticsTitles()};
    for (const QuantityRow& row : rows) {
        QStringList texts;
        for (const QVariant& cell : statisticsCells(row)) {
            if (!cell.isValid())
                texts << QString();
            else if (cell.typeId() == QMetaType::Double)
                texts << exactNumberText(cell.toDouble());
            else
                texts << cell.toString();
        }
        out << texts;
    }
    return out;
}

QJsonObject statisticsJson(const QuantityRow& row) {
    const QVariantList c = statisticsCells(row);
    QJsonObject o;
    o.insert(QStringLiteral("name"), row.quantity.name);
    o.insert(QStringLiteral("column"), row.quantity.column);
    o.insert(QStringLiteral("stroke"), row.quantity.stroke);
    o.insert(QStringLiteral("unit"), row.quantity.unit);
    const char* const keys[] = {"n",     "mean", "sd",  "min",    "max",   "range", "upper",
                                "lower", "cp",   "cpk", "within", "above", "below"};
    for (int k = 0; k < 13; ++k) o.insert(QLatin1String(keys[k]), json(c[N + k]));
    return o;
}

}  // namespace springtest
