#include "PdfBench.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "results/PdfReports.h"
#include "session/ApplicationFolder.h"
#include "session/MachineReportContext.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"

namespace springtest {

namespace {

void report(const char* name, double value, const char* unit) {
    std::printf("%s: %.2f %s\n", name, value, unit);
}

// Test 1 with both strokes of ten points and `samples` curve samples, as the storer writes them.
bool fillTest(const QString& path, int samples) {
    Database db(path);
    Transaction tx(db);
    if (!tx.isActive()) return false;
    for (const QString& stroke : {QStringLiteral("进"), QStringLiteral("回")}) {
        QVariantMap row{{QStringLiteral("xuhao"), 1},
                        {QStringLiteral("jinhuicheng"), stroke},
                        {QStringLiteral("height"), QStringLiteral("59.90")},
                        {QStringLiteral("yb_height"), QStringLiteral("29.98")},
                        {QStringLiteral("date"), QStringLiteral("2024-05-06 10:11:12")}};
        for (int k = 1; k <= 10; ++k) {
            row.insert(QStringLiteral("result%1").arg(k), QString::number(100 + 50 * (k - 1) + 0.3, 'f', 2));
            row.insert(QStringLiteral("gangdu%1").arg(k), QStringLiteral("10.02"));
        }
        if (!db.insertRow(QStringLiteral("test_result"), row)) return false;
    }
    for (int i = 1; i <= samples; ++i) {
        const double d = 60.0 * i / samples;
        if (!db.insertRow(QStringLiteral("test_point"),
                          {{QStringLiteral("xuhao"), 1},
                           {QStringLiteral("number"), i},
                           {QStringLiteral("load"), QString::number(d * 10 + (i % 5) * 0.05, 'f', 2)},
                           {QStringLiteral("weiyi"), QString::number(60 - d, 'f', 3)},
                           {QStringLiteral("bianxing"), QString::number(d, 'f', 3)},
                           {QStringLiteral("jinhuicheng"), QStringLiteral("1")}}))
            return false;
    }
    return storeTestOperator(db, 1, QStringLiteral("张工")) && tx.commit();
}

}  // namespace

bool benchCertificate() {
    QTemporaryDir dir;
    if (!dir.isValid() || !initialiseApplicationFolder(dir.path(), 0).error.isEmpty()) return false;
    StandardScheme scheme;
    scheme.scheme_name = QStringLiteral("压簧A-01");
    scheme.scheme_style = QStringLiteral("0");
    scheme.scheme_jh = 2;
    scheme.scheme_sum = QStringLiteral("10");
    for (int k = 0; k < 10; ++k)
        scheme.points[static_cast<size_t>(k)] = {QString::number(55 - 5 * k), QString::number(110 + 50 * k),
                                                 QString::number(90 + 50 * k)};
    scheme.scheme_gangdu_max = QStringLiteral("11");
    scheme.scheme_gangdu_min = QStringLiteral("9");
    const ReportContext context = machineReportContext(dir.path());
    if (!insertScheme(schemeDatabasePath(dir.path()), scheme)) return false;
    for (const int samples : {600, 60000}) {
        const BatchOutcome made =
            newBatch(dir.path(), BatchKind::Standard, QStringLiteral("P%1").arg(samples), scheme.scheme_name,
                     [](const QString&, const QString&) { return true; });
        if (!made.ok || !fillTest(made.path, samples)) return false;
        ExportRequest request;
        request.applicationFolder = dir.path();
        std::vector<double> times;
        for (int run = 0; run < 7; ++run) {
            QElapsedTimer t;
            t.start();
            const ExportOutcome out = saveCertificatePdf(request, made.path, 1, context);
            times.push_back(t.nsecsElapsed() / 1e6);
            if (!out.message.isEmpty()) {
                std::fprintf(stderr, "%s\n", qUtf8Printable(out.message + QLatin1Char(' ') + out.detail));
                return false;
            }
        }
        std::sort(times.begin(), times.end());
        const QByteArray name = QStringLiteral("certificate_pdf_%1_samples_ms").arg(samples).toUtf8();
        report(name.constData(), times[times.size() / 2], "ms (median of 7; target <= 300)");
    }
    return true;
}

}  // namespace springtest
