#include "results/PdfPage.h"

#include "results/CurveReduction.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

constexpr double kBody_pt = 9.5;
constexpr double kTitle_pt = 15.0;
constexpr double kPointsPerMm = 72.0 / 25.4;

// Text that reads the same in every locale: a dot for decimals, no group separators.
QString tickText(double value, double step) {
    const int decimals = step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
    QString text = QString::number(value, 'f', decimals);
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

}  // namespace

PdfPage::PdfPage(QPdfWriter& writer) : m_writer(writer) {
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    m_painter.begin(&writer);
    m_unit = writer.resolution() / 25.4;
    // Latin letters and digits from a Latin face: a CJK face shapes digits among letters into glyphs of its
    // own that a reader of the file cannot turn back into text ("RX720" would read "RX"). Chinese texts fall
    // to the first CJK face the system has.
    m_font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"),
                        QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans CJK SC"),
                        QStringLiteral("Source Han Sans SC"), QStringLiteral("Microsoft YaHei"),
                        QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    setFont(false, kBody_pt);
    m_lineHeight_mm = kBody_pt / kPointsPerMm * 1.55;
}

void PdfPage::setFont(bool bold, double size_pt) {
    QFont font = m_font;
    font.setBold(bold);
    // In the writer's device units, so that the size does not depend on the resolution chosen.
    font.setPixelSize(std::max(
        1, static_cast<int>(std::lround((size_pt > 0 ? size_pt : kBody_pt) / kPointsPerMm * m_unit))));
    m_painter.setFont(font);
}

bool PdfPage::ensureRoom(double mm) {
    if (roomLeft_mm() >= mm) return false;
    m_writer.newPage();
    ++m_pages;
    m_y_mm = kMargin_mm;
    return true;
}

void PdfPage::title(const QString& text) {
    setFont(true, kTitle_pt);
    m_y_mm += kTitle_pt / kPointsPerMm;
    const double width = m_painter.fontMetrics().horizontalAdvance(text) / m_unit;
    m_painter.drawText(at(kMargin_mm + (kContentWidth_mm - width) / 2, m_y_mm), text);
    m_y_mm += m_lineHeight_mm * 0.8;
    setFont(false, kBody_pt);
}

void PdfPage::text(const QString& text, double x_mm, bool bold, double size_pt) {
    setFont(bold, size_pt);
    m_painter.drawText(at(kMargin_mm + x_mm, m_y_mm), text);
    setFont(false, kBody_pt);
}

void PdfPage::newLine(double lines) {
    m_y_mm += m_lineHeight_mm * lines;
}

void PdfPage::row(const QStringList& cells, const std::vector<double>& columns_mm, bool header,
                  double size_pt) {
    newLine(size_pt > 0 ? size_pt / kBody_pt : 1.0);
    setFont(header, size_pt);
    for (qsizetype i = 0; i < cells.size() && static_cast<size_t>(i) < columns_mm.size(); ++i)
        m_painter.drawText(at(kMargin_mm + columns_mm[static_cast<size_t>(i)], m_y_mm), cells[i]);
    setFont(false, kBody_pt);
    if (header) {
        m_y_mm += m_lineHeight_mm * 0.3;
        rule();
    }
}

void PdfPage::rule() {
    m_painter.setPen(QPen(Qt::black, units(0.2)));
    m_painter.drawLine(at(kMargin_mm, m_y_mm), at(kMargin_mm + kContentWidth_mm, m_y_mm));
}

void PdfPage::signatureLines(const QStringList& captions) {
    if (captions.isEmpty()) return;
    newLine(2);
    const double share = kContentWidth_mm / captions.size();
    m_painter.setPen(QPen(Qt::black, units(0.2)));
    for (int i = 0; i < captions.size(); ++i) {
        const double x = kMargin_mm + i * share;
        m_painter.drawText(at(x, m_y_mm), captions[i]);
        const double captionWidth = m_painter.fontMetrics().horizontalAdvance(captions[i]) / m_unit;
        m_painter.drawLine(at(x + captionWidth + 1, m_y_mm + 0.8), at(x + share - 4, m_y_mm + 0.8));
    }
}

double niceTickStep(double span, int ticks) {
    if (!(span > 0) || ticks < 1 || !std::isfinite(span)) return 1;
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power) return factor * power;
    return 10 * power;
}

