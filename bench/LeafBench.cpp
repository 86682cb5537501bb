#include "LeafBench.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"
#include "platform/WindowTarget.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/TTestStyle.h"
#include "session/ApplicationFolder.h"
#include "session/MachineSession.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"

#include "SimCardTestApi.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <map>

#include <dlfcn.h>

namespace springtest {

namespace {

constexpr double kSpeed_mm_per_min = 300, kStart_mm = 130, kInitialForce_n = 20, kSetLoad_n = 1000;
const double kPoints_n[] = {1000, 2000, 3000};

struct Silent : StartupPrompts {
    void driverMissing(const QString&) override {}
    bool continueWithUnopenedCard(const QString&) override { return false; }
};

struct NoGrid : ResultGrid {
    void setColumnWidths(const QList<int>&) override {}
    void setRowCount(int) override {}
    void setCell(int, int, const QString&) override {}
};

// The simulator's test functions, from the driver the session has loaded.
struct Simulator {
    sim::SimGetFn get = nullptr;
    sim::SimSetFn set = nullptr;
    Simulator() {
        const QByteArray path = (QCoreApplication::applicationDirPath() + "/libRX720.so").toLocal8Bit();
        if (void* library = dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE)) {
            get = reinterpret_cast<sim::SimGetFn>(dlsym(library, "SimGet"));
            set = reinterpret_cast<sim::SimSetFn>(dlsym(library, "SimSet"));
        }
    }
    // The arc height at which the spring as it is now carries `load`, pressed further or let up.
    double arc(double load, bool loading) const {
        set(0, "leaf_probe_load_n", load);
        return get(0, loading ? "leaf_loading_arc_mm" : "leaf_unloading_arc_mm");
    }
};

void report(const char* name, double value, const char* unit) {
    std::printf("leaf.%s: %.2f %s\n", name, value, unit);
}

QString makeLeafBatch(const QString& folder) {
    if (!initialiseApplicationFolder(folder, 3).error.isEmpty()) return {};
    ProfileFile(QDir(folder).filePath(QStringLiteral("init0.dat")))
        .writeString(QStringLiteral("Load"), QStringLiteral("auto_gear"), QStringLiteral("1"));
    ProfileFile sim(QDir(folder).filePath(QStringLiteral("simcard.ini")));
    sim.writeString(QStringLiteral("card0"), QStringLiteral("specimen"), QStringLiteral("leaf"));
    sim.writeString(QStringLiteral("card0"), QStringLiteral("start_position_mm"), QString::number(kStart_mm));
    sim.writeString(QStringLiteral("card0"), QStringLiteral("noise_seed"), QStringLiteral("99"));
    LeafSpringScheme s;
    s.scheme_name = QStringLiteral("L");
    s.scheme_load = QString::number(kInitialForce_n);
    s.scheme_sum = QStringLiteral("3");
    for (int k = 0; k < 3; ++k)
        s.points[static_cast<size_t>(k)] = {QString::number(kPoints_n[k]), QStringLiteral("0"),
                                            QStringLiteral("0")};
    s.scheme_sdload = QString::number(kSetLoad_n);
    s.scheme_th_height = QStringLiteral("30");
    s.scheme_xc_height = QStringLiteral("50");
    s.scheme_yyload = QStringLiteral("3000");
    s.scheme_returnLOAD = QStringLiteral("3600");
    if (!insertScheme(schemeDatabasePath(folder), s)) return {};
    const BatchOutcome batch = newBatch(folder, BatchKind::LeafSpring, QStringLiteral("LB"), s.scheme_name,
                                        [](const QString&, const QString&) { return true; });
    return batch.ok ? batch.path : QString();
}

}  // namespace

bool benchLeafSpring() {
    QTemporaryDir dir;
    const QString batch = makeLeafBatch(dir.path());
    if (batch.isEmpty()) return false;
    const Simulator simulator;
    if (!simulator.get || !simulator.set) return false;
    QDir::setCurrent(dir.path());

    MachineSession session(dir.path());
    Silent prompts;
    if (session.start(prompts) != MachineSession::Outcome::Running) return false;
    TTestStyle seq(3, session.cards());
    installProceduresForMachineType(seq);
    // What the spring is at the start of each pressing, clear of the platen.
    std::map<int, std::map<double, std::pair<double, double>>> truth;
    bool stored = false;
    WindowTarget panel([&](int) {
        if (seq.state() == TestState::Stored) stored = true;
        if (seq.state() != TestState::Started) return;
        for (const double load : {kInitialForce_n, kSetLoad_n, kPoints_n[0], kPoints_n[1], kPoints_n[2]})
            truth[seq.cycle()][load] = {simulator.arc(load, true), simulator.arc(load, false)};
    });
    seq.setPanelTarget(&panel);
    session.startAcquisition(&seq.sampleSlot());
    NoGrid grid;
    const bool opened = openBatchForTesting(seq, &grid, batch).ok;
    session.cards().cards[0].displacement->SetDisplacement(static_cast<float>(kStart_mm));
    Tbankhk& loop = *session.acquisition();
    double gap_ms = 0;
    if (opened) {
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 100) QCoreApplication::processEvents();
        seq.SetPrecompressCount(2);
        seq.SetTestSpeed(static_cast<float>(kSpeed_mm_per_min));
        seq.SetSpeedMode(SpeedMode::Constant);
        loop.resetCycleGap();
        seq.StartTest(0);
        QElapsedTimer t;
        t.start();
        while (!(stored && seq.isIdle()) && t.elapsed() < 600000) {
            QEventLoop wait;
            QTimer::singleShot(10, &wait, &QEventLoop::quit);
            wait.exec();
        }
        gap_ms = loop.longestCycleGapUs() / 1000.0;
    }
    seq.setPanelTarget(nullptr);
    session.shutdown();
    QDir::setCurrent(QDir::tempPath());
    if (!stored || truth.size() != 4) return false;

    Database db(batch);
    const auto rows = db.select(QStringLiteral("select * from GBTH_result"));
    if (!rows || rows->isEmpty()) return false;
    const DbRow& row = rows->first();
    const auto loaded = [&](int cycle, double load) { return truth[cycle][load].first; };
    const double arcError =
        std::max({std::abs(row.toDouble(QStringLiteral("ziyou_height")) - loaded(1, kInitialForce_n)),
                  std::abs(row.toDouble(QStringLiteral("yahou_height")) - loaded(4, kInitialForce_n)),
                  std::abs(row.toDouble(QStringLiteral("SD_HEIGHT")) - loaded(3, kSetLoad_n))});
    double pointError = 0, stiffnessError = 0;
    const double contact = loaded(4, kInitialForce_n);
    for (int k = 1; k <= 3; ++k) {
        const double load = kPoints_n[k - 1];
        const double down = contact - truth[4][load].first, up = contact - truth[4][load].second;
        pointError = std::max({pointError, std::abs(row.toDouble(QStringLiteral("result1-%1").arg(k)) - down),
                               std::abs(row.toDouble(QStringLiteral("result2-%1").arg(k)) - up)});
        const double stiffness = load / ((down + up) / 2);
        stiffnessError =
            std::max(stiffnessError,
                     std::abs(row.toDouble(QStringLiteral("gangdu%1").arg(k)) - stiffness) / stiffness * 100);
    }
    report("largest_reading_gap", gap_ms, "ms");
    report("300_mm_per_min.largest_arc_height_error", arcError * 1000, "um");
    report("300_mm_per_min.largest_point_error", pointError * 1000, "um");
    report("300_mm_per_min.largest_stiffness_error", stiffnessError, "%");
    return true;
}

}  // namespace springtest
