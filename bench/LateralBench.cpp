#include "LateralBench.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
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
#include "storage/TestOffsetAngle.h"
#include "windows/common/FindByName.h"
#include "windows/console/ControlPanel.h"
#include "windows/mainwindow/Tfmain.h"

#include "SimCardTestApi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

#include <dlfcn.h>

namespace springtest {

namespace {

// The axial spring of 10 N/mm stands 2 mm below the crosshead; its top moves 0.05 mm sideways per mm it is
// pressed, toward 350° with the turntable at 0, so positioning turns it 10° up. The lateral spring carries
// 20 N/mm.
constexpr double kAxialRate_n_per_mm = 10, kOffsetPerMm = 0.05, kOffsetAngle_deg = 350, kStart_mm = 62;
constexpr double kInitialForce_n = 0.5, kLateralRate_n_per_mm = 20;
constexpr double kAxialSpeed_mm_per_min = 300, kLateralSpeed_mm_per_min = 120;
const double kAxialPoints_mm[] = {55, 50, 45};
const double kLateralPoints_mm[] = {2, 4, 6};

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
    Simulator() {
        const QByteArray path = (QCoreApplication::applicationDirPath() + "/libRX720.so").toLocal8Bit();
        if (void* library = dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE))
            get = reinterpret_cast<sim::SimGetFn>(dlsym(library, "SimGet"));
    }
};

void report(const char* name, double value, const char* unit) {
    std::printf("lateral.%s: %.2f %s\n", name, value, unit);
}

StandardScheme scheme(const char* name, bool axial) {
    StandardScheme s;
    s.scheme_name = QString::fromLatin1(name);
    s.scheme_style = axial ? QStringLiteral("0") : QStringLiteral("1");
    s.scheme_jh = axial ? 1 : 2;
    s.scheme_type = axial;
    s.scheme_height = axial ? QStringLiteral("60") : QStringLiteral("0");
    s.scheme_load = axial ? QString::number(kInitialForce_n) : QStringLiteral("0.2");
    s.scheme_sum = QStringLiteral("3");
    for (int k = 0; k < 3; ++k)
        s.points[static_cast<size_t>(k)] = {
            QString::number(axial ? kAxialPoints_mm[k] : kLateralPoints_mm[k]), QStringLiteral("0"),
            QStringLiteral("0")};
    return s;
}

// A type-5 installation with the springs above, an axial batch "A" and a lateral batch "L".
bool setUpMachine(const QString& folder) {
    if (!initialiseApplicationFolder(folder, 5).error.isEmpty()) return false;
    ProfileFile sim(QDir(folder).filePath(QStringLiteral("simcard.ini")));
    const QList<std::pair<const char*, double>> axial{{"start_position_mm", kStart_mm},
                                                      {"free_height_mm", 60},
                                                      {"rate_n_per_mm", kAxialRate_n_per_mm},
                                                      {"lateral_offset_per_mm", kOffsetPerMm},
                                                      {"lateral_offset_angle_deg", kOffsetAngle_deg},
                                                      {"noise_seed", 99}};
    for (const auto& [key, value] : axial)
        sim.writeString(QStringLiteral("card0"), QString::fromLatin1(key), QString::number(value));
    sim.writeString(QStringLiteral("card1"), QStringLiteral("lateral_rate_n_per_mm"),
                    QString::number(kLateralRate_n_per_mm));
    const auto yes = [](const QString&, const QString&) { return true; };
    for (const auto& [name, axial] : {std::pair{"A", true}, {"L", false}}) {
        if (!insertScheme(schemeDatabasePath(folder), scheme(name, axial))) return false;
        if (!newBatch(folder, BatchKind::Lateral, QString::fromLatin1(name), QString::fromLatin1(name), yes)
                 .ok)
            return false;
    }
    return true;
}

