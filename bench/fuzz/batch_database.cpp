// Any bytes as a batch database, opened as the result browser opens it (results, scheme, every curve) and
// as the console's "打开文件" opens it for testing. A batch that cannot be used is refused with a message.

#include "FuzzExpect.h"
#include "FuzzFolder.h"
#include "measurement/CardSlot.h"
#include "results/Ttest_result.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/TTestStyle.h"

#include <QCoreApplication>
#include <QFile>

#include <cstddef>
#include <cstdint>

using namespace springtest;
using springtest::fuzz::expect;

namespace {

// The grid a scheme loader lays out, kept only as far as its shape.
class CountingGrid : public ResultGrid {
public:
    void setColumnWidths(const QList<int>&) override {}
    void setRowCount(int rows) override { m_rows = rows; }
    void setCell(int row, int column, const QString&) override {
        expect(row >= 0 && row < m_rows && column >= 0, "a loader writes inside the rows it laid out");
    }

private:
    int m_rows = 0;
};

// The whole curve of every test a browser can show; a replay of a large batch stops after a few tests.
void browse(Ttest_result& result) {
    for (int column = 0; column < Ttest_result::schemeFields().size(); ++column) result.schemeText(0, column);
    const int rows = std::min<int>(static_cast<int>(result.results().size()), 16);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < Ttest_result::resultFields().size(); ++column)
            result.resultText(row, column);
        result.ShowCurve(row);
        for (int style = 0; style <= 3; ++style) result.DrawCurve(style);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The database driver is a plugin, and plugins are found through the application object.
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::scratchFolder().filePath(QStringLiteral("A1.mdb"));
    for (const char* leftover : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(leftover));
    {
        QFile file(path);
        expect(file.open(QIODevice::WriteOnly) &&
                   file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                       static_cast<qint64>(size),
               "the input can be laid down as a file");
    }

    {
        Ttest_result::OpenOutcome opened = Ttest_result::open(path);
        if (opened.result)
            browse(*opened.result);
        else
            expect(!opened.message.isEmpty(), "a batch the browser cannot open is refused with a message");
    }
    {
        CardTables cards;
        TTestStyle sequencer(0, cards);
        installProceduresForMachineType(sequencer);
        CountingGrid grid;
        const OpenBatchOutcome outcome = openBatchForTesting(sequencer, &grid, path);
        expect(outcome.ok || !outcome.message.isEmpty(),
               "a batch the console cannot test with is refused with a message");
    }
    return 0;
}
