#include "windows/console/PlotPicture.h"

#include <qcustomplot.h>

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"

namespace springtest {

namespace {

const QString kPictureFolder = QStringLiteral("picture");
const QString kSaveFailed = QStringLiteral("保存图片失败!!");

// The chart scaled to fit the printable area, kept in its on-screen proportions.
void renderForPrint(QCustomPlot& chart, QPrinter* printer) {
    QCPPainter painter(printer);
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const int width = std::max(1, chart.width());
    const int height = std::max(1, chart.height());
    const double scale = std::min(page.width() / width, page.height() / height);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.scale(scale, scale);
    chart.toPainter(&painter, width, height);
}

}  // namespace

void saveChartBitmap(QCustomPlot& chart, const QString& applicationFolder) {
    const QString folder = QDir(applicationFolder).filePath(kPictureFolder);
    if (!QDir().mkpath(folder)) {
        prompts().message(kSaveFailed);
        return;
    }
    QString file =
        prompts().saveFile(QStringLiteral("保存图片"), folder, QStringLiteral("图片(*.bmp)|*.bmp"));
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".bmp");
    if (QFileInfo::exists(file) &&
        !prompts().question(QStringLiteral("该文件名已经存在，是否覆盖?"), kPromptCaption, PromptIcon::Stop))
        return;
    if (!chart.saveBmp(file)) {
        prompts().message(kSaveFailed);
        return;
    }
    prompts().message(QStringLiteral("保存图片完成!!"));
}

void previewChartPrint(QCustomPlot& chart, QWidget* parent, const QString& title, PreviewMode mode) {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        prompts().message(QStringLiteral("没有安装打印机,无法进行打印!!"));
        return;
    }
    auto* preview = new QPrintPreviewDialog(parent);
    preview->setWindowTitle(title);
    QPointer<QCustomPlot> shown(&chart);
    QObject::connect(preview, &QPrintPreviewDialog::paintRequested, preview, [shown](QPrinter* printer) {
        if (shown) renderForPrint(*shown, printer);
    });
    if (mode == PreviewMode::Blocking) {
        preview->exec();
        delete preview;
        return;
    }
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setWindowModality(Qt::NonModal);
    preview->show();
}

}  // namespace springtest
