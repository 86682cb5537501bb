#include "calibration/VerificationRecord.h"

#include "storage/Database.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace springtest {

namespace {

const char* const kCreateTables[] = {
    "CREATE TABLE IF NOT EXISTS force_verification ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, card INTEGER NOT NULL, gear INTEGER NOT NULL,"
    " verified_at TEXT NOT NULL, operator TEXT, reference_source TEXT, units TEXT, range REAL,"
    " resolution REAL, zero_error_pct REAL, class TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS force_verification_step ("
    " verification_id INTEGER NOT NULL REFERENCES force_verification(id), step INTEGER NOT NULL,"
    " reference REAL, mean_indicated REAL, q_pct REAL, b_pct REAL, a_pct REAL, class TEXT,"
    " PRIMARY KEY (verification_id, step))",
    "CREATE TABLE IF NOT EXISTS force_verification_reading ("
    " verification_id INTEGER NOT NULL REFERENCES force_verification(id), series INTEGER NOT NULL,"
    " step INTEGER NOT NULL, reference REAL, indicated REAL, PRIMARY KEY (verification_id, series, step))",
};

QString notStored(const Database& db) {
    return withReason(QStringLiteral("the verification could not be stored in the scheme database"),
                      db.lastError());
}

}  // namespace

QString storeVerification(const QString& schemeDatabasePath, const VerificationRecord& record, qint64* id) {
    if (!QFileInfo::exists(schemeDatabasePath))
        return QStringLiteral("the scheme database %1 is missing: make one with springtest init")
            .arg(schemeDatabasePath);
    Database db(schemeDatabasePath);
    if (!db.isOpen()) return notStored(db);
    for (const char* sql : kCreateTables)
        if (!db.exec(QString::fromLatin1(sql))) return notStored(db);

    Transaction transaction(db);
    if (!transaction.isActive()) return notStored(db);
    const VerificationResult& result = record.result;
    if (!db.insertRow(QStringLiteral("force_verification"),
                      {{QStringLiteral("card"), record.card},
                       {QStringLiteral("gear"), record.gear},
                       {QStringLiteral("verified_at"), record.verifiedAt.toString(Qt::ISODate)},
                       {QStringLiteral("operator"), record.operatorName},
                       {QStringLiteral("reference_source"), record.referenceSource},
                       {QStringLiteral("units"), record.units},
                       {QStringLiteral("range"), record.readings.range_n},
                       {QStringLiteral("resolution"), result.resolution_n},
                       {QStringLiteral("zero_error_pct"), result.zeroError_pct},
                       {QStringLiteral("class"), classText(result.verificationClass)}}))
        return notStored(db);
    const auto rows = db.select(QStringLiteral("SELECT last_insert_rowid() AS id"));
    if (!rows || rows->isEmpty()) return notStored(db);
    const qint64 verification = rows->front().value(QStringLiteral("id")).toLongLong();

    for (size_t i = 0; i < result.steps.size(); ++i) {
        const StepEvaluation& s = result.steps[i];
        if (!db.insertRow(QStringLiteral("force_verification_step"),
                          {{QStringLiteral("verification_id"), verification},
                           {QStringLiteral("step"), int(i) + 1},
                           {QStringLiteral("reference"), s.reference_n},
                           {QStringLiteral("mean_indicated"), s.meanIndicated_n},
                           {QStringLiteral("q_pct"), s.indicationError_pct},
                           {QStringLiteral("b_pct"), s.repeatability_pct},
                           {QStringLiteral("a_pct"), s.resolution_pct},
                           {QStringLiteral("class"), classText(s.stepClass)}}))
            return notStored(db);
    }
    for (size_t series = 0; series < record.readings.series.size(); ++series) {
        const std::vector<ForceReading>& readings = record.readings.series[series].readings;
        for (size_t step = 0; step < readings.size(); ++step)
            if (!db.insertRow(QStringLiteral("force_verification_reading"),
                              {{QStringLiteral("verification_id"), verification},
                               {QStringLiteral("series"), int(series) + 1},
                               {QStringLiteral("step"), int(step) + 1},
                               {QStringLiteral("reference"), readings[step].reference_n},
                               {QStringLiteral("indicated"), readings[step].indicated_n}}))
                return notStored(db);
    }
    if (!transaction.commit()) return notStored(db);
    if (id) *id = verification;
    return {};
}

namespace {

// Draws the report on one A4 page, in lines of text from the top down.
class ReportPage {
public:
    explicit ReportPage(QPdfWriter& writer) : m_painter(&writer), m_width(writer.width()) {
        m_font.setPointSizeF(10.0);
        m_painter.setFont(m_font);
        m_lineHeight = m_painter.fontMetrics().height() * 1.4;
    }
    bool isActive() const { return m_painter.isActive(); }

