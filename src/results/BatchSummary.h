#pragma once

#include "results/BatchStatistics.h"
#include "results/TestCertificate.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace springtest {

// One test as the batch summary lists it: a line each.
struct SummaryLine {
    int serial = 0;
    QString testedAt;  // ISO form
    QString operatorName;
    QString height;
    QString solidHeight;
    int judged = 0;  // values with limits that were measured
    int failed = 0;  // of those, outside their limits
    QString verdict;
};

// A standard batch for its summary report: the statistics of every quantity and a line per test.
struct BatchSummary {
    ReportContext context;
    QString scheme;
    QString batch;
    QList<QuantityRow> statistics;  // quantities without values are left out
    QList<SummaryLine> tests;       // in serial order
};

// Nothing, with the reason in `error`, when the batch cannot be read or holds no test.
std::optional<BatchSummary> readBatchSummary(const QString& batchPath, const ReportContext& context,
                                             QString* error);

// The summary as a PDF: the statistics first, then the tests, as many A4 pages as they take.
QByteArray batchSummaryPdf(const BatchSummary& summary, QString* error = nullptr);

}  // namespace springtest
