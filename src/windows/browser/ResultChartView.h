#pragma once

#include <qcustomplot.h>

#include <QByteArray>
#include <QList>
#include <QSize>
#include <array>

#include "results/ResultChart.h"

class QMenu;

namespace springtest {

// The result browser's chart "Chart1": draws a ResultChart. Series 0 is the replayed curve (a red line that
// keeps its points in the order given: a curve may run back over itself), series 1 a black line that stays
// empty, series 2 the traversal marker "编历点" (yellow circles) and series 3 the picked values "取值点"
// (blue circles), each marker with its value label beside it. Axes are manual; the chart title sits on top.
class ResultChartView : public QCustomPlot {
    Q_OBJECT
public:
    explicit ResultChartView(QWidget* parent = nullptr);

    // Everything the chart holds: series, labels, axes, titles.
    void draw(const ResultChart& chart);
    // One series with its labels only; the traversal marker follows the mouse this way.
    void drawSeries(const ResultChart& chart, int index);
    // Both axes' ranges and steps.
    void drawAxes(const ResultChart& chart);

    QCPCurve* series(int index);
    QStringList labelTexts(int index) const;
    QString title() const;

    // The menu the right mouse button opens; none while null.
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }
    QMenu* popupMenu() const { return m_popupMenu; }

    // The chart as it is on screen, as a picture and as PNG.
    QPixmap picture();
    QByteArray png();
    // A chart drawn at `size` without any window being shown (the command line's reports use it).
    static QByteArray renderPng(const ResultChart& chart, QSize size);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void clearLabels(int index);

    std::array<QList<QCPAbstractItem*>, 4> m_labels;  // per series: each label with the anchor it hangs from
    QCPTextElement* m_title = nullptr;
    QMenu* m_popupMenu = nullptr;
};

}  // namespace springtest
