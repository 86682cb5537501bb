#include "ConsoleBench.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "session/ApplicationFolder.h"
#include "storage/Batch.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "windows/common/FindByName.h"
#include "windows/console/TF_control.h"
#include "windows/mainwindow/Tfmain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace springtest {

bool benchConsole() {
    QTemporaryDir dir;
    if (!initialiseApplicationFolder(dir.path()).error.isEmpty()) return false;
    ProfileFile(QDir(dir.path()).filePath(QStringLiteral("simcard.ini")))
        .writeString(QStringLiteral("card0"), QStringLiteral("start_position_mm"), QStringLiteral("62"));
    StandardScheme scheme;
    scheme.scheme_name = QStringLiteral("S");
    scheme.scheme_style = QStringLiteral("0");
    scheme.scheme_load = QStringLiteral("0.5");
    scheme.scheme_sum = QStringLiteral("3");
    scheme.scheme_jh = 2;
    scheme.points[0] = {QStringLiteral("55"), QStringLiteral("0"), QStringLiteral("0")};
    scheme.points[1] = {QStringLiteral("50"), QStringLiteral("0"), QStringLiteral("0")};
    scheme.points[2] = {QStringLiteral("45"), QStringLiteral("0"), QStringLiteral("0")};
    if (!insertScheme(schemeDatabasePath(dir.path()), scheme)) return false;
    const BatchOutcome batch =
        newBatch(dir.path(), BatchKind::Standard, QStringLiteral("BENCH"), scheme.scheme_name,
                 [](const QString&, const QString&) { return true; });
    if (!batch.ok) return false;
    QDir::setCurrent(dir.path());

    ScriptedPrompts scripted;
    scripted.files << batch.path;
    setPrompts(&scripted);
    bool ok = false;
    {
        Tfmain window(dir.path());
        window.show();
        QApplication::processEvents();
        if (window.startupState() == Tfmain::Startup::Running && window.sequencer()) {
            window.OpenBatchFile(batchFolderForMachineType(0));
            window.session().cards().cards[0].displacement->SetDisplacement(62.0f);
            TTestStyle& seq = *window.sequencer();
            seq.SetTestSpeed(300.0f);
            seq.SetSpeedMode(SpeedMode::Constant);
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 100) QApplication::processEvents();
            Tbankhk& loop = *window.session().acquisition();
            auto* start =
                findByName<QAbstractButton>(window.controlPanel(), QStringLiteral("TestStart_SpeedButton"));
            if (start) {
                loop.resetCycleGap();
                const uint64_t cycles0 = loop.cycles();
                QElapsedTimer t;
                t.start();
                start->click();
                while ((seq.running() || !seq.isIdle()) && t.elapsed() < 120000)
                    QApplication::processEvents(QEventLoop::AllEvents, 5);
                const double elapsed = t.nsecsElapsed() / 1e9;
                std::printf("console.largest_reading_gap: %.2f ms\n", loop.longestCycleGapUs() / 1000.0);
                std::printf("console.loop_rate: %.0f readings/s\n", (loop.cycles() - cycles0) / elapsed);
                std::printf("console.test_stored: %d\n", seq.state() == TestState::Stored ? 1 : 0);
                ok = seq.state() == TestState::Stored;
            }
        }
        window.close();
    }
    setPrompts(nullptr);
    QDir::setCurrent(QDir::tempPath());
    return ok;
}

}  // namespace springtest
