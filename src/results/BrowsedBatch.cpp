#include "results/BrowsedBatch.h"

namespace springtest {

BrowsedBatch::BrowsedBatch(const QString& path)
    : m_path(path), m_db(path, Database::OpenMode::ExistingMaybeReadOnly) {}

BrowsedBatch::~BrowsedBatch() = default;

void BrowsedBatch::ClearPicked() {
    m_chart.series[ResultChart::Picked].clear();
}

bool BrowsedBatch::readCurve(int serial) {
    const auto samples =
        m_db.select(QStringLiteral("select * from test_point where xuhao = ? order by number"), {serial});
    if (!samples || samples->isEmpty()) return false;
    m_loads.clear();
    m_displacements.clear();
    m_deformations.clear();
    for (const DbRow& s : *samples) {
        m_loads.append(static_cast<float>(s.toDouble(QStringLiteral("load"))));
        m_displacements.append(static_cast<float>(s.toDouble(QStringLiteral("weiyi"))));
        m_deformations.append(static_cast<float>(s.toDouble(QStringLiteral("bianxing"))));
    }
    return true;
}

void BrowsedBatch::forgetCurve() {
    m_replayedRow.reset();
    m_loads.clear();
    m_displacements.clear();
    m_deformations.clear();
    for (ChartSeriesData& s : m_chart.series) {
        s.clear();
        s.visible = false;
    }
}

QString BrowsedBatch::cellText(const QList<DbRow>& rows, const QStringList& fields, int row, int column) {
    if (row < 0 || row >= rows.size() || column < 0 || column >= fields.size()) return {};
    return rows[row].text(fields[column]);
}

}  // namespace springtest
