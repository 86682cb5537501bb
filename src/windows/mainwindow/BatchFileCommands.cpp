#include "windows/mainwindow/BatchFileCommands.h"

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/TTestStyle.h"
#include "storage/Batch.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/TF_chart.h"
#include "windows/console/TF_control.h"
#include "windows/console/TF_datashow.h"
#include "windows/mainwindow/ComponentAccess.h"
#include "windows/mainwindow/Tfmain.h"

#include <QDir>
#include <QFile>

#include <exception>

namespace springtest {

QString batchConnectionString(const QString& file) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file +
           QStringLiteral(";Persist Security Info=False");
}

void Tfmain::openBatch() {
    OpenBatchFile(batchFolderForMachineType(machineType()));
}
void Tfmain::deleteBatch() {
    DeleteBatchFile(batchFolderForMachineType(machineType()));
}

void Tfmain::OpenBatchFile(const QString& folder) {
    if (!m_sequencer) return;
    const QString directory = QDir(m_applicationFolder).filePath(folder);
    QDir().mkpath(directory);
    const QString file = prompts().openFile(kOpenDatabaseTitle, directory, kBatchFileFilter);
    if (file.isNull()) return;  // cancelled

    try {
        const QString refusal = batchFileRefusal(file, BatchFileUse::Open);
        if (!refusal.isEmpty()) {
            prompts().message(refusal);
            return;
        }
        if (m_sequencer->running()) {
            // The procedure and the scheme may not change under a running test.
            prompts().message(kTestRunningCannotOpen);
            return;
        }
        m_batchConnection = batchConnectionString(file);
        m_batchPath = file;

        // The loader lays out the control panel's grid and hands the scheme to the sequencer; what it has to
        // say it says, and the windows still follow whatever it filled in.
        const OpenBatchOutcome opened = openBatchForTesting(*m_sequencer, m_controlPanel->resultGrid(), file);
        if (!opened.ok && !opened.message.isEmpty()) prompts().message(opened.message);

        setComponentText(m_curveWindow, QStringLiteral("bsSkinStatusPanel3"), file);
        const QString direction = opened.compression ? kCompressionDirection : kTensionDirection;
        if (machineType() != 5 &&
            componentText(m_dataPanel, QStringLiteral("TestDirection_Speed")) != direction)
            clickComponent(m_dataPanel, QStringLiteral("TestDirection_Speed"));
        setRadioGroupItem(m_controlPanel, QStringLiteral("bsSkinRadioGroup1"), opened.compression ? 1 : 0);
        setActivePage(m_controlPanel, QStringLiteral("bsSkinPageControl1"), 1);
    } catch (const std::exception&) {
        prompts().message(kFileReadError);
    }
}

void Tfmain::DeleteBatchFile(const QString& folder) {
    const QString directory = QDir(m_applicationFolder).filePath(folder);
    const QString file = prompts().openFile(kDeleteDatabaseTitle, directory, kBatchFileFilter);
    if (file.isNull()) return;  // cancelled

    try {
        const QString refusal = batchFileRefusal(file, BatchFileUse::Delete);
        if (!refusal.isEmpty()) {
            prompts().message(refusal);
            return;
        }
        if (!prompts().question(kDeleteFolderQuestion + QDir::toNativeSeparators(file))) return;
        if (!QFile::remove(file)) prompts().message(kFileDeleteError);
    } catch (const std::exception&) {
        prompts().message(kFileDeleteError);
    }
}

}  // namespace springtest
