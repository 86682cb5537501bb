// Benchmarks of the spring testing software on the simulated machine. Each prints `name: value unit` lines.
//   springbench [acquisition|storage|capture|results|console|statistics|fullrate] [--seconds S]

#include "measurement/TDisplacement.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/StandardStorage.h"
#include "session/ApplicationFolder.h"
#include "session/MachineSession.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"

#include "ResultsBench.h"

#include "ConsoleBench.h"
#include "FullRateBench.h"
#include "LateralBench.h"
#include "LeafBench.h"
#include "PdfBench.h"
#include "StatisticsBench.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

using namespace springtest;

namespace {

struct NoQuestions : StartupPrompts {
    void driverMissing(const QString& m) override {
        std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData());
    }
    bool continueWithUnopenedCard(const QString& m) override {
        std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData());
        return false;
    }
};

void report(const char* name, double value, const char* unit) {
    std::printf("%s: %.2f %s\n", name, value, unit);
}

// Readings per second per card and the acquisition thread's CPU share, with `cards` cards on the simulated
// machine at its default conversion rate, for `seconds` of steady running.
bool benchAcquisition(int cards, double seconds) {
    QTemporaryDir dir;
    if (!initialiseApplicationFolder(dir.path()).error.isEmpty()) return false;
    ProfileFile(QDir(dir.path()).filePath("init0.dat")).writeInt("system", "CardSum", cards);
    QDir::setCurrent(dir.path());

    MachineSession session(dir.path());
    NoQuestions prompts;
    if (session.start(prompts) != MachineSession::Outcome::Running) return false;
    session.startAcquisition(nullptr);
    Tbankhk& loop = *session.acquisition();
    QThread::msleep(300);  // warm-up

    const uint64_t cycles0 = loop.cycles();
    const double cpu0 = loop.threadCpuSeconds();
    loop.resetCycleGap();
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(static_cast<unsigned long>(seconds * 1000));
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const uint64_t cycles = loop.cycles() - cycles0;
    const double cpu = loop.threadCpuSeconds() - cpu0;
    const double gap_ms = loop.longestCycleGapUs() / 1000.0;
    session.shutdown();
    QDir::setCurrent(QDir::tempPath());

    const QByteArray prefix = "acquisition." + QByteArray::number(cards) + "_card" + (cards > 1 ? "s" : "");
    report((prefix + ".readings_per_card").constData(), cycles / elapsed, "readings/s");
    report((prefix + ".thread_cpu").constData(), 100.0 * cpu / elapsed, "% of one core");
    report((prefix + ".longest_cycle_gap").constData(), gap_ms, "ms");
    return true;
}

struct NoGrid : ResultGrid {
    void setColumnWidths(const QList<int>&) override {}
    void setRowCount(int) override {}
    void setCell(int, int, const QString&) override {}
};

// A batch of a one-scheme application folder, made the way the operator makes it.
QString makeBatch(const QString& appFolder, const StandardScheme& scheme) {
    if (!initialiseApplicationFolder(appFolder).error.isEmpty()) return {};
    if (!insertScheme(schemeDatabasePath(appFolder), scheme)) return {};
    const BatchOutcome b = newBatch(appFolder, BatchKind::Standard, QStringLiteral("BENCH"),
                                    scheme.scheme_name, [](const QString&, const QString&) { return true; });
    return b.ok ? b.path : QString();
}