void drawCurvePlot(PdfPage& page, const QRectF& frame_mm, const CurvePlot& plot) {
    QPainter& p = page.painter();
    // Room for the tick labels and the titles inside the frame.
    const QRectF area(frame_mm.left() + 14, frame_mm.top() + 4, frame_mm.width() - 18,
                      frame_mm.height() - 14);

    double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
    bool first = true;
    for (const QPointF& pt : plot.points) {
        if (!std::isfinite(pt.x()) || !std::isfinite(pt.y())) continue;
        if (first) {
            xMin = xMax = pt.x();
            yMin = yMax = pt.y();
            first = false;
        }
        xMin = std::min(xMin, pt.x());
        xMax = std::max(xMax, pt.x());
        yMin = std::min(yMin, pt.y());
        yMax = std::max(yMax, pt.y());
    }
    // Load from 0, as the browser's chart shows it; a little room above and to the right.
    yMin = std::min(0.0, yMin);
    if (xMax <= xMin) xMax = xMin + 1;
    if (yMax <= yMin) yMax = yMin + 1;
    const double xStep = niceTickStep(xMax - xMin, 6), yStep = niceTickStep(yMax - yMin, 6);
    xMin = std::floor(xMin / xStep) * xStep;
    xMax = std::ceil(xMax / xStep) * xStep;
    yMin = std::floor(yMin / yStep) * yStep;
    yMax = std::ceil(yMax / yStep) * yStep;

    const auto toPage = [&](double x, double y) {
        return page.at(area.left() + (x - xMin) / (xMax - xMin) * area.width(),
                       area.bottom() - (y - yMin) / (yMax - yMin) * area.height());
    };

    p.save();
    const QFont small = [&] {
        QFont f = p.font();
        f.setPixelSize(std::max(1, static_cast<int>(page.units(2.6))));
        return f;
    }();
    p.setFont(small);
    p.setPen(QPen(QColor(200, 200, 200), page.units(0.1)));
    for (double x = xMin; x <= xMax + xStep / 2; x += xStep) p.drawLine(toPage(x, yMin), toPage(x, yMax));
    for (double y = yMin; y <= yMax + yStep / 2; y += yStep) p.drawLine(toPage(xMin, y), toPage(xMax, y));
    p.setPen(QPen(Qt::black, page.units(0.25)));
    p.drawRect(QRectF(page.at(area.left(), area.top()), page.at(area.right(), area.bottom())));
    const QFontMetricsF metrics(small, p.device());
    for (double x = xMin; x <= xMax + xStep / 2; x += xStep) {
        const QString label = tickText(x, xStep);
        const QPointF base = toPage(x, yMin);
        p.drawText(QPointF(base.x() - metrics.horizontalAdvance(label) / 2, base.y() + page.units(3.5)),
                   label);
    }
    for (double y = yMin; y <= yMax + yStep / 2; y += yStep) {
        const QString label = tickText(y, yStep);
        const QPointF base = toPage(xMin, y);
        p.drawText(
            QPointF(base.x() - metrics.horizontalAdvance(label) - page.units(1), base.y() + page.units(1)),
            label);
    }
    p.drawText(
        QPointF(page.at(area.center().x(), area.bottom()).x() - metrics.horizontalAdvance(plot.xTitle) / 2,
                page.at(0, area.bottom() + 8).y()),
        plot.xTitle);
    p.drawText(page.at(area.left(), area.top() - 1.2), plot.yTitle);

    // The curve: every point, or each print column's extremes in the order measured where there are more
    // points than columns (a full-rate curve).
    const int columns = std::max(1, static_cast<int>(page.units(area.width())));
    QPolygonF line;
    if (plot.points.size() <= 2 * columns) {
        line.reserve(plot.points.size());
        for (const QPointF& pt : plot.points)
            if (std::isfinite(pt.x()) && std::isfinite(pt.y())) line << toPage(pt.x(), pt.y());
    } else {
        // The points span at most the frame's width, so their own columns are no wider than the print's.
        for (const int i : columnExtremes(plot.points, columns))
            line << toPage(plot.points[i].x(), plot.points[i].y());
    }
    p.setClipRect(QRectF(page.at(area.left(), area.top()), page.at(area.right(), area.bottom())));
    p.setPen(QPen(QColor(200, 0, 0), page.units(0.3)));
    p.drawPolyline(line);
    p.restore();
}

void drawReportHeading(PdfPage& page, const QString& title, const LabIdentity& lab) {
    page.title(title);
    if (!lab.name.isEmpty()) {
        page.newLine();
        page.text(lab.name, 0, true);
    }
    if (!lab.address.isEmpty()) {
        page.newLine();
        page.text(lab.address);
    }
    page.newLine(0.6);
    page.rule();
}

QString textOrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("—") : text;
}

}  // namespace springtest
