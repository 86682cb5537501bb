#include "windows/console/ChartToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

constexpr int kSize_px = 24;

void magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(QColor(30, 60, 120), 2));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QRectF(3, 3, 13, 13));
    p.setPen(QPen(QColor(30, 60, 120), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
    if (plus) p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
}

void arrow(QPainter& p, QPointF from, QPointF to) {
    p.setPen(QPen(QColor(170, 30, 30), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
    const QPointF n(-d.y(), d.x());
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(to - 5 * d + 4 * n);
    head.lineTo(to - 5 * d - 4 * n);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 30, 30));
    p.drawPath(head);
}

void axisLetter(QPainter& p, const QString& letter, QRectF where) {
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(where, Qt::AlignCenter, letter);
}

void disk(QPainter& p) {
    p.setPen(QPen(QColor(30, 60, 120), 1.5));
    p.setBrush(QColor(70, 110, 180));
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 3.5, 11, 7));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(7.5, 13.5, 9, 7));
}

void printer(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 3.5, 9, 7));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(3.5, 9.5, 17, 8), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 14.5, 9, 6));
}

void widthArrows(QPainter& p, bool outwards) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(2.5, 5), QPointF(2.5, 19));
    p.drawLine(QPointF(21.5, 5), QPointF(21.5, 19));
    if (outwards) {
        arrow(p, {12, 12}, {4, 12});
        arrow(p, {12, 12}, {20, 12});
    } else {
        arrow(p, {4, 12}, {11, 12});
        arrow(p, {20, 12}, {13, 12});
    }
}

}  // namespace

QIcon chartToolIcon(ChartTool tool) {
    QPixmap pixmap(kSize_px, kSize_px);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (tool) {
        case ChartTool::ZoomIn:
            magnifier(p, true);
            break;
        case ChartTool::ZoomOut:
            magnifier(p, false);
            break;
        case ChartTool::StretchY:
            axisLetter(p, QStringLiteral("Y"), {1, 4, 11, 16});
            arrow(p, {17, 21}, {17, 3});
            break;
        case ChartTool::ShrinkY:
            axisLetter(p, QStringLiteral("Y"), {1, 4, 11, 16});
            arrow(p, {17, 3}, {17, 21});
            break;
        case ChartTool::ShrinkX:
            axisLetter(p, QStringLiteral("X"), {6, 0, 12, 12});
            arrow(p, {21, 17}, {3, 17});
            break;
        case ChartTool::StretchX:
            axisLetter(p, QStringLiteral("X"), {6, 0, 12, 12});
            arrow(p, {3, 17}, {21, 17});
            break;
        case ChartTool::Save:
            disk(p);
            break;
        case ChartTool::Print:
            printer(p);
            break;
        case ChartTool::Widen:
            widthArrows(p, true);
            break;
        case ChartTool::Narrow:
            widthArrows(p, false);
            break;
    }
    p.end();
    return QIcon(pixmap);
}

}  // namespace springtest