// Storing a 10 000-sample curve as one transaction, against the same rows stored one autocommit each.
bool benchStorage() {
    QTemporaryDir dir;
    StandardScheme scheme;
    scheme.scheme_name = QStringLiteral("S");
    scheme.scheme_style = QStringLiteral("0");
    scheme.scheme_sum = QStringLiteral("1");
    scheme.points[0] = {QStringLiteral("40"), QStringLiteral("0"), QStringLiteral("0")};
    const QString batch = makeBatch(dir.path(), scheme);
    if (batch.isEmpty()) return false;

    constexpr int kSamples = 10000;
    ttest_chart curve;
    for (int i = 0; i < kSamples; ++i) {
        curve.load << QString::number(i * 0.25, 'f', 2);
        curve.displacement << QString::number(50 - i * 0.001, 'f', 3);
        curve.deformation << QString::number(i * 0.001, 'f', 3);
        curve.stroke << QStringLiteral("1");
    }
    curve.count = kSamples;

    FinishedTest test;
    test.scheme.connection = batch;
    test.scheme.scheme_sum = 1;
    test.scheme.xuhao = 1;
    test.curve = curve;

    QElapsedTimer t;
    t.start();
    if (!storeStandardTest(test).ok) return false;
    const double transaction_ms = t.nsecsElapsed() / 1e6;

    Database db(batch);
    t.restart();
    for (int i = 0; i < kSamples; ++i) {
        QVariantMap row{{QStringLiteral("xuhao"), 2},
                        {QStringLiteral("load"), curve.load[i]},
                        {QStringLiteral("weiyi"), curve.displacement[i]},
                        {QStringLiteral("bianxing"), curve.deformation[i]},
                        {QStringLiteral("jinhuicheng"), curve.stroke[i]},
                        {QStringLiteral("number"), i + 1}};
        if (!db.insertRow(QStringLiteral("test_point"), row)) return false;
    }
    const double autocommit_ms = t.nsecsElapsed() / 1e6;
    report("storage.curve_10000_samples_one_transaction", transaction_ms, "ms");
    report("storage.curve_10000_samples_autocommit_each", autocommit_ms, "ms");
    report("storage.transaction_speedup", autocommit_ms / transaction_ms, "x");
    return true;
}

