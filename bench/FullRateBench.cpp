#include "FullRateBench.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "results/Ttest_result.h"
#include "sequencer/procedures/StandardStorage.h"
#include "session/ApplicationFolder.h"
#include "storage/Batch.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"

namespace springtest {

namespace {

constexpr int kReadings = 60000;
constexpr int kRuns = 7;

void report(const char* name, double value, const char* unit) {
    std::printf("%s: %.2f %s\n", name, value, unit);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A minute of a compression test as the sequencer hands it over: every reading, and the 100 ms rows.
FinishedTest minuteOfTest(const QString& batch) {
    FinishedTest test;
    test.scheme.connection = batch;
    test.scheme.scheme_sum = 1;
    for (int i = 0; i < kReadings; ++i) {
        const float d = 30.0f * i / kReadings;
        const float noise = 0.05f * std::sin(i * 0.7f);
        test.fullRate.push_back({i * 0.001f, d * 10 + noise, 60 - d, d, i < kReadings / 2 ? 1 : 2});
        if (i % 100 == 0) {
            test.curve.load << QString::number(d * 10 + noise, 'f', 2);
            test.curve.displacement << QString::number(60 - d, 'f', 3);
            test.curve.deformation << QString::number(d, 'f', 3);
            test.curve.stroke << QString::number(i < kReadings / 2 ? 1 : 2);
            ++test.curve.count;
        }
    }
    test.operatorName = QStringLiteral("张工");
    return test;
}

}  // namespace

bool benchFullRate() {
    QTemporaryDir dir;
    if (!dir.isValid() || !initialiseApplicationFolder(dir.path(), 0).error.isEmpty()) return false;
    StandardScheme scheme;
    scheme.scheme_name = QStringLiteral("S");
    scheme.scheme_style = QStringLiteral("0");
    scheme.scheme_sum = QStringLiteral("1");
    scheme.points[0] = {QStringLiteral("40"), QStringLiteral("0"), QStringLiteral("0")};
    if (!insertScheme(schemeDatabasePath(dir.path()), scheme)) return false;
    const BatchOutcome made =
        newBatch(dir.path(), BatchKind::Standard, QStringLiteral("FULL"), scheme.scheme_name,
                 [](const QString&, const QString&) { return true; });
    if (!made.ok) return false;

    FinishedTest test = minuteOfTest(made.path);
    std::vector<double> storing;
    for (int run = 1; run <= kRuns; ++run) {
        test.scheme.xuhao = run;
        QElapsedTimer t;
        t.start();
        const TTestStyle::StoreOutcome stored = storeStandardTest(test);
        storing.push_back(t.nsecsElapsed() / 1e6);
        if (!stored.ok) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(stored.error));
            return false;
        }
    }
    report("fullrate.store_test_60000_readings_ms", median(storing), "ms (median of 7; target <= 100)");

    auto opened = Ttest_result::open(made.path);
    if (!opened.result) return false;
    Ttest_result& browser = *opened.result;
    browser.setCurveColumns(1000);
    std::vector<double> replaying;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        if (!browser.ShowCurve(run % browser.results().size()).isEmpty()) return false;
        replaying.push_back(t.nsecsElapsed() / 1e6);
    }
    report("fullrate.replay_60000_readings_1000px_ms", median(replaying), "ms (median of 7; target <= 50)");
    report("fullrate.replay_points_drawn", browser.pointCount(), "points");
    return true;
}

}  // namespace springtest
