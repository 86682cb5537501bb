#pragma once

#include "results/FullRateReplay.h"
#include "results/ResultChart.h"
#include "storage/Database.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace springtest {

// What a result browser's working object holds for the batch it has open, whatever the machine: the results
// and scheme rows, the replayed test's curve samples and chart, the traversal marker. It holds the batch open
// while it exists (so the batch counts as in use). Each machine's object reads its own tables and draws,
// follows and deletes in its own way.
class BrowsedBatch {
public:
    virtual ~BrowsedBatch();
    BrowsedBatch(const BrowsedBatch&) = delete;
    BrowsedBatch& operator=(const BrowsedBatch&) = delete;

    const QString& path() const { return m_path; }
    const QList<DbRow>& results() const { return m_results; }
    const QList<DbRow>& scheme() const { return m_scheme; }
    int schemeStyle() const { return m_style; }
    int testPointCount() const { return m_testPoints; }

    // Loads and draws the curve of the results row; a message when that test has no samples (the curve
    // shown before stays then).
    virtual QString ShowCurve(int row) = 0;
    // The results row whose curve the chart shows; none before the first replay and once that test is
    // deleted.
    std::optional<int> replayedRow() const { return m_replayedRow; }
    int pointCount() const { return static_cast<int>(m_loads.size()); }
    // How many pixel columns wide the chart is that a full-rate curve is reduced for; from the next replay.
    void setCurveColumns(int columns) { m_curveColumns = columns > 0 ? columns : kDefaultCurveColumns; }
    // For the operator beside a replayed curve: why its full-rate recording could not be shown; empty when
    // there was nothing to say.
    const QString& curveNotice() const { return m_curveNotice; }

    // Curve traversal; x and y are the axis values under the mouse.
    bool traversing() const { return m_traversing; }
    virtual void TrackCursor(int style, double x, double y) = 0;
    QPointF traversalPoint() const { return m_traversalPoint; }
    void ClearPicked();

    // Deletes the test of the results row with its curve. A message when there is nothing to delete or it
    // failed.
    virtual QString DeleteCurrent(int row) = 0;
    // Without a question: the window asks first. A message when there is nothing to delete or it failed.
    virtual QString DeleteAll() = 0;

    ResultChart& chart() { return m_chart; }
    const ResultChart& chart() const { return m_chart; }

protected:
    // A batch on read-only media is browsed and exported all the same.
    explicit BrowsedBatch(const QString& path);

    // Reads the curve samples of the test `serial`: its full-rate readings when it has them, reduced to
    // what a chart of curveColumns pixel columns shows, else its 100 ms rows; false, with the samples read
    // before kept, when it has none.
    bool readCurve(int serial);
    // No curve replayed any more: its samples go, and every series leaves the chart.
    void forgetCurve();
    // The text of a cell of `rows` shown under `fields`; empty outside them.
    static QString cellText(const QList<DbRow>& rows, const QStringList& fields, int row, int column);

    QString m_path;
    Database m_db;
    QList<DbRow> m_results;
    QList<DbRow> m_scheme;
    int m_style = 0;
    int m_testPoints = 0;
    QVector<float> m_loads, m_displacements, m_deformations;
    QPointF m_traversalPoint{0, 0};
    bool m_traversing = false;
    std::optional<int> m_replayedRow;
    ResultChart m_chart;
    int m_curveColumns = kDefaultCurveColumns;
    QString m_curveNotice;
};

}  // namespace springtest
