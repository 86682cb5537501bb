#include "StatisticsBench.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "results/StandardQuantities.h"
#include "results/Ttest_result.h"
#include "session/ApplicationFolder.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"

namespace springtest {

namespace {

constexpr int kTests = 10000;

void report(const char* name, double value, const char* unit) {
    std::printf("%s: %.2f %s\n", name, value, unit);
}

// Two stroke rows per test, every number varying from test to test, as the savers store them.
bool fillBatch(const QString& path) {
    Database db(path);
    Transaction tx(db);
    QStringList columns{QStringLiteral("xuhao"), QStringLiteral("jinhuicheng")};
    QStringList values{QStringLiteral("x"), QStringLiteral("s")};
    for (int k = 1; k <= 10; ++k) {
        columns << QStringLiteral("result%1").arg(k) << QStringLiteral("gangdu%1").arg(k);
        values << QStringLiteral("printf('%.2f', %1 + (abs(random()) % 1000) * 0.001)").arg(k * 10)
               << QStringLiteral("printf('%.2f', 9.5 + (abs(random()) % 1000) * 0.001)");
    }
    columns << QStringLiteral("height") << QStringLiteral("yb_height") << QStringLiteral("date");
    values << QStringLiteral("printf('%.3f', 60 + (x % 97) * 0.001)") << QStringLiteral("'20.00'")
           << QStringLiteral("'2024-05-06 10:11:12'");
    const QString sql = QStringLiteral(
                            "insert into test_result (%1) with recursive t(x) as (select 1 union all select "
                            "x + 1 from t where x < %2), s(s) as (select '进' union all select '回') "
                            "select %3 from t, s order by x, s desc")
                            .arg(columns.join(QStringLiteral(", ")))
                            .arg(kTests)
                            .arg(values.join(QStringLiteral(", ")));
    return tx.isActive() && db.exec(sql) && tx.commit();
}

template <typename Work>
double median_ms(int runs, Work work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        if (!work()) return -1;
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

bool benchStatistics() {
    QTemporaryDir dir;
    if (!initialiseApplicationFolder(dir.path()).error.isEmpty()) return false;
    StandardScheme scheme;
    scheme.scheme_name = QStringLiteral("S");
    scheme.scheme_style = QStringLiteral("0");
    scheme.scheme_sum = QStringLiteral("10");
    scheme.scheme_jh = 2;
    for (int k = 0; k < 10; ++k)
        scheme.points[k] = {QString::number(40 - k), QString::number((k + 1) * 10 + 0.9),
                            QString::number((k + 1) * 10 + 0.1)};
    scheme.scheme_gangdu_max = QStringLiteral("10.4");
    scheme.scheme_gangdu_min = QStringLiteral("9.6");
    scheme.scheme_yb = true;
    if (!insertScheme(schemeDatabasePath(dir.path()), scheme)) return false;
    const BatchOutcome batch =
        newBatch(dir.path(), BatchKind::Standard, QStringLiteral("STATS"), scheme.scheme_name,
                 [](const QString&, const QString&) { return true; });
    if (!batch.ok || !fillBatch(batch.path)) return false;

    auto opened = Ttest_result::open(batch.path);
    if (!opened.result) return false;
    const Ttest_result& browser = *opened.result;
    qsizetype quantities = 0;
    // Target: at most 100 ms.
    const double compute_ms = median_ms(9, [&] {
        quantities = standardBatchStatistics(browser.results(), browser.scheme(), BatchUnits{}).size();
        return quantities > 0;
    });
    report("statistics.quantities", static_cast<double>(quantities), "");
    report("statistics.compute_10000_tests", compute_ms, "ms");
    const double open_ms = median_ms(5, [&] {
        auto again = Ttest_result::open(batch.path);
        return again.result &&
               !standardBatchStatistics(again.result->results(), again.result->scheme(), BatchUnits{})
                    .isEmpty();
    });
    report("statistics.open_and_compute_10000_tests", open_ms, "ms");
    return compute_ms >= 0 && open_ms >= 0;
}

}  // namespace springtest
