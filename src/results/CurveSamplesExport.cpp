#include "results/CurveSamplesExport.h"

#include "platform/Prompts.h"
#include "storage/Database.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

#include <algorithm>

namespace springtest {

namespace {

// Keeps the progress window open for exactly as long as the export runs, whichever way it ends.
class ProgressWindow {
public:
    ProgressWindow(Prompts& prompts, int maximum) : m_prompts(prompts) {
        m_prompts.progressStart(QStringLiteral("数据导出"), QStringLiteral("正在导出数据......"), maximum);
    }
    ~ProgressWindow() { m_prompts.progressEnd(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    void step(int value) { m_prompts.progressStep(value); }

private:
    Prompts& m_prompts;
};

// A progress window repaints on every step; a few hundred steps move its bar as smoothly as one per sample,
// and the export of a long curve then stays bound by writing cells rather than by repainting.
constexpr int kProgressSteps = 200;

const QStringList kSampleFields{QStringLiteral("number"), QStringLiteral("load"), QStringLiteral("weiyi"),
                                QStringLiteral("bianxing"), QStringLiteral("jinhuicheng")};

}  // namespace

ExportOutcome exportCurveSamples(const ExportRequest& request, const QString& batchPath,
                                 const QString& testNumber) {
    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(3);
    if (!error.isEmpty()) return exportFailed(error);

    Database db(batchPath, Database::OpenMode::ExistingMaybeReadOnly);
    bool isNumber = false;
    const int serial = testNumber.trimmed().toInt(&isNumber);
    const auto samples = db.select(
        QStringLiteral("select number, load, weiyi, bianxing, jinhuicheng from test_point where xuhao = ? "
                       "order by number"),
        {isNumber ? QVariant(serial) : QVariant(testNumber)});
    if (!samples) return exportFailed(db.lastError());

    const int count = static_cast<int>(samples->size());
    ProgressWindow progress(prompts(), count);
    const int every = std::max(1, count / kProgressSteps);
    QStringList texts;
    for (int i = 1; i <= count; ++i) {
        const DbRow& s = (*samples)[i - 1];
        texts = {s.text(QStringLiteral("number")), s.text(QStringLiteral("load")),
                 s.text(QStringLiteral("weiyi")), s.text(QStringLiteral("bianxing")),
                 s.text(QStringLiteral("jinhuicheng"))};
        if (error = writeStoredRow(book, i, kSampleFields, texts); !error.isEmpty())
            return exportFailed(error);
        if (i % every == 0 || i == count) progress.step(i);
    }
    // Saving a long curve takes a moment too: the window stays until the workbook is handed over.
    return saveAndShowReport(
        book, request, QFileInfo(batchPath).completeBaseName() + QStringLiteral("_采集数据_") + testNumber);
}

}  // namespace springtest