// A compression test on the simulated machine at a given speed: how far from its target each point was
// captured, how far the stored stiffness is from the spring's true rate, and how far the solid height from
// the simulated one. Stalled: the driver holds the acquisition loop up for 10 ms every 60 ms, after which the
// converter's buffered readings arrive back to back.
bool benchCapture(double speed_mm_per_min, bool stalled = false) {
    QTemporaryDir dir;
    const double rate = 10, freeHeight = 60, start = 60.5, solidHeight = 52;
    StandardScheme scheme;
    scheme.scheme_name = QStringLiteral("S");
    scheme.scheme_style = QStringLiteral("0");
    scheme.scheme_load = QStringLiteral("0.2");
    scheme.scheme_sum = QStringLiteral("3");
    scheme.scheme_yb = true;
    const double targets[] = {58.0, 56.0, 54.0};
    for (int k = 0; k < 3; ++k)
        scheme.points[static_cast<size_t>(k)] = {QString::number(targets[k]), QStringLiteral("0"),
                                                 QStringLiteral("0")};
    const QString batch = makeBatch(dir.path(), scheme);
    if (batch.isEmpty()) return false;
    ProfileFile sim(QDir(dir.path()).filePath(QStringLiteral("simcard.ini")));
    sim.writeString(QStringLiteral("card0"), QStringLiteral("start_position_mm"), QString::number(start));
    sim.writeString(QStringLiteral("card0"), QStringLiteral("noise_seed"), QStringLiteral("99"));
    sim.writeString(QStringLiteral("card0"), QStringLiteral("solid_height_mm"), QString::number(solidHeight));
    if (stalled) {
        sim.writeString(QStringLiteral("card0"), QStringLiteral("stall_ms"), QStringLiteral("10"));
        sim.writeString(QStringLiteral("card0"), QStringLiteral("stall_every_ms"), QStringLiteral("60"));
    }
    QDir::setCurrent(dir.path());

    MachineSession session(dir.path());
    NoQuestions prompts;
    if (session.start(prompts) != MachineSession::Outcome::Running) return false;
    TTestStyle seq(0, session.cards());
    installProceduresForMachineType(seq);
    session.startAcquisition(&seq.sampleSlot());
    NoGrid grid;
    if (!openBatchForTesting(seq, &grid, batch).ok) return false;
    CardSlot& slot = session.cards().cards[0];
    slot.displacement->setSide(1);
    slot.displacement->SetDisplacement(static_cast<float>(start));
    QThread::msleep(20);
    seq.SetTestSpeed(static_cast<float>(speed_mm_per_min));
    seq.SetSpeedMode(SpeedMode::Constant);
    seq.StartTest(0);
    QElapsedTimer t;
    t.start();
    while (!seq.isIdle() && t.elapsed() < 600000) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    session.shutdown();
    QDir::setCurrent(QDir::tempPath());

    Database db(batch);
    const auto rows = db.select(QStringLiteral("select * from test_result"));
    if (!rows || rows->isEmpty()) return false;
    // The first point's stiffness is the secant from the height at the initial force; the others are slopes
    // between points. Both are compared with the spring's rate.
    double captureError = 0, stiffnessError = 0, firstStiffnessError = 0;
    for (int k = 1; k <= 3; ++k) {
        const double load = rows->first().toDouble(QStringLiteral("result") + QString::number(k));
        captureError = std::max(captureError, std::abs((freeHeight - load / rate) - targets[k - 1]));
        const double stiffness = rows->first().toDouble(QStringLiteral("gangdu") + QString::number(k));
        const double error = std::abs(stiffness - rate) / rate * 100;
        if (k == 1)
            firstStiffnessError = error;
        else
            stiffnessError = std::max(stiffnessError, error);
    }
    const double solidError = std::abs(rows->first().toDouble(QStringLiteral("yb_height")) - solidHeight);
    const QByteArray prefix =
        "capture." + QByteArray::number(speed_mm_per_min) + "_mm_per_min" + (stalled ? "_stalled" : "");
    report((prefix + ".largest_point_error").constData(), captureError * 1000, "um");
    report((prefix + ".first_point_stiffness_error").constData(), firstStiffnessError, "%");
    report((prefix + ".largest_slope_stiffness_error").constData(), stiffnessError, "%");
    report((prefix + ".solid_height_error").constData(), solidError * 1000, "um");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // The console benchmark opens the real windows; without a display they draw offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    double seconds = 3.0;
    const qsizetype s = args.indexOf(QStringLiteral("--seconds"));
    if (s >= 0 && s + 1 < args.size()) {
        seconds = args[s + 1].toDouble();
        args.remove(s, 2);
    }
    const std::map<QString, std::function<bool()>> benches = {
        {QStringLiteral("acquisition"),
         [&] { return benchAcquisition(1, seconds) && benchAcquisition(5, seconds); }},
        {QStringLiteral("storage"), [] { return benchStorage(); }},
        {QStringLiteral("capture"),
         [] {
             return benchCapture(10) && benchCapture(100) && benchCapture(500) && benchCapture(500, true);
         }},
        {QStringLiteral("results"), [] { return benchResults(); }},
        {QStringLiteral("console"), [] { return benchConsole(); }},
        {QStringLiteral("statistics"), [] { return benchStatistics(); }},
        {QStringLiteral("certificate"), [] { return benchCertificate(); }},
        {QStringLiteral("leaf"), [] { return benchLeafSpring(); }},
        {QStringLiteral("fullrate"), [] { return benchFullRate(); }},
        {QStringLiteral("lateral"), [] { return benchLateral(); }},
    };
    if (args.isEmpty()) {
        for (const auto& [name, run] : benches)
            if (!run()) return 1;
        return 0;
    }
    for (const QString& name : args) {
        const auto it = benches.find(name);
        if (it == benches.end()) {
            std::fprintf(stderr, "unknown benchmark: %s\n", name.toLocal8Bit().constData());
            return 2;
        }
        if (!it->second()) return 1;
    }
    return 0;
}
