#include "windows/console/PlotScale.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

// A rectangle smaller than this is a click, not a zoom.
constexpr int kMinRectangle_px = 4;

class StepTicker : public QCPAxisTickerFixed {
protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        QString text = QString::number(std::round(tick * 1000.0) / 1000.0, 'f', 3);
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
        return text == QLatin1String("-0") ? QStringLiteral("0") : text;
    }
};

}  // namespace

void useStepTicker(QCPAxis* axis) {
    axis->setTicker(QSharedPointer<StepTicker>::create());
}

void showAxisScale(QCPAxis* axis, const AxisScale& scale) {
    const double low = scale.minimum;
    const double high = scale.maximum > scale.minimum ? scale.maximum : scale.minimum + 1.0;
    axis->setRange(low, high);
    double step = scale.step;
    if (!(step > 0.0) || (high - low) / step > 100.0) step = (high - low) / 10.0;
    if (auto ticker = qSharedPointerDynamicCast<QCPAxisTickerFixed>(axis->ticker()))
        ticker->setTickStep(step);
}

DraggedRectangle readDraggedRectangle(const QCustomPlot& plot, const QRect& dragged) {
    if (dragged.right() < dragged.left()) return {DraggedRectangle::Meaning::Undo, {}, {}};
    const QRect pixels = dragged.normalized();
    if (pixels.width() < kMinRectangle_px || pixels.height() < kMinRectangle_px) return {};
    const double x1 = plot.xAxis->pixelToCoord(pixels.left());
    const double x2 = plot.xAxis->pixelToCoord(pixels.right());
    const double y1 = plot.yAxis->pixelToCoord(pixels.top());
    const double y2 = plot.yAxis->pixelToCoord(pixels.bottom());
    return {DraggedRectangle::Meaning::Zoom, withTenthStep(std::min(x1, x2), std::max(x1, x2)),
            withTenthStep(std::min(y1, y2), std::max(y1, y2))};
}

std::optional<std::pair<AxisScale, AxisScale>> ZoomUndo::take() {
    if (!m_before) return std::nullopt;
    const auto [bottom, left] = *m_before;
    m_before.reset();
    return std::make_pair(withTenthStep(bottom.minimum, bottom.maximum),
                          withTenthStep(left.minimum, left.maximum));
}

}  // namespace springtest
