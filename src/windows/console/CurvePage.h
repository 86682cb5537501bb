#pragma once

#include "windows/console/AxisStepping.h"
#include "windows/console/ChartToolIcons.h"
#include "windows/console/PlotScale.h"

#include <QString>
#include <QVector>
#include <QWidget>

#include <array>

class QCPCurve;
class QCustomPlot;
class QHBoxLayout;
class QLabel;
class QMouseEvent;
class QToolBar;
class QToolButton;

namespace springtest {

// One chart of the live curve window with its toolbar and cursor read-out: zoom, axis stretching, saving as
// a bitmap and printing act on this chart only. The width button only asks: the window widens or narrows
// as a whole (widthToggleRequested).
class CurvePage : public QWidget {
    Q_OBJECT
public:
    // The component names of one page: its chart, toolbar and read-out, and the toolbar's buttons in the
    // order zoom in, zoom out, stretch Y, shrink Y, shrink X, stretch X, save, print, widen.
    struct Names {
        QString chart;
        QString toolBar;
        QString readout;
        std::array<QString, 9> tools;
    };
    struct SeriesLook {
        QString name;
        QString title;
        QColor colour;
    };

    CurvePage(const Names& names, const QList<SeriesLook>& series, QString applicationFolder,
              QWidget* parent = nullptr);

    QCustomPlot* chart() const { return m_chart; }
    QCPCurve* series(int index) const;  // null for a series the page does not have
    int seriesCount() const;
    // The row above the chart, where the window may put what belongs beside the toolbar.
    QHBoxLayout* topRow() const { return m_topRow; }
    QToolButton* widthButton() const { return m_widthButton; }

    AxisScale bottomAxis() const { return m_bottom; }
    AxisScale leftAxis() const { return m_left; }
    void setBottomAxis(const AxisScale& scale);
    void setLeftAxis(const AxisScale& scale);
    void setAxisTitles(const QString& bottom, const QString& left);

    // What the test feed does: a new test empties the series and starts from `bottom` and `left`; points
    // are added in arrival order; the feed's axes replace the maxima only (a minimum the operator moved
    // stays) unless it sets the whole range.
    void startCurve(const AxisScale& bottom, const AxisScale& left);
    void addPoints(int series, const QVector<double>& xs, const QVector<double>& ys);
    void widenTo(double bottomMax, double bottomStep, double leftMax, double leftStep);
    void setRanges(const AxisScale& bottom, const AxisScale& left);

    // The toolbar's commands.
    void zoomIn();
    void zoomOut();
    void stretchLeftAxis();
    void shrinkLeftAxis();
    void stretchBottomAxis();
    void shrinkBottomAxis();
    void savePicture();
    void printPreview();
    // The mouse's rectangle: drawn to the right it zooms into the rectangle (pixel coordinates of the chart),
    // drawn to the left it undoes every zoom since the first, the toolbar's included.
    void zoomToRectangle(const QRect& pixels);
    void undoZoom();
    void showWidth(bool wide, const QString& hint);

signals:
    void widthToggleRequested();

private:
    void buildChart(const QString& name, const QList<SeriesLook>& series);
    void buildToolBar(const Names& names);
    QToolButton* addTool(const QString& name, const QString& hint, ChartTool icon,
                         void (CurvePage::*command)());
    void showAxes();
    void updateReadout(QMouseEvent* event);
    void onRectangle(const QRect& rect, QMouseEvent* event);

    QString m_applicationFolder;
    AxisScale m_bottom{0.0, 25.0, 2.5};
    AxisScale m_left{0.0, 50.0, 5.0};
    ZoomUndo m_zoomUndo;

    QCustomPlot* m_chart = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolButton* m_widthButton = nullptr;
    QLabel* m_readout = nullptr;
    QHBoxLayout* m_topRow = nullptr;
};

}  // namespace springtest
