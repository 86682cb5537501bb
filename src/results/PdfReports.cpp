#include "results/PdfReports.h"

#include "results/BatchSummary.h"
#include "results/ReportFiles.h"

#include <QDateTime>
#include <QFileInfo>

namespace springtest {

namespace {

ExportOutcome failed(const QString& detail) {
    return {kPdfReportFailed.toString(), detail, QString()};
}

ExportOutcome saveAndShow(const ExportRequest& request, const QByteArray& pdf, const QString& stem,
                          const QString& path) {
    QString error;
    QString target = path;
    if (target.isEmpty()) {
        const QString folder = reportFolder(request.applicationFolder, &error);
        if (folder.isEmpty()) return failed(error);
        target =
            newReportPath(folder, reportFileStem(stem), QDateTime::currentDateTime(), QStringLiteral(".pdf"));
    }
    if (error = writePdfFile(target, pdf); !error.isEmpty()) return failed(error);
    ExportOutcome outcome{QString(), QString(), target};
    if (request.opener) {
        if (error = request.opener->open(target); !error.isEmpty()) {
            outcome.message = kPdfReportFailed.toString();
            outcome.detail = error;
        }
    }
    return outcome;
}

}  // namespace

ExportOutcome saveCertificatePdf(const ExportRequest& request, const QString& batchPath, int serial,
                                 const ReportContext& context, const QString& path) {
    QString error;
    const auto certificate = readTestCertificate(batchPath, serial, context, &error);
    if (!certificate) return failed(error);
    const QByteArray pdf = certificatePdf(*certificate, &error);
    if (pdf.isEmpty()) return failed(error);
    return saveAndShow(request, pdf, QStringLiteral("%1_%2_证书").arg(certificate->batch).arg(serial), path);
}

ExportOutcome saveBatchSummaryPdf(const ExportRequest& request, const QString& batchPath,
                                  const ReportContext& context, const QString& path) {
    QString error;
    const auto summary = readBatchSummary(batchPath, context, &error);
    if (!summary) return failed(error);
    const QByteArray pdf = batchSummaryPdf(*summary, &error);
    if (pdf.isEmpty()) return failed(error);
    return saveAndShow(request, pdf, summary->batch + QStringLiteral("_汇总"), path);
}

}  // namespace springtest