// Runs the event loop until the test has been stored (or failed to be) and nothing is left to do, the
// turntable included; false on timeout.
bool awaitStored(TTestStyle& seq, const std::function<bool()>& stored) {
    QElapsedTimer t;
    t.start();
    while (!(stored() && seq.isIdle() && !seq.turntableTimerActive()) && t.elapsed() < 180000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return stored();
}

QList<DbRow> rows(const QString& batch) {
    Database db(batch);
    return db.select(QStringLiteral("select * from test_result order by rowid")).value_or(QList<DbRow>{});
}

// The axial test through the console with automatic rotation: the reading gap while it runs and turns, and
// the captured offsets against the spring's law (taken at the load the point was captured at, relative to
// the contact, where the sensors are zeroed).
bool axialThroughTheConsole(const QString& folder, const Simulator& simulator) {
    const QString batch = QDir(folder).filePath(batchFolder(BatchKind::Lateral) + QStringLiteral("A.mdb"));
    ScriptedPrompts scripted;
    scripted.files << batch;
    setPrompts(&scripted);
    bool ok = false;
    double turntable_deg = std::nan("");
    {
        Tfmain window(folder);
        window.show();
        QApplication::processEvents();
        TTestStyle* seq = window.sequencer();
        auto* start =
            findByName<QAbstractButton>(window.controlPanel(), QStringLiteral("bsSkinSpeedButton25"));
        if (window.startupState() == Tfmain::Startup::Running && seq && start) {
            window.OpenBatchFile(batchFolderForMachineType(5));
            window.session().cards().cards[0].displacement->SetDisplacement(static_cast<float>(kStart_mm));
            seq->SetTestSpeed(static_cast<float>(kAxialSpeed_mm_per_min));
            seq->SetSpeedMode(SpeedMode::Constant);
            seq->SetAutoRotate(true);
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 100) QApplication::processEvents();
            Tbankhk& loop = *window.session().acquisition();
            loop.resetCycleGap();
            const uint64_t cycles0 = loop.cycles();
            QElapsedTimer t;
            t.start();
            start->click();
            ok = awaitStored(*seq, [&] {
                return seq->state() == TestState::TurntablePositioned ||
                       seq->state() == TestState::StoreFailed || seq->state() == TestState::TurntableRefused;
            });
            ok = ok && seq->state() == TestState::TurntablePositioned;
            report("console.largest_reading_gap", loop.longestCycleGapUs() / 1000.0, "ms");
            report("console.loop_rate", (loop.cycles() - cycles0) / (t.nsecsElapsed() / 1e9), "readings/s");
            turntable_deg = simulator.get(2, "turntable_angle_deg");
        } else {
            std::printf("lateral.console: the lateral control panel is not there\n");
        }
        window.close();
    }
    setPrompts(nullptr);
    if (!ok) return false;

    const QList<DbRow> stored = rows(batch);
    if (stored.isEmpty()) return false;
    const DbRow& row = stored.first();
    double offsetError = 0;
    const double theta = kOffsetAngle_deg * std::numbers::pi / 180;
    for (int k = 1; k <= 3; ++k) {
        const double r = kOffsetPerMm * (row.toDouble(QStringLiteral("result%1").arg(k)) - kInitialForce_n) /
                         kAxialRate_n_per_mm;
        offsetError = std::max(
            {offsetError, std::abs(row.toDouble(QStringLiteral("x_value%1").arg(k)) + r * std::sin(theta)),
             std::abs(row.toDouble(QStringLiteral("y_value%1").arg(k)) + r * std::cos(theta)),
             std::abs(row.toDouble(QStringLiteral("pianyi_value%1").arg(k)) - r)});
    }
    Database db(batch);
    const auto angles = readTestOffsetAngles(db);
    const double angle = angles ? angles->value(1).toDouble() : std::nan("");
    report("axial.largest_offset_error", offsetError * 1000, "um");
    report("axial.angle_error", std::abs(std::remainder(angle - kOffsetAngle_deg, 360.0)), "deg");
    report("turntable.error", std::abs(std::remainder(kOffsetAngle_deg + turntable_deg, 360.0)), "deg");
    return true;
}

// The lateral test in a session of its own: its loads and stiffness both ways against the lateral spring.
bool lateralInTheSession(const QString& folder) {
    const QString batch = QDir(folder).filePath(batchFolder(BatchKind::Lateral) + QStringLiteral("L.mdb"));
    MachineSession session(folder);
    Silent prompts;
    if (session.start(prompts) != MachineSession::Outcome::Running) return false;
    TTestStyle seq(5, session.cards());
    installProceduresForMachineType(seq);
    bool stored = false;
    WindowTarget panel([&](int) { stored = stored || seq.state() == TestState::Stored; });
    seq.setPanelTarget(&panel);
    session.startAcquisition(&seq.sampleSlot());
    NoGrid grid;
    bool ok = openBatchForTesting(seq, &grid, batch).ok;
    Tbankhk& loop = *session.acquisition();
    if (ok) {
        seq.SetTestSpeed(static_cast<float>(kLateralSpeed_mm_per_min));
        seq.SetSpeedMode(SpeedMode::Constant);
        loop.resetCycleGap();
        seq.StartTest(1);
        ok = awaitStored(seq, [&] { return stored; });
        report("lateral_test.largest_reading_gap", loop.longestCycleGapUs() / 1000.0, "ms");
    }
    seq.setPanelTarget(nullptr);
    session.shutdown();
    const QList<DbRow> stroke = rows(batch);
    if (!ok || stroke.size() != 2) return false;
    double loadError = 0, stiffnessError = 0;
    for (const DbRow& row : stroke)
        for (int k = 1; k <= 3; ++k) {
            const double truth = kLateralRate_n_per_mm * kLateralPoints_mm[k - 1];
            loadError = std::max(loadError,
                                 std::abs(row.toDouble(QStringLiteral("result%1").arg(k)) - truth) / truth);
            stiffnessError =
                std::max(stiffnessError,
                         std::abs(row.toDouble(QStringLiteral("gangdu%1").arg(k)) - kLateralRate_n_per_mm) /
                             kLateralRate_n_per_mm);
        }
    report("lateral_test.largest_load_error", loadError * 100, "%");
    report("lateral_test.largest_stiffness_error", stiffnessError * 100, "%");
    return true;
}

}  // namespace

bool benchLateral() {
    QTemporaryDir dir;
    if (!setUpMachine(dir.path())) return false;
    const Simulator simulator;
    if (!simulator.get) return false;
    QDir::setCurrent(dir.path());
    const bool axial = axialThroughTheConsole(dir.path(), simulator);
    const bool lateral = lateralInTheSession(dir.path());
    QDir::setCurrent(QDir::tempPath());
    return axial && lateral;
}

}  // namespace springtest