    void title(const QString& text) {
        QFont bold = m_font;
        bold.setPointSizeF(15.0);
        bold.setBold(true);
        m_painter.setFont(bold);
        m_y += m_painter.fontMetrics().height();
        m_painter.drawText(0, int(m_y), text);
        m_y += m_lineHeight;
        m_painter.setFont(m_font);
    }
    // One line of cells, each starting at its share of the page's width.
    void row(const QStringList& cells, const std::vector<double>& columnStarts, bool bold = false) {
        QFont font = m_font;
        font.setBold(bold);
        m_painter.setFont(font);
        m_y += m_lineHeight;
        for (qsizetype i = 0; i < cells.size() && size_t(i) < columnStarts.size(); ++i)
            m_painter.drawText(int(columnStarts[size_t(i)] * m_width), int(m_y), cells[i]);
        m_painter.setFont(m_font);
    }
    void line(const QString& text, bool bold = false) { row({text}, {0.0}, bold); }
    void gap() { m_y += m_lineHeight / 2; }

private:
    QPainter m_painter;
    QFont m_font;
    double m_width;
    double m_lineHeight = 0;
    double m_y = 0;
};

QString percent(double value) {
    return QString::number(value, 'f', 3);
}

}  // namespace

QString writeVerificationReport(const QString& pdfPath, const VerificationRecord& record) {
    if (QFileInfo::exists(pdfPath))
        return QStringLiteral("%1 exists already; the report is not written over it").arg(pdfPath);
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("力值检定报告"));
        ReportPage page(writer);
        if (!page.isActive()) return QStringLiteral("the report could not be drawn");

        const VerificationResult& r = record.result;
        const QString units = record.units.isEmpty() ? QStringLiteral("N") : record.units;
        page.title(QStringLiteral("力值检定报告  Force verification (ISO 7500-1)"));
        page.line(QStringLiteral("卡 Card: %1    档位 Gear: %2    量程 Range: %3 %4")
                      .arg(record.card)
                      .arg(record.gear)
                      .arg(record.readings.range_n, 0, 'f', 2)
                      .arg(units));
        page.line(
            QStringLiteral("日期 Date: %1    检定员 Operator: %2")
                .arg(record.verifiedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")), record.operatorName));
        page.line(QStringLiteral("标准器 Reference: %1    分辨力 Resolution r: %2 %3")
                      .arg(record.referenceSource)
                      .arg(r.resolution_n, 0, 'g', 4)
                      .arg(units));
        page.gap();

        const std::vector<double> columns{0.0, 0.08, 0.24, 0.42, 0.56, 0.70, 0.84};
        page.row({QStringLiteral("Step"), QStringLiteral("F (%1)").arg(units),
                  QStringLiteral("mean Fi (%1)").arg(units), QStringLiteral("q (%)"), QStringLiteral("b (%)"),
                  QStringLiteral("a (%)"), QStringLiteral("class")},
                 columns, true);
        for (size_t i = 0; i < r.steps.size(); ++i) {
            const StepEvaluation& s = r.steps[i];
            page.row({QString::number(i + 1), QString::number(s.reference_n, 'f', 2),
                      QString::number(s.meanIndicated_n, 'f', 2), percent(s.indicationError_pct),
                      percent(s.repeatability_pct), percent(s.resolution_pct), classText(s.stepClass)},
                     columns);
        }
        page.gap();
        page.line(QStringLiteral("零点误差 Zero error f0: %1 %").arg(percent(r.zeroError_pct)));
        page.line(QStringLiteral("Readings (series: reference / indicated, %1)").arg(units), true);
        // Five readings to a line: more steps than that would run off the page.
        constexpr size_t kReadingsPerLine = 5;
        for (size_t s = 0; s < record.readings.series.size(); ++s) {
            const std::vector<ForceReading>& readings = record.readings.series[s].readings;
            for (size_t first = 0; first < readings.size(); first += kReadingsPerLine) {
                QStringList cells;
                for (size_t i = first; i < std::min(readings.size(), first + kReadingsPerLine); ++i)
                    cells << QStringLiteral("%1 / %2")
                                 .arg(readings[i].reference_n, 0, 'f', 2)
                                 .arg(readings[i].indicated_n, 0, 'f', 2);
                page.line(QStringLiteral("%1:  %2")
                              .arg(first == 0 ? QString::number(s + 1) : QStringLiteral("  "))
                              .arg(cells.join(QStringLiteral("   "))));
            }
        }
        page.gap();
        page.line(QStringLiteral("级别 Class reached: %1").arg(classText(r.verificationClass)), true);
        page.gap();
        page.gap();
        page.line(QStringLiteral(
            "检定员签字 Verified by: ____________________    审核 Checked by: ____________________"));
    }
    pdf.close();

    QFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return withReason(QStringLiteral("the report %1 could not be written").arg(pdfPath),
                          file.errorString());
    if (file.write(pdf.data()) != pdf.data().size() || !file.flush()) {
        const QString reason = file.errorString();
        file.remove();
        return withReason(QStringLiteral("the report %1 could not be written").arg(pdfPath), reason);
    }
    return {};
}

}  // namespace springtest
