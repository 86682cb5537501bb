#include "results/BrowsedBatch.h"

#include "results/CurveReduction.h"
#include "storage/FullRateCurve.h"

#include <cmath>

namespace springtest {

BrowsedBatch::BrowsedBatch(const QString& path)
    : m_path(path), m_db(path, Database::OpenMode::ExistingMaybeReadOnly) {}

BrowsedBatch::~BrowsedBatch() = default;

void BrowsedBatch::ClearPicked() {
    m_chart.series[ResultChart::Picked].clear();
}

bool BrowsedBatch::readCurve(int serial) {
    const StoredFullRateCurve full = readFullRateCurve(m_db, serial);
    m_curveNotice = full.error.isEmpty() ? QString() : withReason(kFullRateCurveUnreadable, full.error);
    if (full.curve) {
        const std::vector<int> drawn =
            columnExtremes(loadCurvePoints(*full.curve, m_style == 1 || m_style == 3), m_curveColumns);
        if (!drawn.empty()) {
            m_loads.clear();
            m_displacements.clear();
            m_deformations.clear();
            for (const int i : drawn) {
                const FullRateReading& r = (*full.curve)[static_cast<size_t>(i)];
                m_loads.append(std::fabs(r.load));
                m_displacements.append(r.displacement_mm);
                m_deformations.append(r.deformation_mm);
            }
            return true;
        }
    }
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
