#pragma once

#include "results/LabIdentity.h"

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

namespace springtest {

// One A4 portrait page of a PDF report, laid out from the top down in millimetres inside the margins. The
// reports (certificate, batch summary) draw their text, tables, curves and signature lines with it; what is
// drawn is vectors and text, so it prints sharply at any resolution and a reader can pick the text out.
class PdfPage {
public:
    static constexpr double kWidth_mm = 210.0;
    static constexpr double kHeight_mm = 297.0;
    static constexpr double kMargin_mm = 15.0;
    static constexpr double kContentWidth_mm = kWidth_mm - 2 * kMargin_mm;

    // Starts the page on the writer (A4, no margins of its own; the page keeps its own).
    explicit PdfPage(QPdfWriter& writer);
    bool isActive() const { return m_painter.isActive(); }

    // Where the next line goes, from the page's top edge.
    double y_mm() const { return m_y_mm; }
    void skip(double mm) { m_y_mm += mm; }
    // The room left above the bottom margin.
    double roomLeft_mm() const { return kHeight_mm - kMargin_mm - m_y_mm; }
    // Starts a new page when less than `mm` is left on this one; true when it did.
    bool ensureRoom(double mm);
    int pageCount() const { return m_pages; }

    void title(const QString& text);
    // A line of text at `x_mm` from the left margin; `size_pt` 0 takes the body size.
    void text(const QString& text, double x_mm = 0, bool bold = false, double size_pt = 0);
    void newLine(double lines = 1.0);
    // One row of a table: cells left-aligned at their column starts (mm from the left margin), a thin rule
    // under a header row.
    void row(const QStringList& cells, const std::vector<double>& columns_mm, bool header = false,
             double size_pt = 0);
    void rule();
    // Lines to sign on, side by side: each caption followed by a line to write on.
    void signatureLines(const QStringList& captions);

    QPainter& painter() { return m_painter; }
    // Millimetres to the writer's device units.
    QPointF at(double x_mm, double y_mm) const { return {x_mm * m_unit, y_mm * m_unit}; }
    double units(double mm) const { return mm * m_unit; }
    double lineHeight_mm() const { return m_lineHeight_mm; }

private:
    void setFont(bool bold, double size_pt);

    QPdfWriter& m_writer;
    QPainter m_painter;
    QFont m_font;
    int m_pages = 1;
    double m_unit = 1;  // device units per millimetre
    double m_lineHeight_mm = 5.0;
    double m_y_mm = kMargin_mm;
};

// A curve as the reports draw it: the points in the order measured, axis titles and ranges that frame it.
struct CurvePlot {
    QVector<QPointF> points;
    QString xTitle;
    QString yTitle;
};

// Draws the curve into `frame_mm` (page millimetres) with its axes, a few labelled ticks and its titles.
// A curve with more points than the frame has columns at print resolution is drawn as each column's lowest
// and highest point, which looks the same and keeps the file small.
void drawCurvePlot(PdfPage& page, const QRectF& frame_mm, const CurvePlot& plot);

// The top of every report: its title, the laboratory's name and address where the settings give them, and a
// rule beneath.
void drawReportHeading(PdfPage& page, const QString& title, const LabIdentity& lab);
// A value the report has none of reads as a dash, so an empty cell is never taken for a missed one.
QString textOrDash(const QString& text);

// A round step for about `ticks` ticks over `span`: 1, 2 or 5 times a power of ten.
double niceTickStep(double span, int ticks);

}  // namespace springtest
