#pragma once

#include "windows/console/AxisStepping.h"
#include "windows/console/LiveCurveSink.h"

#include <QWidget>

#include <vector>

class QCustomPlot;
class QCPCurve;
class QLabel;
class QStatusBar;
class QTimer;

namespace springtest {

struct ConsoleContext;
class CurvePage;

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
    // The test's chart, also found by its name "Chart1": series 0 forward, 1 return, 2 characteristic curve
    // (the lateral machine's chart has no third).
    QCustomPlot* chart() const;
    QCPCurve* series(int index) const;

    AxisScale bottomAxis() const;
    AxisScale leftAxis() const;
    void setBottomAxis(const AxisScale& scale);
    void setLeftAxis(const AxisScale& scale);
    bool isWide() const { return m_wide; }

    // Draws what the sink has queued since the last draw; the draw timer calls it.
    void drawPendingCurve();

    // The toolbar's commands, on the test's chart.
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
    // The lateral machine's window has a second chart, on a page of its own beside the test's.
    enum class Charts { Test, TestAndPath };
    TF_chart(ConsoleContext& ctx, Charts charts, QWidget* parent);

    // Chart `number` (1 the test's, 2 the path's when there is one).
    CurvePage* curvePage(int number) const;
    ConsoleContext& context() const { return m_ctx; }
    QTimer* drawTimer() const { return m_drawTimer; }

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CurvePage* addPage(int number, bool characteristicCurve, QWidget* parent);

    ConsoleContext& m_ctx;
    LiveCurveSink m_sink;
    bool m_wide = false;

    std::vector<CurvePage*> m_pages;
    QLabel* m_title = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QLabel* m_statusPanel3 = nullptr;
    QTimer* m_drawTimer = nullptr;
};

}  // namespace springtest
