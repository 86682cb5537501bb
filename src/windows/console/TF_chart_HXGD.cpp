#include "windows/console/TF_chart_HXGD.h"

#include "measurement/TDisplacement.h"
#include "sequencer/procedures/LateralTest.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/CurvePage.h"

#include <QTimer>

namespace springtest {

namespace {

// "X  name  (unit)" for the sensor of an axis, or just the axis letter when the card is missing.
QString sensorTitle(const ConsoleContext& ctx, int card, const QString& axis) {
    if (card >= ctx.cards.count || !ctx.cards.cards[static_cast<size_t>(card)].displacement) return axis;
    const TDisplacement& sensor = *ctx.cards.cards[static_cast<size_t>(card)].displacement;
    return axis + QStringLiteral("  ") + sensor.Name() + QStringLiteral("  (") + sensor.Units() +
           QLatin1Char(')');
}

}  // namespace

TF_chart_HXGD::TF_chart_HXGD(ConsoleContext& ctx, QWidget* parent)
    : TF_chart(ctx, Charts::TestAndPath, parent) {
    setObjectName(QStringLiteral("TF_chart_HXGD"));
    connect(drawTimer(), &QTimer::timeout, this, &TF_chart_HXGD::drawPendingPath);
}

void TF_chart_HXGD::drawPendingPath() {
    LivePathSink::Batch batch = m_pathSink.take();
    if (batch.isEmpty()) return;
    CurvePage* path = curvePage(2);
    if (batch.cleared) path->startCurve({}, {});
    if (!batch.xs.isEmpty()) path->addPoints(0, batch.xs, batch.ys);
    // The path runs both ways from the middle: the feed gives each axis's half span.
    if (batch.axes)
        path->setRanges({-batch.axes->xHalfSpan, batch.axes->xHalfSpan, batch.axes->xStep},
                        {-batch.axes->yHalfSpan, batch.axes->yHalfSpan, batch.axes->yStep});
}

void TF_chart_HXGD::showEvent(QShowEvent* event) {
    TF_chart::showEvent(event);
    curvePage(2)->setAxisTitles(sensorTitle(context(), kXSensorCard, QStringLiteral("X")),
                                sensorTitle(context(), kLateralDriveCard, QStringLiteral("Y")));
}

}  // namespace springtest
