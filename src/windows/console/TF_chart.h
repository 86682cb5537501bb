#pragma once

#include "windows/console/AxisStepping.h"
#include "windows/console/ChartToolIcons.h"
#include "windows/console/LiveCurveSink.h"
#include "windows/console/PlotScale.h"

#include <QWidget>

class QCustomPlot;
class QCPCurve;
class QCPAxis;
class QLabel;
class QMouseEvent;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace springtest {

struct ConsoleContext;

// The live curve window: load against displacement or deformation of the running test, the forward stroke
// in red and the return stroke in black, with zoom, axis stretching, a cursor read-out, printing, saving as a
// bitmap and a wide/narrow toggle. The sequencer draws into it through curveSink(); the window itself only
// presents what it is given.
class TF_chart : public QWidget {
    Q_OBJECT
public:
    static constexpr int kNarrowWidth_px = 675;
    static constexpr int kWideWidth_px = 1014;
    // At most this often the queued curve reaches the screen (25 times a second).
    static constexpr int kDrawInterval_ms = 40;

    explicit TF_chart(ConsoleContext& ctx, QWidget* parent = nullptr);
    ~TF_chart() override;

    // What the sequencer draws into; safe to call from any thread. Lives as long as the window.
    CurveSink* curveSink() { return &m_sink; }
    // The chart, also found by its name "Chart1": series 0 forward, 1 return, 2 characteristic curve.
    QCustomPlot* chart() const { return m_chart; }
    QCPCurve* series(int index) const;

    AxisScale bottomAxis() const { return m_bottom; }
    AxisScale leftAxis() const { return m_left; }
    void setBottomAxis(const AxisScale& scale);
    void setLeftAxis(const AxisScale& scale);
    bool isWide() const { return m_wide; }

    // Draws what the sink has queued since the last draw; the draw timer calls it.
    void drawPendingCurve();

    // The toolbar's commands.
    void zoomIn();
    void zoomOut();
    void stretchLeftAxis();
    void shrinkLeftAxis();
    void stretchBottomAxis();
    void shrinkBottomAxis();
    void savePicture();
    void printPreview();
    void toggleWidth();
    // The mouse's rectangle: drawn to the right it zooms into the rectangle (pixel coordinates of the chart),
    // drawn to the left it undoes every zoom since the first, the toolbar's included.
    void zoomToRectangle(const QRect& pixels);
    void undoZoom();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildChart();
    void buildToolBar();
    QToolButton* addTool(const QString& name, const QString& hint, ChartTool icon,
                         void (TF_chart::*command)());
    void showAxes();
    void updateReadout(QMouseEvent* event);
    void onRectangle(const QRect& rect, QMouseEvent* event);

    ConsoleContext& m_ctx;
    LiveCurveSink m_sink;
    AxisScale m_bottom{0.0, 25.0, 2.5};
    AxisScale m_left{0.0, 50.0, 5.0};
    ZoomUndo m_zoomUndo;
    bool m_wide = false;

    QCustomPlot* m_chart = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolButton* m_widthButton = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_readout = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QLabel* m_statusPanel3 = nullptr;
    QTimer* m_drawTimer = nullptr;
};

}  // namespace springtest
